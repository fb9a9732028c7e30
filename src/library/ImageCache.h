#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QString>
#include <optional>

// Images the cards and the people map load from disk, decoded at the size
// they are drawn and kept in a cache bounded by bytes, so scrolling back to
// a card does not decode again and a large library never holds every image.
// Interface thread only.
class ImageCache {
public:
    explicit ImageCache(qsizetype maxBytes = defaultMaxBytes);

    static ImageCache& shared();

    // The image at path, scaled down (never up) to at most maxWidth device
    // pixels wide, or any size when maxWidth is 0. Absent when the file
    // cannot be decoded; failures are not remembered, so a file that appears
    // later is found.
    std::optional<QImage> load(const QString& path, int maxWidth = 0);

    // The size the image at path is drawn at (turned upright), read from its
    // header without decoding it; absent when the file is no image.
    std::optional<QSize> imageSize(const QString& path);

    qsizetype bytesUsed() const;
    qsizetype count() const { return cache.count(); }
    void clear() {
        cache.clear();
        sizes.clear();
    }

    static constexpr qsizetype defaultMaxBytes = 96LL * 1024 * 1024;
    // Palette images up to this many pixels are scaled smoothly in full colour.
    static constexpr qint64 maxSmoothPixels = 4096LL * 4096;

private:
    // Costs are kept in KiB so that the cache's int arithmetic cannot overflow.
    QCache<QString, QImage> cache;
    // Sizes are a few bytes each; a library's worth is kept.
    static constexpr qsizetype maxKnownSizes = 200'000;
    QHash<QString, QSize> sizes;
};
