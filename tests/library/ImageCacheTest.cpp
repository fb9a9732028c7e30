#include "library/ImageCache.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString writeImage(const QTemporaryDir& dir, const QString& name, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

} // namespace

TEST(ImageCache, DecodesAtTheDrawnWidthAndRemembersOnlySuccesses) {
    QTemporaryDir dir;
    ImageCache cache;
    const QString big = writeImage(dir, u"big.png"_s, {2000, 1000});
    const auto scaled = cache.load(big, 500);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->size(), QSize(500, 250));
    EXPECT_EQ(cache.load(big, 5000)->size(), QSize(2000, 1000)) << "never scaled up";

    const QString later = dir.filePath(u"later.png"_s);
    EXPECT_FALSE(cache.load(later, 100));
    EXPECT_FALSE(cache.load(u""_s));
    QFile junk(dir.filePath(u"junk.png"_s));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an image");
    junk.close();
    EXPECT_FALSE(cache.load(junk.fileName()));
    EXPECT_EQ(cache.count(), 2);

    writeImage(dir, u"later.png"_s, {50, 40});
    EXPECT_TRUE(cache.load(later, 100)) << "a failure is not remembered";

    // Served from memory: the file going away does not matter.
    QFile::remove(big);
    EXPECT_TRUE(cache.load(big, 500));
}

TEST(ImageCache, StaysWithinItsBudget) {
    QTemporaryDir dir;
    ImageCache cache(4 * 1024 * 1024);
    for (int i = 0; i < 12; ++i)
        cache.load(writeImage(dir, u"%1.png"_s.arg(i), {600, 600}));
    EXPECT_LE(cache.bytesUsed(), 4 * 1024 * 1024);
    EXPECT_GT(cache.count(), 0);
    EXPECT_LT(cache.count(), 12);
}

TEST(ImageCache, PaletteIconsShrinkToSmoothGreyNotDitherPatterns) {
    // Stripes one pixel wide: scaled to a twelfth, an even grey.
    QImage stripes(96, 96, QImage::Format_Mono);
    stripes.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < stripes.height(); ++y) {
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, x % 2);
    }
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QImage image;
    };
    for (const Case& c :
         {Case{"1-bit", stripes},
          Case{"8-bit palette", stripes.convertToFormat(QImage::Format_Indexed8)}}) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name) + u".png"_s);
        ASSERT_TRUE(c.image.save(path));
        ImageCache cache;
        EXPECT_EQ(cache.imageSize(path), QSize(96, 96));
        const auto icon = cache.load(path, 12);
        ASSERT_TRUE(icon);
        ASSERT_EQ(icon->size(), QSize(12, 12));
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 12; ++x) {
                const int grey = QColor(icon->pixel(x, y)).lightness();
                ASSERT_GT(grey, 64) << x << "," << y;
                ASSERT_LT(grey, 192) << x << "," << y;
            }
        }
    }
}
