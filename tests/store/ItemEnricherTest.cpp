#include "store/ItemEnricher.h"

#include "organise/Categorizer.h"
#include "platform/memory/MemoryPlatform.h"
#include "store/ImageData.h"
#include "store/Item.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray png(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    return *ImageData::pngData(image);
}

class ItemEnricherTest : public ::testing::Test {
protected:
    Item link(const QString& url) {
        Item item;
        item.id = QUuid::createUuid();
        item.kind = ItemKind::link;
        item.title = QUrl(url).host();
        item.detail = url;
        return item;
    }

    QSize storedSize(const std::optional<QString>& name) const {
        if (!name)
            return {};
        return QImage(QDir(files.path()).filePath(*name)).size();
    }

    QStringList storedFiles() const { return QDir(files.path()).entryList(QDir::Files); }

    // Outlives every test, as the process's platform does.
    static MemoryPlatform& platform() {
        static auto* shared = new MemoryPlatform;
        return *shared;
    }
    MemoryHttpClient& http = platform().memoryHttpClient;

    QTemporaryDir files;
    Categorizer categorizer{[] { return std::unique_ptr<SentenceEmbedding>(); }};
    ItemEnricher enricher{platform(), categorizer};
};

} // namespace

TEST_F(ItemEnricherTest, LinkGetsItsPageTitleTextPreviewIconAndCategory) {
    http.serve(QUrl(u"https://site.test/post"_s),
               "<html><head><title>Notes &amp; more</title>"
               "<meta property='og:image' content='/big.png'>"
               "<link rel='icon' href='https://cdn.site.test/icon.png'></head>"
               "<body><p>Writing a compiler in python, step by step.</p></body></html>");
    http.serve(QUrl(u"https://site.test/big.png"_s), png(2000, 1000));
    http.serve(QUrl(u"https://cdn.site.test/icon.png"_s), png(256, 256));

    const Item item = link(u"https://site.test/post"_s);
    const std::optional<Enrichment> result = enricher.enrich(item, files.path());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->id, item.id);
    EXPECT_EQ(result->title, u"Notes & more"_s);
    EXPECT_EQ(result->text, u"Notes & more Writing a compiler in python, step by step."_s);
    EXPECT_EQ(result->category, u"Code"_s);
    ASSERT_TRUE(result->thumbFileName);
    EXPECT_TRUE(result->thumbFileName->endsWith(u"-thumb.png"_s));
    EXPECT_EQ(storedSize(result->thumbFileName), QSize(900, 450));
    ASSERT_TRUE(result->iconFileName);
    EXPECT_TRUE(result->iconFileName->endsWith(u"-icon.png"_s));
    EXPECT_EQ(storedSize(result->iconFileName), QSize(64, 64));

    // The page with its caps first, then each image with theirs.
    const QList<MemoryHttpClient::Request> requests = http.requests();
    ASSERT_GE(requests.size(), 3);
    const auto last = requests.mid(requests.size() - 3);
    EXPECT_EQ(last[0].url, QUrl(u"https://site.test/post"_s));
    EXPECT_EQ(last[0].maxBytes, 3'000'000);
    EXPECT_EQ(last[0].timeout.count(), 12);
    EXPECT_EQ(last[1].maxBytes, 8'000'000);
    EXPECT_EQ(last[1].timeout.count(), 10);
    EXPECT_EQ(last[2].url, QUrl(u"https://cdn.site.test/icon.png"_s));
}

TEST_F(ItemEnricherTest, MissingIconLinkFallsBackToFaviconOnTheSameHost) {
    http.serve(QUrl(u"http://fav.test/deep/page?q=1"_s), "<title>Plain</title>");
    http.serve(QUrl(u"http://fav.test/favicon.ico"_s), png(32, 32));
    const std::optional<Enrichment> result =
        enricher.enrich(link(u"http://fav.test/deep/page?q=1"_s), files.path());
    ASSERT_TRUE(result);
    EXPECT_EQ(storedSize(result->iconFileName), QSize(32, 32));
    EXPECT_EQ(result->thumbFileName, std::nullopt);

    http.serve(QUrl(u"http://nofav.test/"_s), "<title>No icon anywhere</title>");
    const std::optional<Enrichment> bare =
        enricher.enrich(link(u"http://nofav.test/"_s), files.path());
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->iconFileName, std::nullopt);
    EXPECT_EQ(http.requests().last().url, QUrl(u"http://nofav.test/favicon.ico"_s));
}

TEST_F(ItemEnricherTest, UnreachablePageStillAnswersForTheLinkWithNothingNew) {
    const Item item = link(u"https://gone.test/missing"_s);
    const std::optional<Enrichment> result = enricher.enrich(item, files.path());
    ASSERT_TRUE(result);
    Enrichment nothingNew;
    nothingNew.id = item.id;
    EXPECT_EQ(*result, nothingNew);
    EXPECT_TRUE(storedFiles().isEmpty());
}

TEST_F(ItemEnricherTest, TrackingPixelPreviewAndEmptyTitleAreNotKept) {
    http.serve(QUrl(u"https://pixel.test/"_s),
               "<title>  </title><meta name='twitter:image' content='/p.gif'>"
               "<link rel='icon' href='/i.png'>");
    http.serve(QUrl(u"https://pixel.test/p.gif"_s), png(1, 1));
    http.serve(QUrl(u"https://pixel.test/i.png"_s), png(1, 16));
    const std::optional<Enrichment> result =
        enricher.enrich(link(u"https://pixel.test/"_s), files.path());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->thumbFileName, std::nullopt);
    EXPECT_EQ(result->title, std::nullopt);
    EXPECT_EQ(result->iconFileName, std::nullopt);
    EXPECT_TRUE(storedFiles().isEmpty());
}

TEST_F(ItemEnricherTest, ImagesAreReadAndFilesGetTextAndThumbnail) {
    const QString imageName = u"A-scan.png"_s;
    QImage scan(80, 40, QImage::Format_RGB32);
    scan.fill(Qt::white);
    ASSERT_TRUE(scan.save(QDir(files.path()).filePath(imageName)));
    platform().memoryTextRecognizer.read({}, {u"python compiler"_s, u"notes"_s});

    Item image;
    image.id = QUuid::createUuid();
    image.kind = ItemKind::image;
    image.title = u"Image"_s;
    image.fileName = imageName;
    std::optional<Enrichment> result = enricher.enrich(image, files.path());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->text, u"python compiler\nnotes"_s);
    EXPECT_EQ(result->category, u"Code"_s);
    EXPECT_EQ(result->thumbFileName, std::nullopt);

    const QString fileName = u"B-todo.txt"_s;
    QFile text(QDir(files.path()).filePath(fileName));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("buy milk");
    text.close();
    QImage page(100, 141, QImage::Format_RGB32);
    page.fill(Qt::white);
    platform().memoryThumbnailGenerator.add(text.fileName(), page);
    Item file;
    file.id = QUuid::createUuid();
    file.kind = ItemKind::file;
    file.title = u"todo.txt"_s;
    file.detail = u"/home/me"_s;
    file.fileName = fileName;
    result = enricher.enrich(file, files.path());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->text, u"buy milk"_s);
    EXPECT_EQ(storedSize(result->thumbFileName), QSize(100, 141));
}

TEST_F(ItemEnricherTest, StoredNamesThatLeaveFilesAreNeverRead) {
    QTemporaryDir outside;
    QFile secret(QDir(outside.path()).filePath(u"outside.txt"_s));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("private words");
    secret.close();
    const QString escape = QDir(files.path()).relativeFilePath(secret.fileName());
    ASSERT_TRUE(escape.startsWith(u"../"_s));
    for (const QString& name : {escape, secret.fileName()}) {
        Item file;
        file.id = QUuid::createUuid();
        file.kind = ItemKind::file;
        file.title = u"outside.txt"_s;
        file.fileName = name;
        const std::optional<Enrichment> result = enricher.enrich(file, files.path());
        EXPECT_TRUE(!result || !result->text) << name.toStdString();
    }
}

TEST_F(ItemEnricherTest, NothingFoundAndNoCategoryIsAbsent) {
    Item file;
    file.id = QUuid::createUuid();
    file.kind = ItemKind::file;
    file.title = u"blob"_s;
    EXPECT_EQ(enricher.enrich(file, files.path()), std::nullopt); // no stored copy
    file.fileName = u""_s;
    EXPECT_EQ(enricher.enrich(file, files.path()), std::nullopt);

    Item bad = link(u"http://[not a url"_s);
    bad.title = u"whatever"_s;
    EXPECT_EQ(enricher.enrich(bad, files.path()), std::nullopt);

    // A text item gets only the category of what it already holds.
    Item note;
    note.id = QUuid::createUuid();
    note.title = u"python compiler notes"_s;
    note.text = u"python compiler notes"_s;
    const std::optional<Enrichment> result = enricher.enrich(note, files.path());
    ASSERT_TRUE(result);
    Enrichment categoryOnly;
    categoryOnly.id = note.id;
    categoryOnly.category = u"Code"_s;
    EXPECT_EQ(*result, categoryOnly);
}
