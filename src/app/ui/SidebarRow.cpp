#include "app/ui/SidebarRow.h"

#include "common/ui/SymbolIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kInsetX = 10;
constexpr int kSpacing = 9;
constexpr int kIconBox = 20;
constexpr int kIconSize = 15;
constexpr qreal kRadius = 8;
} // namespace

SidebarRow::SidebarRow(const QString& symbol, const QString& title, QWidget* parent)
    : QAbstractButton(parent), symbol(symbol) {
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(kHeight);
    QFont font = this->font();
    font.setPixelSize(13);
    setFont(font);
}

void SidebarRow::setCurrent(bool isCurrent) {
    if (current == isCurrent)
        return;
    current = isCurrent;
    update();
}

QSize SidebarRow::sizeHint() const {
    QFont bold = font();
    bold.setBold(true);
    return {kInsetX * 2 + kIconBox + kSpacing + QFontMetrics(bold).horizontalAdvance(text()),
            kHeight};
}

void SidebarRow::enterEvent(QEnterEvent* event) {
    hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SidebarRow::leaveEvent(QEvent* event) {
    hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void SidebarRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    if (current || hovered || isDown() || hasFocus()) {
        QColor fill = primary;
        fill.setAlphaF(current ? 0.09 : 0.04);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), kRadius, kRadius);
        p.fillPath(path, fill);
    }
    QColor ink = primary;
    if (!current)
        ink.setAlphaF(0.68);
    const QRect iconBox(kInsetX, 0, kIconBox, height());
    const QPixmap icon = SymbolIcon::pixmap(symbol, kIconSize, ink, devicePixelRatioF());
    if (!icon.isNull()) {
        const QSize size = icon.deviceIndependentSize().toSize();
        p.drawPixmap(iconBox.center().x() - size.width() / 2 + 1,
                     iconBox.center().y() - size.height() / 2 + 1, icon);
    }
    QFont font = this->font();
    font.setBold(current);
    p.setFont(font);
    p.setPen(ink);
    const QRect textBox(iconBox.right() + 1 + kSpacing, 0, width() - iconBox.right() - kSpacing,
                        height());
    p.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft, text());
}
