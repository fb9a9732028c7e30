#include "network/ui/NetworkCanvas.h"

#include "network/NetworkStore.h"
#include "network/ui/NetworkContext.h"
#include "network/ui/NetworkPainter.h"

#include <QEasingCurve>
#include <QMouseEvent>
#include <QPainter>

NetworkCanvas::NetworkCanvas(NetworkContext& context, QWidget* parent)
    : QWidget(parent), context(context) {
    setObjectName(QStringLiteral("networkCanvas"));
    setFixedSize(NetworkLayout::size().toSize());
    grow.setDuration(150);
    grow.setEasingCurve(QEasingCurve::OutCubic);
    grow.setStartValue(1.0);
    grow.setEndValue(1.08);
    connect(&grow, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        selectionScale = value.toReal();
        update();
    });
    refresh();
}

void NetworkCanvas::refresh() {
    currentLayout = NetworkLayout(context.network.groups());
    backdrop = QImage();
    people = QImage();
    update();
}

void NetworkCanvas::setSelected(std::optional<QUuid> id) {
    if (id == selected)
        return;
    selected = id;
    people = QImage();
    grow.stop();
    selectionScale = 1.08;
    if (selected)
        grow.start();
    update();
}

std::optional<QPointF> NetworkCanvas::nodePosition(const QUuid& id) const {
    for (const NetworkLayout::Node& node : currentLayout.nodes()) {
        if (node.person.id == id)
            return NetworkPainter::circleCenter(node.person, node.position);
    }
    return std::nullopt;
}

void NetworkCanvas::paintEvent(QPaintEvent*) {
    const NetworkPainter::Scene scene{currentLayout, context.network, context.images,
                                      selected,      selectionScale,  palette()};
    const qreal ratio = devicePixelRatioF();
    if (layerPalette != palette().cacheKey()) {
        backdrop = QImage();
        people = QImage();
        layerPalette = palette().cacheKey();
    }
    const auto prepare = [&](QImage& layer,
                             void (*paint)(QPainter&, const NetworkPainter::Scene&)) {
        if (!layer.isNull() && layer.devicePixelRatio() == ratio)
            return;
        layer = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        layer.setDevicePixelRatio(ratio);
        layer.fill(Qt::transparent);
        QPainter painter(&layer);
        paint(painter, scene);
    };
    prepare(backdrop, &NetworkPainter::paintBackdrop);
    prepare(people, &NetworkPainter::paintPeople);
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), backdrop);
    painter.drawImage(QPointF(0, 0), people);
    NetworkPainter::paintSelected(painter, scene);
}

void NetworkCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (const std::optional<QUuid> id = NetworkPainter::personAt(currentLayout, event->position()))
        Q_EMIT personClicked(*id);
    else
        QWidget::mousePressEvent(event);
}
