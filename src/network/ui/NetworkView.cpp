#include "network/ui/NetworkView.h"

#include "library/ui/CardPainter.h"
#include "network/NetworkStore.h"
#include "network/ui/NetworkCanvas.h"
#include "network/ui/NetworkContext.h"
#include "network/ui/PersonCard.h"
#include "network/ui/PersonSheet.h"

#include <QEasingCurve>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QVariantAnimation>

using namespace Qt::StringLiterals;

namespace {

constexpr int inset = 16;
// The card's own margins around its panel, which leave room for the shadow.
constexpr int cardMarginLeft = 12;
constexpr int cardMarginBottom = 16;

} // namespace

NetworkView::NetworkView(NetworkContext& context, QWidget* parent)
    : QWidget(parent), context(context) {
    setObjectName(u"networkView"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    // The canvas sits in the middle of an area at least as large as the
    // page: centred in a large window, scrollable in a small one.
    scroll = new QScrollArea(this);
    scroll->setObjectName(u"networkScroll"_s);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    auto* area = new QWidget(scroll);
    area->setAutoFillBackground(false);
    auto* centring = new QGridLayout(area);
    centring->setContentsMargins(0, 0, 0, 0);
    map = new NetworkCanvas(context, area);
    centring->addWidget(map, 0, 0, Qt::AlignCenter);
    scroll->setWidget(area);
    scroll->viewport()->setAutoFillBackground(false);
    layout->addWidget(scroll);
    // A page smaller than the map shows its middle, where the user is, when
    // it opens and whenever its size changes.
    for (QScrollBar* bar : {scroll->horizontalScrollBar(), scroll->verticalScrollBar()})
        connect(bar, &QScrollBar::rangeChanged, bar,
                [bar](int minimum, int maximum) { bar->setValue((minimum + maximum) / 2); });

    empty = makeEmptyState();
    layout->addWidget(empty);

    detail = new PersonCard(context, this);
    detail->hide();
    auto* fade = new QGraphicsOpacityEffect(detail);
    detail->setGraphicsEffect(fade);
    cardMotion = new QVariantAnimation(this);
    cardMotion->setDuration(200);
    cardMotion->setEasingCurve(QEasingCurve::OutCubic);
    connect(cardMotion, &QVariantAnimation::valueChanged, this, [this, fade](const QVariant& v) {
        fade->setOpacity(v.toReal());
        placeOverlays();
    });
    connect(cardMotion, &QVariantAnimation::finished, this, [this] {
        if (cardMotion->endValue().toReal() == 0.0)
            detail->hide();
    });

    add = new QPushButton(u"Add person"_s, this);
    add->setObjectName(u"addPerson"_s);
    add->setFont(CardPainter::font(12, QFont::Medium));
    add->setIcon(QIcon(CardPainter::symbol(
        u"person.badge.plus"_s, 12, palette().color(QPalette::WindowText), devicePixelRatioF())));
    add->setCursor(Qt::PointingHandCursor);
    add->setStyleSheet(u"QPushButton { padding: 7px 12px; border-radius: 14px;"
                       " border: 0.5px solid rgba(127, 127, 127, 0.35);"
                       " background: palette(window); }"_s);

    connect(map, &NetworkCanvas::personClicked, this, &NetworkView::toggleSelection);
    connect(add, &QPushButton::clicked, this, &NetworkView::openAddSheet);
    connect(detail, &PersonCard::closeRequested, this, [this] {
        selectedId.reset();
        map->setSelected(std::nullopt);
        hideCard();
    });
    connect(detail, &PersonCard::editRequested, this, &NetworkView::openEditSheet);
    connect(detail, &PersonCard::deleteRequested, this, [this](const Person& person) {
        selectedId.reset();
        map->setSelected(std::nullopt);
        hideCard();
        this->context.network.remove(person);
    });
    connect(&context.network, &NetworkStore::changed, this, &NetworkView::refresh);
    refresh();
}

QWidget* NetworkView::makeEmptyState() {
    auto* state = new QWidget(this);
    state->setObjectName(u"networkEmptyState"_s);
    auto* outer = new QVBoxLayout(state);
    outer->addStretch(1);
    auto* column = new QVBoxLayout;
    column->setSpacing(12);
    auto* symbol = new QLabel(state);
    symbol->setPixmap(CardPainter::symbol(u"point.3.connected.trianglepath.dotted"_s, 34,
                                          CardPainter::secondary(palette()), devicePixelRatioF()));
    column->addWidget(symbol, 0, Qt::AlignHCenter);
    auto* title = new QLabel(u"Map your network"_s, state);
    title->setFont(CardPainter::font(14, QFont::DemiBold));
    column->addWidget(title, 0, Qt::AlignHCenter);
    auto* text = new QLabel(u"Add the people you know \u2014 name, company, location \u2014\n"
                            "and see your world as a living tree."_s,
                            state);
    text->setFont(CardPainter::font(12));
    text->setAlignment(Qt::AlignHCenter);
    CardPainter::useSecondaryText(text, palette());
    column->addWidget(text, 0, Qt::AlignHCenter);
    auto* first = new QPushButton(u"Add your first person"_s, state);
    first->setObjectName(u"addFirstPerson"_s);
    first->setFont(CardPainter::font(12, QFont::DemiBold));
    first->setCursor(Qt::PointingHandCursor);
    first->setStyleSheet(u"QPushButton { padding: 8px 16px; border-radius: 15px; border: none;"
                         " background: palette(window-text); color: palette(window); }"_s);
    column->addWidget(first, 0, Qt::AlignHCenter);
    outer->addLayout(column);
    outer->addStretch(1);
    connect(first, &QPushButton::clicked, this, &NetworkView::openAddSheet);
    return state;
}

void NetworkView::refresh() {
    const bool none = context.network.people().isEmpty();
    scroll->setVisible(!none);
    empty->setVisible(none);
    map->refresh();
    if (selectedId) {
        if (const Person* person = context.network.person(*selectedId)) {
            detail->showPerson(*person);
        } else {
            selectedId.reset();
            map->setSelected(std::nullopt);
            hideCard();
        }
    }
    placeOverlays();
}

void NetworkView::toggleSelection(const QUuid& id) {
    if (selectedId == id) {
        selectedId.reset();
        map->setSelected(std::nullopt);
        hideCard();
        return;
    }
    const Person* person = context.network.person(id);
    if (!person)
        return;
    selectedId = id;
    map->setSelected(id);
    detail->showPerson(*person);
    showCard();
}

void NetworkView::showCard() {
    const bool wasShown = detail->isVisible() && cardMotion->endValue().toReal() == 1.0;
    detail->show();
    detail->raise();
    add->raise();
    if (openSheet)
        openSheet->raise();
    if (wasShown) {
        placeOverlays();
        return;
    }
    cardMotion->stop();
    cardMotion->setStartValue(0.0);
    cardMotion->setEndValue(1.0);
    cardMotion->start();
}

void NetworkView::hideCard() {
    if (!detail->isVisible())
        return;
    cardMotion->stop();
    cardMotion->setStartValue(
        cardMotion->currentValue().isValid() ? cardMotion->currentValue().toReal() : 1.0);
    cardMotion->setEndValue(0.0);
    cardMotion->start();
}

void NetworkView::placeOverlays() {
    add->adjustSize();
    add->move(width() - inset - add->width(), inset);
    add->raise();
    detail->adjustSize();
    const qreal shown =
        cardMotion->currentValue().isValid() ? cardMotion->currentValue().toReal() : 1.0;
    const int restingTop = height() - inset + cardMarginBottom - detail->height();
    // Slides in from the bottom edge as it fades in.
    const int top = restingTop + int((1.0 - shown) * (height() - restingTop));
    detail->move(inset - cardMarginLeft, top);
}

void NetworkView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeOverlays();
    if (openSheet)
        openSheet->setGeometry(rect());
}

PersonSheet* NetworkView::sheet() const {
    return openSheet.data();
}

void NetworkView::openAddSheet() {
    presentSheet(std::nullopt);
}

void NetworkView::openEditSheet(const Person& person) {
    // The card closes and the sheet opens.
    selectedId.reset();
    map->setSelected(std::nullopt);
    hideCard();
    presentSheet(person);
}

void NetworkView::presentSheet(std::optional<Person> person) {
    if (openSheet)
        return;
    openSheet = new PersonSheet(context, std::move(person), this);
    openSheet->open();
}
