#include "library/ui/CardPainter.h"

#include "common/ui/SymbolIcon.h"
#include "library/CardText.h"
#include "library/ImageCache.h"
#include "library/ui/LibraryContext.h"
#include "platform/Clock.h"
#include "store/Store.h"

#include <QDir>
#include <QFontInfo>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QWidget>
#include <cmath>
#include <qdrawutil.h>

using namespace Qt::StringLiterals;

namespace CardPainter {

namespace {

qreal ratio(const QPainter& painter) {
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

std::optional<QImage> stored(const LibraryContext& context, const std::optional<QString>& name,
                             qreal width, const QPainter& painter) {
    if (!name || name->isEmpty())
        return std::nullopt;
    const int pixels = qCeil(width * ratio(painter));
    return context.images.load(QDir(context.store.filesDir()).filePath(*name), pixels);
}

// Scales image to cover target (cropping what overflows), as a photo fills a
// frame. A picture too tall for its frame shows its top, where a receipt or a
// page begins, rather than its middle.
enum class Crop { centre, keepTop };
void paintCovering(QPainter& painter, const QRectF& target, const QImage& image,
                   Crop crop = Crop::centre) {
    const QSizeF size = image.size();
    const qreal scale = std::max(target.width() / size.width(), target.height() / size.height());
    const QSizeF shown(target.width() / scale, target.height() / scale);
    const qreal top = crop == Crop::keepTop ? 0 : (size.height() - shown.height()) / 2;
    const QRectF source((size.width() - shown.width()) / 2, top, shown.width(), shown.height());
    painter.drawImage(target, image, source);
}

void paintFitting(QPainter& painter, const QRectF& target, const QImage& image) {
    const QSizeF size = QSizeF(image.size()).scaled(target.size(), Qt::KeepAspectRatio);
    const QRectF placed(target.center().x() - size.width() / 2,
                        target.center().y() - size.height() / 2, size.width(), size.height());
    painter.drawImage(placed, image);
}

void paintSymbol(QPainter& painter, const QString& name, const QRectF& rect, const QColor& color) {
    const QPixmap pixmap = symbol(name, qRound(rect.width()), color, ratio(painter));
    if (!pixmap.isNull())
        painter.drawPixmap(rect.topLeft(), pixmap);
}

QColor faint(const QPalette& palette, qreal alpha) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(alpha);
    return color;
}

void paintText(QPainter& painter, const QRectF& content, const Item& item,
               const QPalette& palette) {
    paintWrapped(painter, content.adjusted(textInset, textInset, -textInset, -2),
                 item.text.value_or(item.title), font(12.5), palette.color(QPalette::Text),
                 textMaxLines, textLineSpacing);
}

void paintImage(QPainter& painter, const QRectF& content, const Item& item,
                const LibraryContext& context, const QPalette& palette) {
    if (const auto image = stored(context, item.fileName, content.width(), painter)) {
        paintCovering(painter, content, *image, Crop::keepTop);
        return;
    }
    const QRectF banner(content.left(), content.top(), content.width(), pictureBanner);
    painter.fillRect(banner, faint(palette, 0.05));
    paintSymbol(painter, u"photo"_s, QRectF(banner.center() - QPointF(12, 12), QSizeF(24, 24)),
                secondary(palette));
}

void paintLink(QPainter& painter, const QRectF& content, const Item& item,
               const LibraryContext& context, const QPalette& palette) {
    qreal top = content.top();
    if (const auto thumb = stored(context, item.thumbFileName, content.width(), painter)) {
        const QRectF preview(content.left(), top, content.width(), 140);
        paintCovering(painter, preview, *thumb);
        top = preview.bottom();
    }
    const QRectF text(content.left() + 12, top + 12, content.width() - 24,
                      content.bottom() - top - 12);
    const QString title = item.title.isEmpty() ? item.detail : item.title;
    const qreal used = paintWrapped(painter, text, title, font(12.5, QFont::DemiBold),
                                    palette.color(QPalette::Text), 2, 2);
    if (item.text && !item.text->isEmpty()) {
        paintWrapped(painter, text.adjusted(0, used + 4, 0, 0), *item.text, font(11),
                     secondary(palette), 3, 1.5);
    }
}

void paintFile(QPainter& painter, const QRectF& content, const Item& item,
               const LibraryContext& context, const QPalette& palette) {
    if (const auto thumb = stored(context, item.thumbFileName, content.width(), painter)) {
        const QRectF backdrop(content.left(), content.top(), content.width(), 150);
        painter.fillRect(backdrop, faint(palette, 0.03));
        paintFitting(painter, backdrop.adjusted(10, 10, -10, -10), *thumb);
        paintWrapped(painter,
                     QRectF(content.left() + 12, backdrop.bottom() + 10, content.width() - 24,
                            content.bottom() - backdrop.bottom() - 10),
                     item.title, font(12.5, QFont::Medium), palette.color(QPalette::Text), 2, 1);
        return;
    }
    const QRectF row = content.adjusted(12, 14, -12, 0);
    paintSymbol(painter, CardText::fileSymbol(item), QRectF(row.left(), row.top() + 1, 16, 16),
                secondary(palette));
    paintWrapped(painter, row.adjusted(16 + 9, 0, 0, 0), item.title, font(12.5, QFont::Medium),
                 palette.color(QPalette::Text), 2, 1);
}

QRectF paintFooter(QPainter& painter, const QRectF& footer, const Item& item,
                   const LibraryContext& context, const QPalette& palette) {
    qreal x = footer.left() + 12;
    const qreal middle = footer.center().y();
    if (item.kind == ItemKind::link) {
        if (const auto icon = stored(context, item.iconFileName, 12, painter)) {
            painter.drawImage(QRectF(x, middle - 6, 12, 12), *icon);
            x += 12 + 6;
        }
    }
    QRectF chip;
    const QString chipText = CardText::tagChip(item);
    const QFont chipFont = font(9.5, QFont::Medium);
    if (!chipText.isEmpty()) {
        const QFontMetricsF metrics(chipFont);
        const qreal maxWidth = footer.width() * 0.45;
        const QString shown = metrics.elidedText(chipText, Qt::ElideRight, maxWidth - 14);
        const qreal width = metrics.horizontalAdvance(shown) + 14;
        chip = QRectF(footer.right() - 10 - width, middle - 9, width, 18);
        painter.setPen(Qt::NoPen);
        QColor fill = palette.color(QPalette::Highlight);
        fill.setAlphaF(0.12);
        painter.setBrush(fill);
        painter.drawRoundedRect(chip, 9, 9);
        painter.setFont(chipFont);
        painter.setPen(palette.color(QPalette::Highlight));
        painter.drawText(chip, Qt::AlignCenter, shown);
    }
    const qreal right = chip.isNull() ? footer.right() - 12 : chip.left() - 6;
    const QFont small = font(10.5);
    const QFontMetricsF metrics(small);
    const QString time = CardText::relativeTime(item.savedAt, context.clock.now());
    const qreal timeWidth = metrics.horizontalAdvance(time);
    const QString label = metrics.elidedText(CardText::footerLabel(item), Qt::ElideRight,
                                             std::max<qreal>(0, right - x - timeWidth - 6));
    painter.setFont(small);
    painter.setPen(secondary(palette));
    const QRectF line(x, footer.top(), right - x, footer.height());
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, label);
    QColor timeColor = secondary(palette);
    timeColor.setAlphaF(timeColor.alphaF() * 0.75);
    painter.setPen(timeColor);
    const qreal labelWidth = label.isEmpty() ? 0 : metrics.horizontalAdvance(label) + 6;
    painter.drawText(line.adjusted(labelWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, time);
    return chip;
}

} // namespace

QPixmap symbol(const QString& name, int size, const QColor& color, qreal devicePixelRatio) {
    // Every card draws the same few symbols; rendering their drawings anew
    // for each card on each frame would cost more than the rest of the card.
    static QHash<QString, QPixmap> rendered;
    const QString key = name + u'|' + QString::number(size) + u'|' +
                        QString::number(color.rgba(), 16) + u'|' +
                        QString::number(devicePixelRatio);
    if (auto it = rendered.constFind(key); it != rendered.constEnd())
        return *it;
    QPixmap pixmap = SymbolIcon::pixmap(name, size, color, devicePixelRatio);
    if (rendered.size() < 512)
        rendered.insert(key, pixmap);
    return pixmap;
}

QFont font(qreal pixelSize, QFont::Weight weight) {
    QFont result;
    result.setPixelSize(qRound(pixelSize));
    result.setWeight(weight);
    return result;
}

QColor secondary(const QPalette& palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.55);
    return color;
}

void useSecondaryText(QWidget* widget, const QPalette& from) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, secondary(from));
    widget->setPalette(palette);
}

void clearBase(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    widget->setPalette(palette);
}

QColor hairline(const QPalette& palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.12);
    return color;
}

namespace {

void paintFrameDirectly(QPainter& painter, const QRectF& card, const QPalette& palette,
                        qreal hover) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // A soft shadow as a few widening outlines, slightly below the card: only
    // the edge shows, so only the edge is drawn.
    const qreal strength = 0.05 + 0.07 * hover;
    painter.setBrush(Qt::NoBrush);
    for (int layer = 1; layer <= 4; ++layer) {
        painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, strength / layer), 1.5));
        const qreal spread = layer * 1.5 - 0.75;
        painter.drawRoundedRect(card.adjusted(-spread, -spread + 2, spread, spread + 2),
                                radius + spread, radius + spread);
    }
    painter.setBrush(palette.color(QPalette::Base));
    painter.setPen(QPen(hairline(palette), 0.5));
    painter.drawRoundedRect(card, radius, radius);
    painter.restore();
}

// How far the shadow reaches outside the card, and how far in from the card's
// edge its rounded corners reach: beyond both, every row and column of a frame
// is the same, so a small frame stretched in the middle is any frame.
constexpr int frameReach = int(shadowMargin);
constexpr int cornerReach = int(radius) + 8;

// The frame of a tiny card, drawn once per palette and pixel ratio. Antialiased
// outlines cost far more than copying pixels, and a grid repaints every card
// in view on each keystroke.
const QPixmap& restingFrame(const QPalette& palette, qreal devicePixelRatio) {
    static QHash<QString, QPixmap> frames;
    const QString key = QString::number(palette.color(QPalette::Base).rgba(), 16) + u'|' +
                        QString::number(hairline(palette).rgba(), 16) + u'|' +
                        QString::number(devicePixelRatio);
    if (auto it = frames.constFind(key); it != frames.constEnd())
        return *it;
    const int side = 2 * (frameReach + cornerReach) + 1;
    QPixmap pixmap(QSize(side, side) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        const QRectF card(frameReach, frameReach, side - 2 * frameReach, side - 2 * frameReach);
        paintFrameDirectly(painter, card, palette, 0);
    }
    if (frames.size() >= 16)
        frames.clear();
    return *frames.insert(key, pixmap);
}

bool isWhole(qreal value) {
    return value == std::floor(value);
}

} // namespace

void paintFrame(QPainter& painter, const QRectF& card, const QPalette& palette, qreal hover) {
    const QTransform& transform = painter.worldTransform();
    const bool resting = hover == 0 && transform.type() <= QTransform::TxTranslate &&
                         isWhole(transform.dx()) && isWhole(transform.dy()) &&
                         isWhole(card.left()) && isWhole(card.top()) && isWhole(card.width()) &&
                         isWhole(card.height()) && card.width() > 2 * cornerReach &&
                         card.height() > 2 * cornerReach;
    if (!resting) {
        paintFrameDirectly(painter, card, palette, hover);
        return;
    }
    const int reach = frameReach + cornerReach;
    qDrawBorderPixmap(&painter,
                      card.toRect().adjusted(-frameReach, -frameReach, frameReach, frameReach),
                      QMargins(reach, reach, reach, reach), restingFrame(palette, ratio(painter)));
}

QRectF paintItem(QPainter& painter, const QRectF& card, const Item& item,
                 const LibraryContext& context, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Only pictures and their backdrops reach the rounded corners; clipping to
    // a rounded path costs more than the rest of a text card.
    const bool reachesCorners =
        item.kind == ItemKind::image ||
        (item.kind != ItemKind::text && item.thumbFileName && !item.thumbFileName->isEmpty());
    if (reachesCorners) {
        QPainterPath clip;
        clip.addRoundedRect(card, radius, radius);
        painter.setClipPath(clip, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    const QRectF content(card.left(), card.top(), card.width(), card.height() - footerHeight);
    const QRectF footer(card.left(), content.bottom(), card.width(), footerHeight);
    switch (item.kind) {
    case ItemKind::text:
        paintText(painter, content, item, palette);
        break;
    case ItemKind::image:
        paintImage(painter, content, item, context, palette);
        break;
    case ItemKind::link:
        paintLink(painter, content, item, context, palette);
        break;
    case ItemKind::file:
        paintFile(painter, content, item, context, palette);
        break;
    }
    const QRectF chip = paintFooter(painter, footer, item, context, palette);
    painter.restore();
    return chip;
}

namespace {

// The text a card can show, with its line breaks made the separators that
// QTextLayout breaks lines at (it draws a plain '\n' as nothing at all).
QString breakable(const QString& text, qsizetype limit) {
    QString shown = text.left(limit);
    shown.replace(u"\r\n"_s, QString(QChar::LineSeparator));
    for (QChar& c : shown) {
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator)
            c = QChar::LineSeparator;
        else if (c == u'\t')
            c = u' ';
    }
    return shown;
}

// Lays text out in lines of width, at most lines of them; more tells whether
// text remained beyond the last line laid out.
struct Wrapped {
    QString shown;
    int count = 0;
    bool more = false;
};

Wrapped wrap(QTextLayout& layout, const QString& text, const QFont& font, qreal width, int lines,
             qreal step) {
    // Only the start of a text can be shown, and shaping is most of the cost
    // of drawing a card, so no more is laid out than the lines could hold.
    // Printing characters are at least a fifth of the font size wide; a text
    // of narrower ones (marks, zero-width characters) just ends early, with
    // its ellipsis.
    // (QFontInfo: a font given in points has no pixel size of its own.)
    const int pixelSize = std::max(1, QFontInfo(font).pixelSize());
    const qsizetype perLine = qCeil(width / (0.2 * pixelSize)) + 1;
    Wrapped result;
    result.shown = breakable(text, lines * perLine);
    const bool cut = text.size() > lines * perLine;
    layout.setText(result.shown);
    layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        if (result.count == lines) {
            result.more = true;
            break;
        }
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += step;
        ++result.count;
    }
    layout.endLayout();
    result.more = result.more || cut;
    return result;
}

int fittingLines(qreal height, qreal step, qreal lineSpacing, int maxLines) {
    return std::min(maxLines, std::max(1, static_cast<int>((height + lineSpacing) / step)));
}

} // namespace

qreal wrappedHeight(const QString& text, const QFont& font, qreal width, int maxLines,
                    qreal lineSpacing) {
    if (width <= 0 || text.isEmpty())
        return 0;
    const qreal step = QFontMetricsF(font).height() + lineSpacing;
    QTextLayout layout;
    const int count = wrap(layout, text, font, width, maxLines, step).count;
    return count > 0 ? count * step - lineSpacing : 0;
}

qreal paintWrapped(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                   const QColor& color, int maxLines, qreal lineSpacing) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return 0;
    const QFontMetricsF metrics(font);
    const qreal step = metrics.height() + lineSpacing;
    QTextLayout layout;
    const Wrapped wrapped = wrap(layout, text, font, rect.width(),
                                 fittingLines(rect.height(), step, lineSpacing, maxLines), step);
    painter.save();
    painter.setPen(color);
    painter.setFont(font);
    for (int i = 0; i < wrapped.count; ++i) {
        const QTextLine line = layout.lineAt(i);
        const QPointF origin = rect.topLeft() + QPointF(0, line.y());
        if (i == wrapped.count - 1 && wrapped.more) {
            // The last line says that more follows: up to its own break when
            // it has one, otherwise as much of the rest as fits.
            QString rest = wrapped.shown.mid(line.textStart());
            const qsizetype lineEnd = rest.indexOf(QChar::LineSeparator);
            rest = lineEnd >= 0 ? rest.left(lineEnd).trimmed() : rest.simplified();
            const QString elided =
                metrics.elidedText(rest + QStringLiteral(" …"), Qt::ElideRight, rect.width());
            painter.drawText(QRectF(origin, QSizeF(rect.width(), metrics.height())),
                             Qt::AlignLeft | Qt::AlignTop, elided);
        } else {
            line.draw(&painter, rect.topLeft());
        }
    }
    painter.restore();
    return wrapped.count > 0 ? wrapped.count * step - lineSpacing : 0;
}

} // namespace CardPainter
