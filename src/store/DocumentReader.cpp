#include "store/DocumentReader.h"

#include "common/Graphemes.h"
#include "platform/PdfReader.h"
#include "platform/ThumbnailGenerator.h"
#include "store/BoundedWait.h"
#include "store/ImageData.h"
#include "store/RtfReader.h"
#include "store/Store.h"
#include "store/StoredFile.h"
#include "store/TextRecognition.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

QString cut(const QString& text) {
    if (!Graphemes::hasAtLeast(text, DocumentReader::maxTextCharacters + 1))
        return text;
    return Graphemes::prefix(text, DocumentReader::maxTextCharacters);
}

std::optional<QByteArray> readFile(const QString& path, qint64 maxBytes, bool* whole) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFile::NoError)
        return std::nullopt;
    *whole = file.atEnd();
    return bytes;
}

// The file's text when it is UTF-8. A file longer than the part read is
// judged by that part, whose last character may be cut.
std::optional<QString> readUtf8(const QString& path) {
    bool whole = true;
    const std::optional<QByteArray> bytes =
        readFile(path, DocumentReader::maxTextFileBytes, &whole);
    if (!bytes)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8,
                        whole ? QStringDecoder::Flag::Stateless : QStringDecoder::Flag::Default);
    const QString text = utf8.decode(*bytes);
    if (utf8.hasError())
        return std::nullopt;
    return cut(text);
}

std::optional<QString> readRtf(const QString& path) {
    bool whole = true;
    const std::optional<QByteArray> bytes = readFile(path, DocumentReader::maxRtfFileBytes, &whole);
    if (!bytes || !whole)
        return std::nullopt;
    return RtfReader::plainText(*bytes);
}

} // namespace

DocumentReader::DocumentReader(PdfReader& pdf, TextRecognizer& recognizer,
                               ThumbnailGenerator& thumbnails)
    : pdf(pdf), recognizer(recognizer), thumbnails(thumbnails) {}

bool DocumentReader::isTextExtension(const QString& extension) {
    static const QStringList extensions = {
        u"txt"_s, u"md"_s,   u"markdown"_s, u"csv"_s, u"json"_s, u"swift"_s, u"js"_s, u"ts"_s,
        u"py"_s,  u"html"_s, u"css"_s,      u"log"_s, u"yaml"_s, u"yml"_s,   u"sh"_s, u"rtf"_s};
    return extensions.contains(extension);
}

std::optional<QString> DocumentReader::extractFileText(const QString& path) const {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == u"pdf") {
        const std::optional<QString> text = pdf.text(path, maxTextCharacters);
        if (!text)
            return std::nullopt;
        return cut(*text);
    }
    if (isTextExtension(extension)) {
        if (extension == u"rtf") {
            if (std::optional<QString> text = readRtf(path))
                return text;
        }
        return readUtf8(path);
    }
    if (Store::isImageFile(path)) {
        const std::optional<QImage> image = ImageData::load(path);
        if (!image)
            return std::nullopt;
        return TextRecognition::ocr(recognizer, *image);
    }
    return std::nullopt;
}

std::optional<QString> DocumentReader::quickLookThumbnail(const QString& path,
                                                          const QString& filesDir,
                                                          std::chrono::milliseconds wait) const {
    ThumbnailGenerator* generator = &thumbnails;
    const std::optional<std::optional<QImage>> image = runWithin(wait, [generator, path] {
        return generator->thumbnail(path, QSize(thumbnailPixels, thumbnailPixels));
    });
    if (!image || !*image || (*image)->isNull())
        return std::nullopt;
    return StoredFile::writePng(filesDir, u"-thumb.png"_s, **image);
}
