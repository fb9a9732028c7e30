#pragma once

#include <QCache>
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

    qsizetype bytesUsed() const;
    qsizetype count() const { return cache.count(); }
    void clear() { cache.clear(); }

    static constexpr qsizetype defaultMaxBytes = 96LL * 1024 * 1024;

private:
    // Costs are kept in KiB so that the cache's int arithmetic cannot overflow.
    QCache<QString, QImage> cache;
};
