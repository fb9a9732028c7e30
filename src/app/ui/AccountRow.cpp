#include "app/ui/AccountRow.h"

#include "common/ui/SymbolIcon.h"

#include <QPainter>
#include <QPainterPath>

using namespace Qt::StringLiterals;

namespace {
constexpr int kInsetX = 6;
constexpr int kInsetY = 4;
constexpr int kCircle = 28;
constexpr int kSpacing = 9;
} // namespace

AccountRow::AccountRow(QWidget* parent) : QAbstractButton(parent) {
    setObjectName(u"accountRow"_s);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(kCircle + 2 * kInsetY + 4);
}

void AccountRow::setSummary(const AccountSummary& summary) {
    shown = summary;
    setAccessibleName(summary.name);
    setAccessibleDescription(summary.detail);
    setToolTip(summary.name + u"\n"_s + summary.detail);
    update();
}

QSize AccountRow::sizeHint() const {
    return {160, height()};
}

void AccountRow::enterEvent(QEnterEvent* event) {
    hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void AccountRow::leaveEvent(QEvent* event) {
    hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void AccountRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    const QColor accent = palette().color(QPalette::Highlight);
    if (hovered || isDown() || hasFocus()) {
        QColor fill = primary;
        fill.setAlphaF(0.05);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 8, 8);
        p.fillPath(path, fill);
    }

    const QRectF circle(kInsetX, (height() - kCircle) / 2.0, kCircle, kCircle);
    QColor tint = accent;
    tint.setAlphaF(0.18);
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawEllipse(circle);
    if (shown.initials.isEmpty()) {
        const QPixmap person =
            SymbolIcon::pixmap(u"person.fill"_s, 14, accent, devicePixelRatioF());
        const QSizeF size = person.deviceIndependentSize();
        p.drawPixmap(QPointF(circle.center().x() - size.width() / 2,
                             circle.center().y() - size.height() / 2),
                     person);
    } else {
        QFont font = this->font();
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(accent);
        p.drawText(circle, Qt::AlignCenter, shown.initials);
    }

    const int textLeft = int(circle.right()) + kSpacing;
    const int textWidth = width() - textLeft - kInsetX;
    QFont nameFont = this->font();
    nameFont.setPixelSize(13);
    nameFont.setWeight(QFont::Medium);
    QFont detailFont = this->font();
    detailFont.setPixelSize(11);
    const QFontMetrics nameMetrics(nameFont);
    const QFontMetrics detailMetrics(detailFont);
    const int block = nameMetrics.height() + detailMetrics.height();
    const int top = (height() - block) / 2;
    p.setFont(nameFont);
    p.setPen(primary);
    p.drawText(QRect(textLeft, top, textWidth, nameMetrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               nameMetrics.elidedText(shown.name, Qt::ElideRight, textWidth));
    QColor secondary = primary;
    secondary.setAlphaF(0.6);
    p.setFont(detailFont);
    p.setPen(secondary);
    p.drawText(QRect(textLeft, top + nameMetrics.height(), textWidth, detailMetrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               detailMetrics.elidedText(shown.detail, Qt::ElideRight, textWidth));
}
