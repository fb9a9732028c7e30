#include "common/ui/SymbolIcon.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

namespace {

// Symbol name → an Adwaita symbolic icon (folder/name under "scalable"), or
// a drawing of ours under ":/symbols" where the theme has no fitting shape.
const QHash<QString, QString>& table() {
    static const QHash<QString, QString> symbols{
        {u"doc.fill"_s, u"mimetypes/text-x-generic-symbolic"_s},
        {u"photo.fill"_s, u"mimetypes/image-x-generic-symbolic"_s},
        {u"link"_s, u":/symbols/link.svg"_s},
        {u"text.alignleft"_s, u"actions/format-justify-left-symbolic"_s},
        {u"chevron.down"_s, u"ui/pan-down-symbolic"_s},
        {u"plus"_s, u"actions/list-add-symbolic"_s},
        {u"xmark"_s, u":/symbols/xmark.svg"_s},
        {u"magnifyingglass"_s, u"actions/system-search-symbolic"_s},
        {u"trash"_s, u"places/user-trash-symbolic"_s},
        {u"doc.on.doc"_s, u"actions/edit-copy-symbolic"_s},
        {u"sparkles"_s, u":/symbols/sparkles.svg"_s},
        {u"tag.fill"_s, u":/symbols/tag.fill.svg"_s},
        {u"checkmark.circle.fill"_s, u":/symbols/checkmark.circle.fill.svg"_s},
        {u"arrow.down.circle.dashed"_s, u":/symbols/arrow.down.circle.dashed.svg"_s},
        {u"square.and.pencil"_s, u"actions/document-edit-symbolic"_s},
        {u"line.3.horizontal.decrease.circle"_s,
         u":/symbols/line.3.horizontal.decrease.circle.svg"_s},
        {u"line.3.horizontal.decrease.circle.fill"_s,
         u":/symbols/line.3.horizontal.decrease.circle.fill.svg"_s},
        {u"xmark.circle.fill"_s, u":/symbols/xmark.circle.fill.svg"_s},
        {u"sparkles.rectangle.stack"_s, u":/symbols/sparkles.rectangle.stack.svg"_s},
        {u"square.stack"_s, u":/symbols/square.stack.svg"_s},
        {u"checkmark"_s, u":/symbols/checkmark.svg"_s},
        {u"tag"_s, u":/symbols/tag.fill.svg"_s},
        {u"photo"_s, u"mimetypes/image-x-generic-symbolic"_s},
        {u"doc"_s, u"mimetypes/text-x-generic-symbolic"_s},
        {u"doc.richtext"_s, u"mimetypes/x-office-document-symbolic"_s},
        {u"music.note"_s, u"mimetypes/audio-x-generic-symbolic"_s},
        {u"film"_s, u"mimetypes/video-x-generic-symbolic"_s},
        {u"archivebox"_s, u"mimetypes/package-x-generic-symbolic"_s},
        {u"person.badge.plus"_s, u"actions/contact-new-symbolic"_s},
        {u"point.3.connected.trianglepath.dotted"_s,
         u":/symbols/point.3.connected.trianglepath.dotted.svg"_s},
        {u"arrow.up.right.square"_s, u"actions/send-to-symbolic"_s},
        {u"pencil"_s, u"actions/document-edit-symbolic"_s},
        {u"building.2"_s, u"places/user-home-symbolic"_s},
        {u"mappin.and.ellipse"_s, u"actions/mark-location-symbolic"_s},
        {u"doc.on.clipboard"_s, u"actions/edit-paste-symbolic"_s},
        {u"eye.slash"_s, u"actions/view-conceal-symbolic"_s},
        {u"gearshape"_s, u"emblems/emblem-system-symbolic"_s},
        {u"person.text.rectangle"_s, u"mimetypes/x-office-address-book-symbolic"_s},
        {u"person.fill"_s, u"status/avatar-default-symbolic"_s},
    };
    return symbols;
}

QString pathOf(const QString& symbolName) {
    static QHash<QString, QString> found;
    if (auto it = found.constFind(symbolName); it != found.constEnd())
        return *it;
    const QString entry = table().value(symbolName);
    QString path;
    if (entry.startsWith(u":/"_s)) {
        path = entry;
    } else if (!entry.isEmpty()) {
        QStringList roots = QIcon::themeSearchPaths();
        roots.append(u"/usr/share/icons"_s);
        for (const QString& root : std::as_const(roots)) {
            const QString candidate = root + u"/Adwaita/scalable/"_s + entry + u".svg"_s;
            if (QFile::exists(candidate)) {
                path = candidate;
                break;
            }
        }
    }
    found.insert(symbolName, path);
    return path;
}

} // namespace

namespace SymbolIcon {

bool has(const QString& symbolName) {
    return !pathOf(symbolName).isEmpty();
}

QPixmap pixmap(const QString& symbolName, int size, const QColor& color, qreal devicePixelRatio) {
    const QString path = pathOf(symbolName);
    if (path.isEmpty() || size <= 0)
        return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
        // The drawings are one colour: keep their coverage, paint it in ours.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

QIcon icon(const QString& symbolName, const QColor& color) {
    QIcon result;
    for (int size : {12, 16, 20, 24, 32, 48}) {
        const QPixmap drawn = pixmap(symbolName, size, color);
        if (!drawn.isNull())
            result.addPixmap(drawn);
    }
    return result;
}

QStringList names() {
    QStringList list = table().keys();
    list.sort();
    return list;
}

} // namespace SymbolIcon
