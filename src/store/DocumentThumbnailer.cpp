#include "store/DocumentThumbnailer.h"

#include "platform/PdfReader.h"
#include "store/DocumentReader.h"
#include "store/ImageData.h"
#include "store/RtfReader.h"
#include "store/Store.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QPainter>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

// Only the start of a text shows on a thumbnail.
constexpr qint64 textBytesShown = 16 * 1024;

bool isPlainText(const QString& path) {
    if (DocumentReader::isTextExtension(QFileInfo(path).suffix().toLower()))
        return true;
    static const QMimeDatabase database;
    return database.mimeTypeForFile(path, QMimeDatabase::MatchExtension).inherits(u"text/plain"_s);
}

std::optional<QString> documentText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (QFileInfo(path).suffix().toLower() == u"rtf") {
        // The whole file is needed to balance its groups; only read modest ones.
        if (file.size() <= DocumentReader::maxRtfFileBytes) {
            if (std::optional<QString> text = RtfReader::plainText(file.readAll()))
                return text->left(textBytesShown);
        }
        file.seek(0);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    return QString(utf8.decode(file.read(textBytesShown)));
}

// An A4-shaped white page with the text's first lines in a fixed-width font.
std::optional<QImage> textPage(const QString& text, QSize maxSize) {
    // Fonts exist only in a graphical application (the desktop app, or a
    // command started with an offscreen platform).
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    const QSize page = QSizeF(1.0, 1.4142).scaled(QSizeF(maxSize), Qt::KeepAspectRatio).toSize();
    if (page.isEmpty())
        return std::nullopt;
    QImage image(page, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(std::max(6, page.width() / 48));
    painter.setFont(font);
    painter.setPen(QColor(0x22, 0x22, 0x22));
    const int margin = page.width() / 14;
    const QRect area(margin, margin, page.width() - 2 * margin, page.height() - 2 * margin);
    painter.setClipRect(area);
    const int lineHeight = painter.fontMetrics().lineSpacing();
    int y = area.top() + painter.fontMetrics().ascent();
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (y - painter.fontMetrics().ascent() > area.bottom())
            break;
        QString shown = line.toString();
        shown.replace(u'\t', u"    "_s);
        shown.remove(u'\r');
        painter.drawText(area.left(), y, shown);
        y += lineHeight;
    }
    painter.end();
    return image;
}

} // namespace

DocumentThumbnailer::DocumentThumbnailer(PdfReader& pdf) : pdf(pdf) {}

std::optional<QImage> DocumentThumbnailer::thumbnail(const QString& path, QSize maxSize) {
    if (maxSize.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    if (QFileInfo(path).suffix().toLower() == u"pdf")
        return pdf.firstPage(path, maxSize);
    if (Store::isImageFile(path)) {
        const std::optional<QImage> image =
            ImageData::load(path, std::max(maxSize.width(), maxSize.height()));
        if (!image)
            return std::nullopt;
        if (image->width() <= maxSize.width() && image->height() <= maxSize.height())
            return image;
        return image->scaled(maxSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (isPlainText(path)) {
        if (const std::optional<QString> text = documentText(path))
            return textPage(*text, maxSize);
    }
    return std::nullopt;
}
