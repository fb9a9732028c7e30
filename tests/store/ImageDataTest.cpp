#include "store/ImageData.h"

#include "support/QtPrinters.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QImage sample(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 120));
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << format;
    return bytes;
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    out += type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(type + data), crc.data());
    return out + crc;
}

// A small PNG declaring width × height grey pixels, with a valid compressed
// stream of zeros: the shape of a decompression bomb.
QByteArray pngDeclaring(quint32 width, quint32 height) {
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8;                                                             // bit depth
    header[9] = 0;                                                             // greyscale
    const QByteArray zeros = qCompress(QByteArray(4'000'000, '\0'), 9).mid(4); // zlib stream
    return "\x89PNG\r\n\x1a\n"_ba + chunk("IHDR", header) + chunk("IDAT", zeros) +
           chunk("IEND", {});
}

QByteArray gifDeclaring(quint16 width, quint16 height) {
    QByteArray gif = "GIF89a";
    gif += char(width & 0xff);
    gif += char(width >> 8);
    gif += char(height & 0xff);
    gif += char(height >> 8);
    gif += "\x80\x00\x00\xff\xff\xff\x00\x00\x00"_ba; // colour table
    gif += ",\x00\x00\x00\x00"_ba;                    // image at 0,0
    gif += char(width & 0xff);
    gif += char(width >> 8);
    gif += char(height & 0xff);
    gif += char(height >> 8);
    gif += "\x00\x02\x02\x44\x01\x00;"_ba;
    return gif;
}

} // namespace

TEST(ImageData, DecodesEveryCommonFormat) {
    const QImage source = sample(120, 80);
    for (const char* format : {"png", "jpeg", "bmp", "ppm", "ico", "xpm"}) {
        const std::optional<QImage> image = ImageData::decode(encoded(source, format));
        ASSERT_TRUE(image) << format;
        EXPECT_EQ(image->size(), QSize(120, 80)) << format;
    }
    const std::optional<QImage> gif = ImageData::decode(gifDeclaring(1, 1));
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->size(), QSize(1, 1));
    const std::optional<QImage> svg =
        ImageData::decode("<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20'>"
                          "<rect width='40' height='20' fill='red'/></svg>");
    ASSERT_TRUE(svg);
    EXPECT_EQ(svg->size(), QSize(40, 20));
}

TEST(ImageData, DamagedOrHostileImagesAreRefused) {
    const QByteArray png = encoded(sample(300, 300), "png");
    const QByteArray jpeg = encoded(sample(300, 300), "jpeg");
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const std::vector<Case> cases = {
        {"empty", QByteArray()},
        {"not an image", "<html>not an image</html>"},
        {"truncated PNG", png.left(png.size() / 3)},
        {"PNG header only", png.left(40)},
        {"PNG declaring 30000 x 30000", pngDeclaring(30'000, 30'000)},
        {"PNG declaring 100000 x 1", pngDeclaring(100'000, 1'000)},
        {"GIF declaring 65535 x 65535", gifDeclaring(65'535, 65'535)},
        {"truncated JPEG header", jpeg.left(20)},
        // Empty comment segments: the decoder's time grows with their square.
        {"JPEG of 60000 empty comments", QByteArray("\xFF\xD8") +
                                             QByteArray("\xFF\xFE\x00\x02").repeated(60'000) +
                                             QByteArray("\xFF\xD9")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImageData::decode(c.bytes), std::nullopt) << c.what;
}

TEST(ImageData, LargeSourcesDecodeAtReducedSizeWhenAskedToFit) {
    const QByteArray jpeg = encoded(sample(4000, 2000), "jpeg");
    const std::optional<QImage> reduced = ImageData::decode(jpeg, 900);
    ASSERT_TRUE(reduced);
    EXPECT_EQ(reduced->size(), QSize(1800, 900));
    EXPECT_EQ(ImageData::downscale(*reduced, 900).size(), QSize(900, 450));
    EXPECT_EQ(ImageData::decode(jpeg)->size(), QSize(4000, 2000));
}

TEST(ImageData, DownscaleFitsTheLongerSide) {
    struct Case {
        QSize source;
        int maxDimension;
        QSize result;
    };
    for (const Case& c : {Case{{2000, 1000}, 900, {900, 450}}, Case{{1000, 2000}, 900, {450, 900}},
                          Case{{900, 100}, 900, {900, 100}}, Case{{300, 200}, 900, {300, 200}},
                          Case{{1000, 3}, 64, {64, 1}}, Case{{128, 128}, 64, {64, 64}}}) {
        const QImage scaled =
            ImageData::downscale(sample(c.source.width(), c.source.height()), c.maxDimension);
        EXPECT_EQ(scaled.size(), c.result) << c.source.width() << "x" << c.source.height();
    }
    EXPECT_TRUE(ImageData::downscale(QImage(), 900).isNull());
}

TEST(ImageData, PngDataKeepsPixelsAndDropsProperties) {
    QImage image = sample(50, 30);
    image.setText(u"Comment"_s, u"private note"_s);
    image.setDotsPerMeterX(12345);
    const std::optional<QByteArray> png = ImageData::pngData(image);
    ASSERT_TRUE(png);
    EXPECT_FALSE(png->contains("private note"));
    const std::optional<QImage> back = ImageData::decode(*png);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->convertToFormat(QImage::Format_RGB32), image);
    EXPECT_TRUE(back->textKeys().isEmpty());
    EXPECT_EQ(ImageData::pngData(QImage()), std::nullopt);
}
