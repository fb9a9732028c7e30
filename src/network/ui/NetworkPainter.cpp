#include "network/ui/NetworkPainter.h"

#include "library/ImageCache.h"
#include "library/ui/CardPainter.h"
#include "network/NetworkStore.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QStaticText>
#include <QVarLengthArray>
#include <cmath>

using namespace Qt::StringLiterals;

namespace NetworkPainter {

namespace {

constexpr qreal columnSpacing = 5;
constexpr qreal capsuleInsetX = 9;
constexpr qreal capsuleInsetY = 5;
constexpr qreal capsuleSpacing = 5;
constexpr qreal logoSize = 14;
constexpr qreal dotSize = 6;
// Room around a prepared disc for its ring, which is stroked across the edge.
constexpr qreal discMargin = 2;

// Fonts and their line heights, set up once: measuring is most of the cost
// of drawing a few hundred labels.
struct Fonts {
    QFont you = CardPainter::font(14, QFont::DemiBold);
    QFont count = CardPainter::font(10);
    QFont company = CardPainter::font(10.5, QFont::DemiBold);
    QFont initials = CardPainter::font(13, QFont::DemiBold);
    QFont name = CardPainter::font(10.5, QFont::DemiBold);
    QFont location = CardPainter::font(9);
    QFontMetricsF companyMetrics{company};
    QFontMetricsF nameMetrics{name};
    QFontMetricsF locationMetrics{location};
    QFontMetricsF countMetrics{count};
};

const Fonts& fonts() {
    static const Fonts shared;
    return shared;
}

QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(alpha);
    return color;
}

// What is drawn again and again, made once: laid-out labels, and avatars and
// logos already cut to their shapes. Clipping every image to a circle and
// laying out every label anew made a frame of 500 people take over 100 ms.
// Interface thread only; bounded by dropping everything past a size a real
// network does not reach.
class Prepared {
public:
    static Prepared& shared() {
        static Prepared prepared;
        return prepared;
    }

    // text in font, elided to width when width > 0.
    const QStaticText& label(int fontKind, const QFont& font, const QString& text,
                             qreal width = 0) {
        const QString key = QString::number(fontKind) + u'|' + QString::number(width) + u'|' + text;
        auto it = labels.find(key);
        if (it == labels.end()) {
            if (labels.size() > maxEntries)
                labels.clear();
            const QString shown =
                width > 0 ? QFontMetricsF(font).elidedText(text, Qt::ElideRight, width) : text;
            QStaticText staticText(shown);
            staticText.setTextFormat(Qt::PlainText);
            staticText.setPerformanceHint(QStaticText::AggressiveCaching);
            staticText.prepare(QTransform(), font);
            it = labels.insert(key, staticText);
        }
        return *it;
    }

    // The image cut to a circle (radius 0) or a rounded square, at side
    // device-independent pixels for ratio.
    const QImage& shaped(const QString& path, const QImage& image, qreal side, qreal ratio,
                         qreal radius) {
        const QString key =
            path + u'|' + QString::number(side * ratio) + u'|' + QString::number(radius);
        auto it = images.find(key);
        if (it == images.end()) {
            if (images.size() > maxEntries)
                images.clear();
            const int pixels = qCeil(side * ratio);
            QImage out(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
            out.fill(Qt::transparent);
            {
                QPainter painter(&out);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                const QRectF target(0, 0, pixels, pixels);
                QPainterPath shape;
                if (radius > 0)
                    shape.addRoundedRect(target, radius * ratio, radius * ratio);
                else
                    shape.addEllipse(target);
                painter.setClipPath(shape);
                // Cover the square, cropping what overflows.
                const qreal edge = std::min(image.width(), image.height());
                painter.drawImage(
                    target, image,
                    QRectF((image.width() - edge) / 2, (image.height() - edge) / 2, edge, edge));
            }
            out.setDevicePixelRatio(ratio);
            it = images.insert(key, out);
        }
        return *it;
    }

    // A person's circle with its ring, drawn once by draw into a square
    // image with room for the ring around the circle.
    template <typename Draw> const QImage& disc(const QString& key, qreal ratio, Draw draw) {
        const QString fullKey = key + u'|' + QString::number(ratio);
        auto it = discs.find(fullKey);
        if (it == discs.end()) {
            if (discs.size() > maxEntries)
                discs.clear();
            const qreal side = circleSize + 2 * discMargin;
            QImage out(qCeil(side * ratio), qCeil(side * ratio),
                       QImage::Format_ARGB32_Premultiplied);
            out.setDevicePixelRatio(ratio);
            out.fill(Qt::transparent);
            {
                QPainter painter(&out);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                draw(painter, QRectF(discMargin, discMargin, circleSize, circleSize));
            }
            it = discs.insert(fullKey, out);
        }
        return *it;
    }

private:
    static constexpr qsizetype maxEntries = 20'000;
    QHash<QString, QImage> discs;
    QHash<QString, QStaticText> labels;
    QHash<QString, QImage> images;
};

enum FontKind { youFont, countFont, companyFont, initialsFont, nameFont, locationFont };

// Draws a prepared label centred horizontally on centreX with its top at top.
void drawCentred(QPainter& painter, const QStaticText& text, qreal centreX, qreal top) {
    painter.drawStaticText(QPointF(centreX - text.size().width() / 2, top), text);
}

qreal columnHeight(const Person& person) {
    const Fonts& f = fonts();
    qreal height = circleSize + columnSpacing + f.nameMetrics.height();
    if (!person.location.isEmpty())
        height += columnSpacing + f.locationMetrics.height();
    return height;
}

qreal ratio(const QPainter& painter) {
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

void paintHub(QPainter& painter, const NetworkLayout::Hub& hub, const Scene& scene) {
    const Fonts& f = fonts();
    std::optional<QImage> logo;
    const std::optional<QString> logoPath = scene.network.logoURL(hub.company);
    if (logoPath)
        logo = scene.images.load(*logoPath, qCeil(logoSize * ratio(painter)));
    const qreal markSize = logo ? logoSize : dotSize;
    const QStaticText& label = Prepared::shared().label(companyFont, f.company, hub.company);
    const qreal textWidth = label.size().width();
    const qreal contentHeight = std::max(markSize, f.companyMetrics.height());
    const QSizeF size(capsuleInsetX * 2 + markSize + capsuleSpacing + textWidth,
                      capsuleInsetY * 2 + contentHeight);
    const QRectF capsule(hub.position.x() - size.width() / 2, hub.position.y() - size.height() / 2,
                         size.width(), size.height());
    const QColor color = paletteColor(hub.color);
    painter.setPen(QPen(withAlpha(color, 0.4), 1));
    painter.setBrush(scene.palette.color(QPalette::Window));
    painter.drawRoundedRect(capsule, size.height() / 2, size.height() / 2);

    const QRectF mark(capsule.left() + capsuleInsetX, hub.position.y() - markSize / 2, markSize,
                      markSize);
    if (logo) {
        painter.drawImage(mark.topLeft(),
                          Prepared::shared().shaped(*logoPath, *logo, logoSize, ratio(painter), 3));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(mark);
    }
    painter.setFont(f.company);
    painter.setPen(scene.palette.color(QPalette::WindowText));
    painter.drawStaticText(
        QPointF(mark.right() + capsuleSpacing, hub.position.y() - label.size().height() / 2),
        label);
}

void paintNode(QPainter& painter, const NetworkLayout::Node& node, const Scene& scene) {
    const Fonts& f = fonts();
    const Person& person = node.person;
    const bool selected = scene.selected == person.id;
    const QColor color = paletteColor(node.color);
    painter.save();
    if (selected) {
        painter.translate(node.position);
        painter.scale(scene.selectionScale, scene.selectionScale);
        painter.translate(-node.position);
    }
    const QPointF centre = circleCenter(person, node.position);
    const QRectF circle(centre.x() - circleSize / 2, centre.y() - circleSize / 2, circleSize,
                        circleSize);
    std::optional<QImage> avatar;
    const QString avatarPath = scene.network.storedPath(person.avatarFileName);
    if (!avatarPath.isEmpty())
        avatar = scene.images.load(avatarPath, qCeil(circleSize * ratio(painter)));
    if (avatar && avatar->isNull())
        avatar.reset();
    Prepared& prepared = Prepared::shared();
    const qreal pixelRatio = ratio(painter);
    const auto drawDisc = [&](QPainter& target, const QRectF& disc) {
        if (avatar) {
            target.drawImage(disc.topLeft(),
                             prepared.shaped(avatarPath, *avatar, circleSize, pixelRatio, 0));
        } else {
            target.setPen(Qt::NoPen);
            target.setBrush(withAlpha(color, 0.14));
            target.drawEllipse(disc);
            target.setFont(f.initials);
            target.setPen(color);
            const QStaticText& initials =
                prepared.label(initialsFont, f.initials, person.initials());
            drawCentred(target, initials, disc.center().x(),
                        disc.center().y() - initials.size().height() / 2);
        }
        target.setBrush(Qt::NoBrush);
        target.setPen(selected ? QPen(color, 2) : QPen(withAlpha(color, 0.5), 1.2));
        target.drawEllipse(disc);
    };
    if (selected) {
        // Drawn as it grows; every other disc comes from the prepared ones.
        drawDisc(painter, circle);
    } else {
        const QString key = (avatar ? avatarPath : u"initials:"_s + person.initials()) + u'|' +
                            QString::number(color.rgba());
        painter.drawImage(circle.topLeft() - QPointF(discMargin, discMargin),
                          prepared.disc(key, pixelRatio, drawDisc));
    }

    qreal y = circle.bottom() + columnSpacing;
    painter.setFont(f.name);
    painter.setPen(scene.palette.color(QPalette::WindowText));
    drawCentred(painter, prepared.label(nameFont, f.name, person.name, nodeWidth),
                node.position.x(), y);
    if (!person.location.isEmpty()) {
        y += f.nameMetrics.height() + columnSpacing;
        painter.setFont(f.location);
        painter.setPen(CardPainter::secondary(scene.palette));
        drawCentred(painter, prepared.label(locationFont, f.location, person.location, nodeWidth),
                    node.position.x(), y);
    }
    painter.restore();
}

} // namespace

QColor paletteColor(int index) {
    static const QColor colors[NetworkLayout::paletteSize] = {
        QColor(0x00, 0x7A, 0xFF), // blue
        QColor(0xAF, 0x52, 0xDE), // purple
        QColor(0x34, 0xC7, 0x59), // green
        QColor(0xFF, 0x95, 0x00), // orange
        QColor(0xFF, 0x2D, 0x55), // pink
        QColor(0x30, 0xB0, 0xC7), // teal
        QColor(0x58, 0x56, 0xD6), // indigo
        QColor(0xFF, 0x3B, 0x30), // red
    };
    return colors[((index % NetworkLayout::paletteSize) + NetworkLayout::paletteSize) %
                  NetworkLayout::paletteSize];
}

QRectF nodeRect(const Person& person, const QPointF& position) {
    const qreal height = columnHeight(person);
    return {position.x() - nodeWidth / 2, position.y() - height / 2, nodeWidth, height};
}

QPointF circleCenter(const Person& person, const QPointF& position) {
    return {position.x(), position.y() - columnHeight(person) / 2 + circleSize / 2};
}

std::optional<QUuid> personAt(const NetworkLayout& layout, const QPointF& point) {
    const QList<NetworkLayout::Node>& nodes = layout.nodes();
    for (qsizetype i = nodes.size() - 1; i >= 0; --i) {
        const NetworkLayout::Node& node = nodes[i];
        const QPointF centre = circleCenter(node.person, node.position);
        const QPointF offset = point - centre;
        const bool onCircle =
            std::hypot(offset.x(), offset.y()) <= circleSize / 2 + 2; // a little slack
        const QRectF labels =
            nodeRect(node.person, node.position).adjusted(0, circleSize + columnSpacing, 0, 0);
        if (onCircle || labels.contains(point))
            return node.person.id;
    }
    return std::nullopt;
}

void paint(QPainter& painter, const Scene& scene) {
    paintBackdrop(painter, scene);
    paintPeople(painter, scene);
    paintSelected(painter, scene);
}

void paintSelected(QPainter& painter, const Scene& scene) {
    if (!scene.selected)
        return;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Last, so its larger circle is not covered.
    for (const NetworkLayout::Node& node : scene.layout.nodes()) {
        if (node.person.id == *scene.selected) {
            paintNode(painter, node, scene);
            return;
        }
    }
}

void paintBackdrop(QPainter& painter, const Scene& scene) {
    const Fonts& f = fonts();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    // Every line is a quadratic curve whose control point is its midpoint,
    // which is a straight segment: drawn as one, a colour's lines at once.
    QVarLengthArray<QLineF, 256> lines[NetworkLayout::paletteSize];
    for (const NetworkLayout::Edge& edge : scene.layout.edges())
        lines[edge.color].append(QLineF(edge.from, edge.to));
    for (int color = 0; color < NetworkLayout::paletteSize; ++color) {
        if (lines[color].isEmpty())
            continue;
        painter.setPen(QPen(withAlpha(paletteColor(color), 0.35), 1));
        painter.drawLines(lines[color].constData(), int(lines[color].size()));
    }

    const QPointF centre = NetworkLayout::center();
    const QRectF you(centre.x() - youSize / 2, centre.y() - youSize / 2, youSize, youSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(scene.palette.color(QPalette::WindowText));
    painter.drawEllipse(you);
    painter.setFont(f.you);
    painter.setPen(scene.palette.color(QPalette::Window));
    const QStaticText& youLabel = Prepared::shared().label(youFont, f.you, u"You"_s);
    drawCentred(painter, youLabel, centre.x(), centre.y() - youLabel.size().height() / 2);
    painter.setFont(f.count);
    painter.setPen(scene.palette.color(QPalette::WindowText));
    const QString count = QString::number(scene.network.people().size()) + u" people"_s;
    drawCentred(painter, Prepared::shared().label(countFont, f.count, count), centre.x(),
                you.bottom() + 5);

    for (const NetworkLayout::Hub& hub : scene.layout.hubs())
        paintHub(painter, hub, scene);
}

void paintPeople(QPainter& painter, const Scene& scene) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const NetworkLayout::Node& node : scene.layout.nodes()) {
        if (scene.selected != node.person.id)
            paintNode(painter, node, scene);
    }
}

} // namespace NetworkPainter
