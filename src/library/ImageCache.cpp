#include "library/ImageCache.h"

#include "common/SharedInstance.h"

#include <QImageReader>

namespace {
bool isPaletted(QImage::Format format) {
    return format == QImage::Format_Mono || format == QImage::Format_MonoLSB ||
           format == QImage::Format_Indexed8;
}
} // namespace

ImageCache::ImageCache(qsizetype maxBytes) : cache(maxBytes / 1024) {}

ImageCache& ImageCache::shared() {
    return SharedInstance<ImageCache>::get();
}

std::optional<QImage> ImageCache::load(const QString& path, int maxWidth) {
    if (path.isEmpty())
        return std::nullopt;
    const QString key = path + QLatin1Char('@') + QString::number(maxWidth);
    if (const QImage* cached = cache.object(key))
        return *cached;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const bool shrink = maxWidth > 0 && size.isValid() && size.width() > maxWidth;
    // A palette image (a 1-bit icon) scaled in its palette can only pick
    // among its few colours, which turns edges into dither patterns: such
    // images are scaled smoothly in full colour. They are small; a huge one
    // is left to the reader, as every other image is.
    const bool paletted = isPaletted(reader.imageFormat());
    const bool smoothly =
        paletted && size.isValid() && qint64(size.width()) * size.height() <= maxSmoothPixels;
    // Decoding at the drawn size keeps a 4000-pixel photo from costing 60 MB.
    if (shrink && !smoothly)
        reader.setScaledSize(size.scaled(maxWidth, size.height(), Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (isPaletted(image.format()))
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.width() > maxWidth && maxWidth > 0)
        image = image.scaledToWidth(maxWidth, Qt::SmoothTransformation);
    const qsizetype kib = std::max<qsizetype>(1, image.sizeInBytes() / 1024);
    cache.insert(key, new QImage(image), kib);
    return image;
}

std::optional<QSize> ImageCache::imageSize(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    if (const auto known = sizes.constFind(path); known != sizes.constEnd())
        return *known;
    QImageReader reader(path);
    QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    // Drawn upright, as load() turns it.
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        size.transpose();
    if (sizes.size() >= maxKnownSizes)
        sizes.clear();
    sizes.insert(path, size);
    return size;
}

qsizetype ImageCache::bytesUsed() const {
    return cache.totalCost() * 1024;
}
