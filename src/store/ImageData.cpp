#include "store/ImageData.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

// Qt's own ceiling for one decoded image, in megabytes; the pixel check
// below catches most hostile input earlier, this one catches formats that
// do not declare their size up front.
constexpr int allocationLimitMegabytes = 256;

// More header segments than any camera or editor writes. The JPEG decoder
// keeps comment and application segments in a list it walks to the end for
// every new one, so a file of nothing but tiny segments costs time growing
// with their square: 240 KB of empty comments took seconds.
constexpr int maxJpegSegments = 1000;

// True when device holds a JPEG with more than maxJpegSegments segments
// before its image data. Walks only the segment headers; leaves the device's
// position where it was.
bool isJpegWithTooManySegments(QIODevice* device) {
    if (device->isSequential() || device->peek(2) != QByteArrayLiteral("\xFF\xD8"))
        return false;
    const qint64 start = device->pos();
    qint64 at = start + 2;
    int segments = 0;
    bool tooMany = false;
    while (device->seek(at)) {
        char marker[2];
        if (device->read(marker, 2) != 2 || quint8(marker[0]) != 0xFF)
            break;
        int fill = 0;
        while (quint8(marker[1]) == 0xFF && fill++ < 64) {
            if (!device->getChar(&marker[1]))
                break;
        }
        const quint8 code = quint8(marker[1]);
        if (code == 0xD9 || code == 0xDA) // end of image, start of scan
            break;
        at = device->pos();
        if (++segments > maxJpegSegments) {
            tooMany = true;
            break;
        }
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7))
            continue; // markers without a length
        char length[2];
        if (device->read(length, 2) != 2)
            break;
        const int size = (quint8(length[0]) << 8) | quint8(length[1]);
        if (size < 2)
            break;
        at += size;
    }
    device->seek(start);
    return tooMany;
}

std::optional<QImage> read(QIODevice* device, std::optional<int> fitInto) {
    if (isJpegWithTooManySegments(device))
        return std::nullopt;
    static std::once_flag limited;
    std::call_once(limited, [] { QImageReader::setAllocationLimit(allocationLimitMegabytes); });

    QImageReader reader(device);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return std::nullopt;
    const QSize declared = reader.size();
    if (declared.isValid()) {
        if (declared.isEmpty() ||
            qint64(declared.width()) * declared.height() > ImageData::maxPixels)
            return std::nullopt;
        if (fitInto && *fitInto > 0 && reader.supportsOption(QImageIOHandler::ScaledSize)) {
            const int longSide = std::max(declared.width(), declared.height());
            const int wanted = 2 * *fitInto;
            if (longSide > wanted) {
                const double factor = double(wanted) / longSide;
                reader.setScaledSize(
                    QSize(std::max(1, int(std::lround(declared.width() * factor))),
                          std::max(1, int(std::lround(declared.height() * factor)))));
            }
        }
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    if (qint64(image.width()) * image.height() > ImageData::maxPixels)
        return std::nullopt;
    return image;
}

} // namespace

std::optional<QImage> ImageData::decode(const QByteArray& bytes, std::optional<int> fitInto) {
    if (bytes.isEmpty())
        return std::nullopt;
    QByteArray data = bytes; // QBuffer needs a non-const array; this one is shared, not copied
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    return read(&buffer, fitInto);
}

std::optional<QImage> ImageData::load(const QString& path, std::optional<int> fitInto) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return read(&file, fitInto);
}

QImage ImageData::downscale(const QImage& image, int maxDimension) {
    const int longSide = std::max(image.width(), image.height());
    if (longSide == 0 || maxDimension <= 0 || longSide <= maxDimension)
        return image;
    const double factor = double(maxDimension) / longSide;
    const QSize size(std::max(1, int(std::lround(image.width() * factor))),
                     std::max(1, int(std::lround(image.height() * factor))));
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

std::optional<QByteArray> ImageData::pngData(const QImage& image) {
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // A view of the same pixels without the source's text chunks and resolution.
    QImage plain(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                 image.format());
    plain.setColorTable(image.colorTable());
    if (!writer.write(plain))
        return std::nullopt;
    return bytes;
}
