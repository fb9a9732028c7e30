#pragma once

#include "platform/ThumbnailGenerator.h"

#include <QHash>
#include <chrono>
#include <mutex>
#include <thread>

// Thumbnails the test sets by path; others have none. Can be made slow.
class MemoryThumbnailGenerator final : public ThumbnailGenerator {
public:
    std::optional<QImage> thumbnail(const QString& path, QSize maxSize) override {
        std::chrono::milliseconds wait;
        std::optional<QImage> image;
        {
            const std::lock_guard guard(lock);
            wait = delay;
            const auto found = images.constFind(path);
            if (found != images.constEnd())
                image = found->scaled(found->size().boundedTo(maxSize), Qt::KeepAspectRatio);
        }
        std::this_thread::sleep_for(wait);
        return image;
    }

    void add(const QString& path, const QImage& image) {
        const std::lock_guard guard(lock);
        images.insert(path, image);
    }

    void takeTime(std::chrono::milliseconds each) {
        const std::lock_guard guard(lock);
        delay = each;
    }

private:
    std::mutex lock;
    QHash<QString, QImage> images;
    std::chrono::milliseconds delay{0};
};
