#pragma once

#include "platform/TextRecognizer.h"

// TextRecognizer over tesseract's English model. Each call runs its own
// engine instance, so calls on different threads never share state.
class TesseractTextRecognizer final : public TextRecognizer {
public:
    QStringList recognizeLines(const QImage& image, Level level) override;
};
