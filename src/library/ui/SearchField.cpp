#include "library/ui/SearchField.h"

#include "common/ui/SymbolIcon.h"
#include "library/ui/CardPainter.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

using namespace Qt::StringLiterals;

SearchField::SearchField(QWidget* parent) : QFrame(parent) {
    setFixedHeight(height);
    setAttribute(Qt::WA_TranslucentBackground);
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(24);
    shadow->setOffset(0, 3);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.12));
    setGraphicsEffect(shadow);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 12, 0);
    row->setSpacing(8);
    auto* glass = new QLabel(this);
    glass->setPixmap(SymbolIcon::pixmap(u"magnifyingglass"_s, 13,
                                        CardPainter::secondary(palette()), devicePixelRatioF()));
    row->addWidget(glass);
    edit = new QLineEdit(this);
    edit->setPlaceholderText(u"Ask your Memory…"_s);
    edit->setFrame(false);
    edit->setFont(CardPainter::font(14));
    edit->setStyleSheet(u"QLineEdit { background: transparent; }"_s);
    edit->setClearButtonEnabled(false);
    row->addWidget(edit, 1);
    clear = new QToolButton(this);
    clear->setAutoRaise(true);
    clear->setCursor(Qt::PointingHandCursor);
    clear->setIcon(SymbolIcon::icon(u"xmark.circle.fill"_s, CardPainter::secondary(palette())));
    clear->setIconSize(QSize(14, 14));
    clear->setToolTip(u"Clear"_s);
    clear->hide();
    row->addWidget(clear);

    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        clear->setVisible(!text.isEmpty());
        Q_EMIT queryChanged(text);
    });
    connect(clear, &QToolButton::clicked, edit, &QLineEdit::clear);
}

void SearchField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(CardPainter::hairline(palette()), 0.5));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
}
