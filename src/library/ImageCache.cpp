#include "library/ImageCache.h"

#include "common/SharedInstance.h"

#include <QImageReader>

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
    // Decoding at the drawn size keeps a 4000-pixel photo from costing 60 MB.
    if (maxWidth > 0 && size.isValid() && size.width() > maxWidth)
        reader.setScaledSize(size.scaled(maxWidth, size.height(), Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    const qsizetype kib = std::max<qsizetype>(1, image.sizeInBytes() / 1024);
    cache.insert(key, new QImage(image), kib);
    return image;
}

qsizetype ImageCache::bytesUsed() const {
    return cache.totalCost() * 1024;
}
