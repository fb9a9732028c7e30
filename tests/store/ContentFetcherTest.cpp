#include "store/ContentFetcher.h"

#include "platform/memory/MemoryHttpClient.h"
#include "store/ImageData.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ContentFetcher, DownloadedImagesAreStoredDownscaledOrNotAtAll) {
    MemoryHttpClient http;
    const ContentFetcher fetcher(http);
    QTemporaryDir files;
    auto serve = [&](const QString& path, const QByteArray& bytes) {
        http.serve(QUrl(u"https://img.test"_s + path), bytes);
        return QUrl(u"https://img.test"_s + path);
    };
    auto image = [](int width, int height) {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(QColor(10, 20, 30, 128));
        return *ImageData::pngData(image);
    };
    struct Case {
        const char* what;
        QUrl url;
        int maxDimension;
        QSize stored; // invalid: nothing stored
    };
    const std::vector<Case> cases = {
        {"wide", serve(u"/wide.png"_s, image(2000, 1000)), 900, {900, 450}},
        {"small", serve(u"/small.png"_s, image(300, 200)), 900, {300, 200}},
        {"icon", serve(u"/icon.png"_s, image(180, 180)), 64, {64, 64}},
        {"tracking pixel", serve(u"/pixel.png"_s, image(1, 1)), 900, {}},
        {"one pixel wide", serve(u"/line.png"_s, image(1, 300)), 900, {}},
        {"not an image", serve(u"/page.html"_s, "<html></html>"), 900, {}},
        {"not served", QUrl(u"https://img.test/404.png"_s), 900, {}},
    };
    for (const Case& c : cases) {
        const QStringList before = QDir(files.path()).entryList(QDir::Files);
        const std::optional<QString> name =
            fetcher.downloadImage(c.url, c.maxDimension, u"thumb"_s, files.path());
        if (!c.stored.isValid()) {
            EXPECT_EQ(name, std::nullopt) << c.what;
            EXPECT_EQ(QDir(files.path()).entryList(QDir::Files), before) << c.what;
            continue;
        }
        ASSERT_TRUE(name) << c.what;
        EXPECT_TRUE(name->endsWith(u"-thumb.png"_s));
        EXPECT_EQ(QImage(QDir(files.path()).filePath(*name)).size(), c.stored) << c.what;
    }
    EXPECT_EQ(fetcher.downloadImage(std::nullopt, 900, u"thumb"_s, files.path()), std::nullopt);
    EXPECT_EQ(fetcher.downloadImage(cases[0].url, 900, u"thumb"_s, files.path() + u"/nope"_s),
              std::nullopt);
}

TEST(ContentFetcher, PageThatCannotBeFetchedHasNoFields) {
    MemoryHttpClient http;
    const ContentFetcher fetcher(http);
    EXPECT_EQ(fetcher.fetchPage(QUrl(u"https://nothing.test/"_s)), PageInfo());
    http.serve(QUrl(u"https://page.test/"_s), "<title>Here</title>");
    EXPECT_EQ(fetcher.fetchPage(QUrl(u"https://page.test/"_s)).title, u"Here"_s);
}
