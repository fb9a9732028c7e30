#include "platform/linux/PopplerPdfReader.h"

#include "common/Graphemes.h"

#include <memory>
#include <mutex>
#include <poppler/qt6/poppler-qt6.h>

namespace {

// Damaged documents make poppler complain on standard error; reading them is
// expected to fail quietly.
void ignoreMessage(const QString&, const QVariant&) {}

std::unique_ptr<Poppler::Document> open(const QString& path) {
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document || document->isLocked())
        return nullptr;
    return document;
}

} // namespace

PopplerPdfReader::PopplerPdfReader() {
    static std::once_flag silenced;
    std::call_once(silenced, [] { Poppler::setDebugErrorFunction(ignoreMessage, QVariant()); });
}

std::optional<QString> PopplerPdfReader::text(const QString& path, qsizetype enoughCharacters) {
    const std::unique_ptr<Poppler::Document> document = open(path);
    if (!document)
        return std::nullopt;
    QString text;
    for (int index = 0; index < document->numPages(); ++index) {
        const std::unique_ptr<Poppler::Page> page = document->page(index);
        if (!page)
            continue;
        if (!text.isEmpty())
            text += u'\n';
        text += page->text(QRectF());
        if (text.size() >= enoughCharacters && Graphemes::hasAtLeast(text, enoughCharacters))
            break;
    }
    if (text.trimmed().isEmpty())
        return std::nullopt;
    return text;
}

std::optional<QImage> PopplerPdfReader::firstPage(const QString& path, QSize maxSize) {
    const std::unique_ptr<Poppler::Document> document = open(path);
    if (!document || document->numPages() < 1 || maxSize.isEmpty())
        return std::nullopt;
    const std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page)
        return std::nullopt;
    const QSizeF points = page->pageSizeF();
    if (points.width() <= 0 || points.height() <= 0)
        return std::nullopt;
    // Resolution that fits the page into maxSize: 72 dpi draws one pixel per point.
    const double scale =
        std::min(maxSize.width() / points.width(), maxSize.height() / points.height());
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    QImage image = page->renderToImage(72.0 * scale, 72.0 * scale);
    if (image.isNull())
        return std::nullopt;
    // Rounding of the resolution may overshoot the box by a pixel.
    if (image.width() > maxSize.width() || image.height() > maxSize.height())
        image = image.scaled(maxSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}
