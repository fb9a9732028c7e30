#pragma once

#include <QImage>
#include <QStringList>

// Reads the printed English text in an image.
class TextRecognizer {
public:
    enum class Level {
        fast,     // the image as it is, no dictionary
        accurate, // upscaled small images and dictionary correction; slower
    };

    virtual ~TextRecognizer() = default;

    // The recognised lines in reading order; empty when nothing was found.
    // Safe to call from several threads at once.
    virtual QStringList recognizeLines(const QImage& image, Level level) = 0;
};
