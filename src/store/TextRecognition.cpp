#include "store/TextRecognition.h"

#include "platform/TextRecognizer.h"
#include "store/BoundedWait.h"

std::optional<QString> TextRecognition::ocr(TextRecognizer& recognizer, const QImage& image,
                                            std::chrono::milliseconds wait) {
    if (image.isNull())
        return std::nullopt;
    // The accurate pass starts first and runs beside the fast one; the time
    // it is waited for counts from the end of the fast pass.
    auto accurate = BoundedWait<QStringList>::start([&recognizer, image] {
        return recognizer.recognizeLines(image, TextRecognizer::Level::accurate);
    });
    const QStringList fast = recognizer.recognizeLines(image, TextRecognizer::Level::fast);
    const std::optional<QStringList> accurateLines = accurate.waitFor(wait);
    const QString answer = (accurateLines ? *accurateLines : fast).join(u'\n');
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}
