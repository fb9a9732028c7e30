#include "network/ui/NetworkPainter.h"

#include "library/ImageCache.h"
#include "library/ui/CardPainter.h"
#include "network/NetworkStore.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
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
    if (const std::optional<QString> path = scene.network.logoURL(hub.company))
        logo = scene.images.load(*path, qCeil(logoSize * ratio(painter)));
    const qreal markSize = logo ? logoSize : dotSize;
    const qreal textWidth = f.companyMetrics.horizontalAdvance(hub.company);
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
        QPainterPath rounded;
        rounded.addRoundedRect(mark, 3, 3);
        painter.save();
        painter.setClipPath(rounded, Qt::IntersectClip);
        painter.drawImage(mark, *logo);
        painter.restore();
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(mark);
    }
    painter.setFont(f.company);
    painter.setPen(scene.palette.color(QPalette::WindowText));
    painter.drawText(
        QRectF(mark.right() + capsuleSpacing, capsule.top(), textWidth + 1, capsule.height()),
        Qt::AlignLeft | Qt::AlignVCenter, hub.company);
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
    if (avatar && !avatar->isNull()) {
        QPainterPath round;
        round.addEllipse(circle);
        painter.save();
        painter.setClipPath(round, Qt::IntersectClip);
        // Cover the circle, cropping what overflows.
        const QSizeF size = avatar->size();
        const qreal side = std::min(size.width(), size.height());
        painter.drawImage(
            circle, *avatar,
            QRectF((size.width() - side) / 2, (size.height() - side) / 2, side, side));
        painter.restore();
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(color, 0.14));
        painter.drawEllipse(circle);
        painter.setFont(f.initials);
        painter.setPen(color);
        painter.drawText(circle, Qt::AlignCenter, person.initials());
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(selected ? QPen(color, 2) : QPen(withAlpha(color, 0.5), 1.2));
    painter.drawEllipse(circle);

    qreal y = circle.bottom() + columnSpacing;
    const qreal left = node.position.x() - nodeWidth / 2;
    painter.setFont(f.name);
    painter.setPen(scene.palette.color(QPalette::WindowText));
    const qreal nameHeight = f.nameMetrics.height();
    painter.drawText(QRectF(left, y, nodeWidth, nameHeight), Qt::AlignHCenter | Qt::AlignTop,
                     f.nameMetrics.elidedText(person.name, Qt::ElideRight, nodeWidth));
    if (!person.location.isEmpty()) {
        y += nameHeight + columnSpacing;
        painter.setFont(f.location);
        painter.setPen(CardPainter::secondary(scene.palette));
        painter.drawText(QRectF(left, y, nodeWidth, f.locationMetrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop,
                         f.locationMetrics.elidedText(person.location, Qt::ElideRight, nodeWidth));
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
    const Fonts& f = fonts();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    // Every line is a quadratic curve whose control point is its midpoint,
    // which is a straight segment: drawn as one.
    for (const NetworkLayout::Edge& edge : scene.layout.edges()) {
        painter.setPen(QPen(withAlpha(paletteColor(edge.color), 0.35), 1));
        painter.drawLine(edge.from, edge.to);
    }

    const QPointF centre = NetworkLayout::center();
    const QRectF you(centre.x() - youSize / 2, centre.y() - youSize / 2, youSize, youSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(scene.palette.color(QPalette::WindowText));
    painter.drawEllipse(you);
    painter.setFont(f.you);
    painter.setPen(scene.palette.color(QPalette::Window));
    painter.drawText(you, Qt::AlignCenter, u"You"_s);
    painter.setFont(f.count);
    painter.setPen(scene.palette.color(QPalette::WindowText));
    const QString count = QString::number(scene.network.people().size()) + u" people"_s;
    painter.drawText(QRectF(centre.x() - 60, you.bottom() + 5, 120, f.countMetrics.height()),
                     Qt::AlignHCenter | Qt::AlignTop, count);

    for (const NetworkLayout::Hub& hub : scene.layout.hubs())
        paintHub(painter, hub, scene);
    // The selected node last, so its larger circle is not covered.
    const NetworkLayout::Node* selected = nullptr;
    for (const NetworkLayout::Node& node : scene.layout.nodes()) {
        if (scene.selected == node.person.id) {
            selected = &node;
            continue;
        }
        paintNode(painter, node, scene);
    }
    if (selected)
        paintNode(painter, *selected, scene);
}

} // namespace NetworkPainter
