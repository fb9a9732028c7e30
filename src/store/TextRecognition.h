#pragma once

#include <QImage>
#include <QString>
#include <chrono>
#include <optional>

class TextRecognizer;

namespace TextRecognition {

inline constexpr std::chrono::milliseconds accurateWait{10'000};

// The words in an image, lines joined by line feeds: the accurate pass's
// reading when it finishes within accurateWait, otherwise the fast pass's.
// Absent when the image is empty or the answer has no text. recognizer must
// live as long as the process (the accurate pass may outlive the call).
std::optional<QString> ocr(TextRecognizer& recognizer, const QImage& image,
                           std::chrono::milliseconds wait = accurateWait);

} // namespace TextRecognition
