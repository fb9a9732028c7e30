#include "library/ui/TagRow.h"

#include "common/ui/SymbolIcon.h"
#include "library/ui/CardPainter.h"

#include <QPainter>

using namespace Qt::StringLiterals;

TagRow::TagRow(QString symbol, QString title, bool checked, QWidget* parent)
    : QAbstractButton(parent), symbolName(std::move(symbol)), titleText(std::move(title)),
      checkedMark(checked) {
    setText(titleText);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TagRow::setSubtitle(QString subtitle) {
    subtitleText = std::move(subtitle);
    updateGeometry();
    update();
}

QSize TagRow::sizeHint() const {
    return {200, subtitleText.isEmpty() ? 30 : 42};
}

QRectF TagRow::titleRect() const {
    return QRectF(rect()).adjusted(4 + 7 + 12 + 8, 1, -4 - 7, -1);
}

QString TagRow::shownTitle() const {
    // Measured in the font it is drawn in: the widget's own font is smaller,
    // and a title elided by it overflows its room and is cut mid-letter.
    return QFontMetricsF(CardPainter::font(12.5))
        .elidedText(titleText, Qt::ElideRight, titleRect().width());
}

void TagRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(4, 1, -4, -1);
    if (hovered || hasFocus()) {
        QColor highlight = palette().color(QPalette::Highlight);
        highlight.setAlphaF(0.14);
        painter.setPen(Qt::NoPen);
        painter.setBrush(highlight);
        painter.drawRoundedRect(area, 6, 6);
    }
    const QColor ink = palette().color(QPalette::WindowText);
    const QString mark = checkedMark ? u"checkmark"_s : symbolName;
    const qreal x = area.left() + 7;
    if (!mark.isEmpty()) {
        const int size = checkedMark ? 10 : 11;
        const QPixmap pixmap =
            SymbolIcon::pixmap(mark, size, checkedMark ? palette().color(QPalette::Highlight) : ink,
                               devicePixelRatioF());
        painter.drawPixmap(QPointF(x + (12 - size) / 2.0, area.center().y() - size / 2.0 -
                                                              (subtitleText.isEmpty() ? 0 : 6)),
                           pixmap);
    }
    const QRectF text = titleRect();
    painter.setPen(ink);
    if (subtitleText.isEmpty()) {
        painter.setFont(CardPainter::font(12.5));
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, shownTitle());
        return;
    }
    painter.setFont(CardPainter::font(12.5));
    painter.drawText(text.adjusted(0, 5, 0, 0), Qt::AlignLeft | Qt::AlignTop, titleText);
    painter.setFont(CardPainter::font(11));
    painter.setPen(CardPainter::secondary(palette()));
    painter.drawText(text.adjusted(0, 0, 0, -5), Qt::AlignLeft | Qt::AlignBottom, subtitleText);
}

void TagRow::enterEvent(QEnterEvent*) {
    hovered = true;
    update();
}

void TagRow::leaveEvent(QEvent*) {
    hovered = false;
    update();
}
