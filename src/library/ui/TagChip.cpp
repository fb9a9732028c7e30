#include "library/ui/TagChip.h"

#include "library/ui/CardPainter.h"

#include <QPainter>
#include <QVariantAnimation>

namespace {

constexpr int sideMargin = 12;
constexpr int nameCountGap = 5;
constexpr int chipHeight = 26;

QColor mixed(const QColor& from, const QColor& to, qreal amount) {
    const auto blend = [amount](qreal a, qreal b) { return a + (b - a) * amount; };
    return QColor::fromRgbF(
        float(blend(from.redF(), to.redF())), float(blend(from.greenF(), to.greenF())),
        float(blend(from.blueF(), to.blueF())), float(blend(from.alphaF(), to.alphaF())));
}

QString countText(int count) {
    return QString::number(count);
}

} // namespace

TagChip::TagChip(const QString& name, int count, QWidget* parent)
    : QPushButton(parent), chipName(name), chipCount(count), fade(new QVariantAnimation(this)) {
    // The text is kept for accessibility and tests; painting lays it out itself.
    setText(name + u' ' + countText(count));
    setAccessibleName(name);
    setFont(CardPainter::font(12, QFont::Medium));
    setCursor(Qt::PointingHandCursor);
    setFlat(true);
    setFixedHeight(chipHeight);
    setAttribute(Qt::WA_Hover);
    fade->setDuration(fadeMs);
    fade->setEasingCurve(QEasingCurve::OutCubic);
    connect(fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        amount = value.toReal();
        update();
    });
}

void TagChip::setSelected(bool isNowSelected, bool animated) {
    setProperty("selected", isNowSelected);
    if (selected == isNowSelected &&
        (fade->state() == QAbstractAnimation::Running || amount == (selected ? 1.0 : 0.0)))
        return;
    selected = isNowSelected;
    fade->stop();
    const qreal target = selected ? 1.0 : 0.0;
    if (!animated) {
        amount = target;
        update();
        return;
    }
    fade->setStartValue(amount);
    fade->setEndValue(target);
    fade->start();
}

QSize TagChip::sizeHint() const {
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(chipName) + nameCountGap +
                      metrics.horizontalAdvance(countText(chipCount)) + 2 * sideMargin;
    return {width, chipHeight};
}

void TagChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    QColor restingFill = ink;
    restingFill.setAlphaF(hovered ? 0.10f : 0.05f);
    const QColor fill = mixed(restingFill, palette().color(QPalette::Highlight), amount);
    const QColor text = mixed(ink, palette().color(QPalette::HighlightedText), amount);
    QColor countInk = text;
    countInk.setAlphaF(countInk.alphaF() * 0.7f);

    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);

    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int nameWidth = metrics.horizontalAdvance(chipName);
    const QRect line = rect().adjusted(sideMargin, 0, -sideMargin, 0);
    painter.setPen(text);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, chipName);
    painter.setPen(countInk);
    painter.drawText(line.adjusted(nameWidth + nameCountGap, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, countText(chipCount));
}

void TagChip::enterEvent(QEnterEvent* event) {
    hovered = true;
    update();
    QPushButton::enterEvent(event);
}

void TagChip::leaveEvent(QEvent* event) {
    hovered = false;
    update();
    QPushButton::leaveEvent(event);
}
