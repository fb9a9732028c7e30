#include "library/ui/SearchField.h"

#include "common/ui/SymbolIcon.h"
#include "library/ui/CardPainter.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

using namespace Qt::StringLiterals;

SearchField::SearchField(QWidget* parent) : QFrame(parent) {
    setFixedHeight(height + 2 * shadowMargin);
    setAttribute(Qt::WA_TranslucentBackground);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(shadowMargin + 16, shadowMargin, shadowMargin + 12, shadowMargin);
    row->setSpacing(8);
    glass = new QLabel(this);
    row->addWidget(glass);
    edit = new QLineEdit(this);
    edit->setPlaceholderText(u"Ask your Memory…"_s);
    edit->setFrame(false);
    edit->setFont(CardPainter::font(14));
    CardPainter::clearBase(edit);
    edit->setClearButtonEnabled(false);
    row->addWidget(edit, 1);
    clear = new QToolButton(this);
    clear->setAutoRaise(true);
    clear->setCursor(Qt::PointingHandCursor);
    clear->setIconSize(QSize(14, 14));
    clear->setToolTip(u"Clear"_s);
    clear->hide();
    row->addWidget(clear);

    takeColours();

    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        clear->setVisible(!text.isEmpty());
        Q_EMIT queryChanged(text);
    });
    connect(clear, &QToolButton::clicked, edit, &QLineEdit::clear);
}

void SearchField::takeColours() {
    glass->setPixmap(SymbolIcon::pixmap(u"magnifyingglass"_s, 13, CardPainter::secondary(palette()),
                                        devicePixelRatioF()));
    clear->setIcon(SymbolIcon::icon(u"xmark.circle.fill"_s, CardPainter::secondary(palette())));
}

void SearchField::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        takeColours();
}

void SearchField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF field =
        QRectF(rect()).adjusted(shadowMargin, shadowMargin, -shadowMargin, -shadowMargin);
    // A soft shadow 3 below the field, painted in widening layers: a blur
    // effect would be worked out again for every frame the page draws.
    painter.setPen(Qt::NoPen);
    for (int layer = 6; layer >= 1; --layer) {
        const qreal spread = layer * 2.0;
        painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.12 / 6));
        painter.drawRoundedRect(field.translated(0, 3).adjusted(-spread, -spread, spread, spread),
                                12 + spread, 12 + spread);
    }
    painter.setPen(QPen(CardPainter::hairline(palette()), 0.5));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(field.adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
}
