#include "library/ui/StackCard.h"

#include "common/ui/SymbolIcon.h"
#include "library/CardText.h"
#include "library/ui/CardPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

using namespace Qt::StringLiterals;

namespace {
constexpr qreal frontOffset = 14;
constexpr qreal labelHeight = 26;
} // namespace

StackCard::StackCard(LibraryContext& context, QString key, QList<Item> items, QWidget* parent)
    : QWidget(parent), context(context), stackKey(std::move(key)), stackItems(std::move(items)),
      hoverAnimation(new QVariantAnimation(this)) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(CardText::stackHelp(stackItems.size()));
    hoverAnimation->setDuration(150);
    hoverAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        hoverAmount = value.toReal();
        update();
    });
}

void StackCard::setStack(QString key, QList<Item> items) {
    if (key == stackKey && items == stackItems)
        return;
    stackKey = std::move(key);
    stackItems = std::move(items);
    setToolTip(CardText::stackHelp(stackItems.size()));
    update();
}

QRectF StackCard::frontRect() const {
    const qreal m = CardPainter::shadowMargin;
    return QRectF(rect()).adjusted(m, m + frontOffset, -m, -m);
}

void StackCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Hovering lifts the whole pile a little.
    const qreal scale = 1.0 + 0.012 * hoverAmount;
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);

    const QRectF front = frontRect();
    const auto peek = [&](qreal inset, qreal top, qreal shade) {
        const QRectF layer(front.left() + inset, front.top() - frontOffset + top,
                           front.width() - 2 * inset, 30);
        QColor fill = palette().color(QPalette::Base);
        fill = QColor::fromRgbF(fill.redF() * shade, fill.greenF() * shade, fill.blueF() * shade);
        painter.setBrush(fill);
        painter.setPen(QPen(CardPainter::hairline(palette()), 0.5));
        painter.drawRoundedRect(layer, 12, 12);
    };
    if (stackItems.size() >= 3)
        peek(14, 0, 0.9);
    peek(7, 7, 0.95);

    CardPainter::paintFrame(painter, front, palette(), hoverAmount);
    if (stackItems.isEmpty())
        return;
    // The front card shows the first item, with the stack's label in place
    // of the item's own footer.
    const QRectF body = front.adjusted(0, 0, 0, -labelHeight + CardPainter::footerHeight);
    painter.save();
    painter.setClipRect(front.adjusted(0, 0, 0, -labelHeight));
    CardPainter::paintItem(painter, body, stackItems.front(), context, palette());
    painter.restore();

    const QRectF label(front.left() + 12, front.bottom() - labelHeight, front.width() - 24,
                       labelHeight);
    painter.setPen(QPen(CardPainter::hairline(palette()), 0.5));
    painter.drawLine(QPointF(front.left(), label.top()), QPointF(front.right(), label.top()));
    const QColor ink = palette().color(QPalette::Highlight);
    painter.drawPixmap(QPointF(label.left(), label.center().y() - 4.5),
                       CardPainter::symbol(u"square.stack"_s, 9, ink, devicePixelRatioF()));
    painter.setFont(CardPainter::font(10, QFont::Medium));
    painter.setPen(ink);
    const QString text = stackKey + u" · "_s + QString::number(stackItems.size());
    painter.drawText(
        label.adjusted(14, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(text, Qt::ElideMiddle, int(label.width() - 14)));
}

void StackCard::enterEvent(QEnterEvent*) {
    hovered = true;
    hoverAnimation->stop();
    hoverAnimation->setStartValue(hoverAmount);
    hoverAnimation->setEndValue(1.0);
    hoverAnimation->start();
}

void StackCard::leaveEvent(QEvent*) {
    hovered = false;
    hoverAnimation->stop();
    hoverAnimation->setStartValue(hoverAmount);
    hoverAnimation->setEndValue(0.0);
    hoverAnimation->start();
}

void StackCard::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT tapped(stackKey);
}
