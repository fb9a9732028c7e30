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

std::optional<QImage> read(QIODevice* device, std::optional<int> fitInto) {
    static std::once_flag limited;
    std::call_once(limited, [] { QImageReader::setAllocationLimit(allocationLimitMegabytes); });

    QImageReader reader(device);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return std::nullopt;
    const QSize declared = reader.size();
    if (declared.isValid()) {
        if (declared.isEmpty() || qint64(declared.width()) * declared.height() > ImageData::maxPixels)
            return std::nullopt;
        if (fitInto && *fitInto > 0 && reader.supportsOption(QImageIOHandler::ScaledSize)) {
            const int longSide = std::max(declared.width(), declared.height());
            const int wanted = 2 * *fitInto;
            if (longSide > wanted) {
                const double factor = double(wanted) / longSide;
                reader.setScaledSize(QSize(std::max(1, int(std::lround(declared.width() * factor))),
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
