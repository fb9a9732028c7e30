#include "library/ui/StackOverlay.h"

#include "common/ui/SymbolIcon.h"
#include "library/ui/CardPainter.h"
#include "library/ui/MasonryGrid.h"
#include "library/ui/RoundedPanel.h"
#include "organise/GridEntry.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A spring of the given response and damping as an easing curve: the
// overshoot that little damping gives, and a settle time tied to the response.
QEasingCurve spring(qreal damping) {
    QEasingCurve curve(QEasingCurve::OutBack);
    curve.setOvershoot(static_cast<qreal>((1.0 - damping) * 4.0));
    return curve;
}

} // namespace

StackOverlay::StackOverlay(LibraryContext& context, QWidget* parent)
    : QWidget(parent), animation(new QPropertyAnimation(this, "presence", this)) {
    hide();
    setFocusPolicy(Qt::StrongFocus);
    sheet = new RoundedPanel(18, QPalette::Window, this);
    sheet->setObjectName(u"stackPanel"_s);
    // The overlay paints the panel's shadow itself, leaving the panel's one
    // graphics effect free for the fade.
    opacity = new QGraphicsOpacityEffect(sheet);
    opacity->setOpacity(0);
    sheet->setGraphicsEffect(opacity);

    auto* column = new QVBoxLayout(sheet);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(18, 16, 18, 6);
    header->setSpacing(8);
    title = new QLabel(sheet);
    title->setFont(CardPainter::font(14, QFont::DemiBold));
    count = new QLabel(sheet);
    count->setFont(CardPainter::font(12));
    closer = new QToolButton(sheet);
    closer->setFixedSize(24, 24);
    closer->setCursor(Qt::PointingHandCursor);
    closer->setIconSize(QSize(10, 10));
    closer->setToolTip(u"Close"_s);
    takeColours();
    header->addWidget(title);
    header->addWidget(count);
    header->addStretch(1);
    header->addWidget(closer);
    column->addLayout(header);
    itemGrid = new MasonryGrid(context, sheet);
    itemGrid->setContentsMargins(0, 0, 0, 0);
    column->addWidget(itemGrid, 1);
    column->addSpacing(10);
    connect(closer, &QToolButton::clicked, this, &StackOverlay::close);
    connect(animation, &QPropertyAnimation::finished, this, [this] {
        if (!opened)
            hide();
    });
}

void StackOverlay::takeColours() {
    CardPainter::useSecondaryText(count, palette());
    const QColor ink = palette().color(QPalette::WindowText);
    closer->setIcon(SymbolIcon::icon(u"xmark"_s, ink));
    closer->setStyleSheet(u"QToolButton { border: none; border-radius: 12px;"
                          " background: rgba(%1,%2,%3,15); }"
                          " QToolButton:hover { background: rgba(%1,%2,%3,35); }"_s.arg(ink.red())
                              .arg(ink.green())
                              .arg(ink.blue()));
}

void StackOverlay::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Colours taken from the palette once are taken again after a switch.
    if (event->type() == QEvent::PaletteChange)
        takeColours();
}

void StackOverlay::open(const QString& key, const QList<Item>& items) {
    stackKey = key;
    opened = true;
    title->setText(key);
    setGeometry(parentWidget() ? parentWidget()->rect() : rect());
    raise();
    show();
    setFocus();
    setItems(items);
    // Opening springs with a response of 0.35 s and damping 0.85.
    animateTo(1.0, 350, spring(0.85));
}

void StackOverlay::setItems(const QList<Item>& items) {
    count->setText(QString::number(items.size()) + u" items"_s);
    QList<GridEntry> entries;
    entries.reserve(items.size());
    for (const Item& item : items)
        entries.append(GridEntry::single(item));
    itemGrid->setEntries(entries);
}

void StackOverlay::close() {
    if (!opened)
        return;
    opened = false;
    // Closing springs a little quicker (0.3 s) and damps harder (0.9).
    animateTo(0.0, 300, QEasingCurve(QEasingCurve::OutCubic));
    Q_EMIT closed();
}

void StackOverlay::animateTo(qreal target, int durationMs, const QEasingCurve& curve) {
    animation->stop();
    animation->setDuration(durationMs);
    animation->setEasingCurve(curve);
    animation->setStartValue(shown);
    animation->setEndValue(target);
    animation->start();
}

void StackOverlay::setPresence(qreal presence) {
    shown = presence;
    // The panel enters from 0.93 of its size, fading in alongside.
    const QRect full = panelRect();
    const qreal scale = 0.93 + 0.07 * presence;
    const QSize size(qRound(full.width() * scale), qRound(full.height() * scale));
    sheet->setGeometry(QRect(full.center() - QPoint(size.width() / 2, size.height() / 2), size));
    opacity->setOpacity(std::clamp(presence, 0.0, 1.0));
    update();
}

QRect StackOverlay::panelRect() const {
    const int width = std::min(maxWidth, this->width() - 2 * margin);
    const int height = std::min(maxHeight, this->height() - 2 * margin);
    return QRect((this->width() - width) / 2, (this->height() - height) / 2, width, height);
}

void StackOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal presence = std::clamp(shown, 0.0, 1.0);
    painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.25 * presence));
    // A soft shadow 10 below the panel, widening in faint layers.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF panel = QRectF(sheet->geometry()).translated(0, 10);
    for (int layer = 10; layer >= 1; --layer) {
        const qreal spread = layer * 3.0;
        painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.25 * presence / 10));
        painter.drawRoundedRect(panel.adjusted(-spread, -spread, spread, spread), 18 + spread,
                                18 + spread);
    }
}

void StackOverlay::resizeEvent(QResizeEvent*) {
    setPresence(shown);
}

void StackOverlay::mousePressEvent(QMouseEvent* event) {
    if (!sheet->geometry().contains(event->position().toPoint()))
        close();
}

void StackOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
