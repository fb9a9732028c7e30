#include "platform/linux/TesseractTextRecognizer.h"

#include <memory>
#include <string>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>
#include <vector>

namespace {

// Text of ordinary screen captures is small (10–16 px high); the LSTM model
// reads best around 30 px, so the accurate pass doubles small images.
constexpr int upscaleBelowLongSide = 2500;

// A grey image the engine reads, with an explicit stride.
QImage engineImage(const QImage& image, TextRecognizer::Level level) {
    QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    if (level == TextRecognizer::Level::accurate &&
        std::max(grey.width(), grey.height()) < upscaleBelowLongSide)
        grey = grey.scaled(grey.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return grey;
}

std::unique_ptr<tesseract::TessBaseAPI> startEngine(TextRecognizer::Level level) {
    auto engine = std::make_unique<tesseract::TessBaseAPI>();
    // Dictionary word lists are load-time settings: the fast pass goes without
    // them, the accurate one keeps tesseract's defaults (dictionary on).
    std::vector<std::string> names;
    std::vector<std::string> values;
    if (level == TextRecognizer::Level::fast) {
        names = {"load_system_dawg", "load_freq_dawg"};
        values = {"0", "0"};
    }
    if (engine->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values,
                     false) != 0)
        return nullptr;
    engine->SetPageSegMode(tesseract::PSM_AUTO);
    return engine;
}

} // namespace

QStringList TesseractTextRecognizer::recognizeLines(const QImage& image, Level level) {
    if (image.isNull())
        return {};
    const std::unique_ptr<tesseract::TessBaseAPI> engine = startEngine(level);
    if (!engine)
        return {};
    const QImage grey = engineImage(image, level);
    engine->SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    // Screen images carry no resolution; tell the engine a typical one so it
    // does not guess from the (absent) header.
    engine->SetSourceResolution(level == Level::accurate ? 144 : 72);
    if (engine->Recognize(nullptr) != 0)
        return {};

    QStringList lines;
    std::unique_ptr<tesseract::ResultIterator> iterator(engine->GetIterator());
    if (!iterator)
        return {};
    do {
        std::unique_ptr<char[]> text(iterator->GetUTF8Text(tesseract::RIL_TEXTLINE));
        if (!text)
            continue;
        const QString line = QString::fromUtf8(text.get()).trimmed();
        if (!line.isEmpty())
            lines.append(line);
    } while (iterator->Next(tesseract::RIL_TEXTLINE));
    engine->End();
    return lines;
}
