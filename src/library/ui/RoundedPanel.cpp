#include "library/ui/RoundedPanel.h"

#include <QPainter>

RoundedPanel::RoundedPanel(qreal radius, QPalette::ColorRole fill, QWidget* parent)
    : QWidget(parent), radius(radius), fill(fill) {}

void RoundedPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(127, 127, 127, 70), 1));
    painter.setBrush(palette().color(fill));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}
