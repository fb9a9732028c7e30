#pragma once

#include "platform/TextRecognizer.h"

#include <chrono>
#include <mutex>
#include <thread>

// Reads whatever the test says each pass reads; the accurate pass can be
// made slow to test the wait for it.
class MemoryTextRecognizer final : public TextRecognizer {
public:
    QStringList recognizeLines(const QImage& image, Level level) override {
        std::chrono::milliseconds delay{0};
        QStringList lines;
        {
            const std::lock_guard guard(lock);
            ++calls;
            if (image.isNull())
                return {};
            lines = level == Level::fast ? fastLines : accurateLines;
            delay = level == Level::fast ? std::chrono::milliseconds(0) : accurateDelay;
        }
        std::this_thread::sleep_for(delay);
        return lines;
    }

    void read(QStringList fast, QStringList accurate,
              std::chrono::milliseconds accurateTakes = std::chrono::milliseconds(0)) {
        const std::lock_guard guard(lock);
        fastLines = std::move(fast);
        accurateLines = std::move(accurate);
        accurateDelay = accurateTakes;
    }

    int callCount() const {
        const std::lock_guard guard(lock);
        return calls;
    }

private:
    mutable std::mutex lock;
    QStringList fastLines;
    QStringList accurateLines;
    std::chrono::milliseconds accurateDelay{0};
    int calls = 0;
};
