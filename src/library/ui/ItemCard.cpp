#include "library/ui/ItemCard.h"

#include "capture/ClipboardWatcher.h"
#include "common/ui/SymbolIcon.h"
#include "library/CardText.h"
#include "library/ItemActions.h"
#include "library/ui/CardPainter.h"
#include "library/ui/LibraryContext.h"
#include "library/ui/TagEditor.h"
#include "store/Store.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QToolTip>
#include <QVariantAnimation>

using namespace Qt::StringLiterals;

namespace {
constexpr qreal buttonSize = 22;
} // namespace

ItemCard::ItemCard(LibraryContext& context, Item item, QWidget* parent)
    : QWidget(parent), context(context), current(std::move(item)),
      hoverAnimation(new QVariantAnimation(this)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    hoverAnimation->setDuration(140);
    hoverAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        hoverAmount = value.toReal();
        update();
    });
}

void ItemCard::setItem(Item item) {
    if (item == current)
        return;
    current = std::move(item);
    update();
}

void ItemCard::setHovering(bool hovering) {
    if (hovered == hovering)
        return;
    hovered = hovering;
    hoverAnimation->stop();
    hoverAnimation->setStartValue(hoverAmount);
    hoverAnimation->setEndValue(hovering ? 1.0 : 0.0);
    hoverAnimation->start();
    update();
}

QRectF ItemCard::cardRect() const {
    const qreal m = CardPainter::shadowMargin;
    return QRectF(rect()).adjusted(m, m, -m, -m);
}

QRectF ItemCard::deleteButtonRect() const {
    const QRectF card = cardRect();
    return QRectF(card.right() - 8 - buttonSize, card.top() + 8, buttonSize, buttonSize);
}

QRectF ItemCard::tagButtonRect() const {
    return deleteButtonRect().translated(-(buttonSize + 6), 0);
}

void ItemCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF card = cardRect();
    // The hovered card grows very slightly towards the pointer.
    const qreal scale = 1.0 + 0.006 * hoverAmount;
    painter.translate(card.center());
    painter.scale(scale, scale);
    painter.translate(-card.center());
    CardPainter::paintFrame(painter, card, palette(), hoverAmount);
    chipRect = CardPainter::paintItem(painter, card, current, context, palette());
    if (hovered) {
        paintHoverButton(painter, tagButtonRect(), u"tag"_s);
        paintHoverButton(painter, deleteButtonRect(), u"xmark"_s);
    }
}

void ItemCard::paintHoverButton(QPainter& painter, const QRectF& rect, const QString& symbol) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(CardPainter::hairline(palette()), 0.5));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawEllipse(rect);
    const QPixmap pixmap =
        CardPainter::symbol(symbol, 9, palette().color(QPalette::WindowText), devicePixelRatioF());
    painter.drawPixmap(QPointF(rect.center().x() - 4.5, rect.center().y() - 4.5), pixmap);
    painter.restore();
}

bool ItemCard::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QString text;
        if (hovered && tagButtonRect().contains(help->pos()))
            text = u"Tags"_s;
        else if (hovered && deleteButtonRect().contains(help->pos()))
            text = u"Delete"_s;
        else if (chipRect.contains(help->pos()))
            text = CardText::tagChipHelp(current);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

void ItemCard::enterEvent(QEnterEvent*) {
    setHovering(true);
}

void ItemCard::leaveEvent(QEvent*) {
    setHovering(false);
}

void ItemCard::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    pressed = true;
    pressPosition = event->position().toPoint();
}

void ItemCard::mouseMoveEvent(QMouseEvent* event) {
    if (!hovered && rect().contains(event->position().toPoint()))
        setHovering(true);
    if (pressed && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - pressPosition).manhattanLength() >=
            QApplication::startDragDistance()) {
        pressed = false;
        startDrag();
    }
}

void ItemCard::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed || event->button() != Qt::LeftButton)
        return;
    pressed = false;
    const QPointF at = event->position();
    if (hovered && deleteButtonRect().contains(at))
        remove();
    else if ((hovered && tagButtonRect().contains(at)) || chipRect.contains(at))
        showTagEditor();
    else if (cardRect().contains(at))
        open();
}

void ItemCard::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = makeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QMenu* ItemCard::makeContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->addAction(u"Open"_s, this, &ItemCard::open);
    menu->addAction(u"Copy"_s, this, &ItemCard::copy);
    menu->addSeparator();
    QMenu* tags = menu->addMenu(u"Tag"_s);
    const QColor ink = palette().color(QPalette::WindowText);
    for (const QString& name : context.store.allTags()) {
        QAction* action = tags->addAction(name);
        if (current.hasTag(name))
            action->setIcon(SymbolIcon::icon(u"checkmark"_s, ink));
        const QUuid id = current.id;
        Store* store = &context.store;
        connect(action, &QAction::triggered, this,
                [store, name, id] { store->toggleTag(name, id); });
    }
    tags->addAction(u"New Tag…"_s, this, &ItemCard::showTagEditor);
    const QUuid id = current.id;
    Store* store = &context.store;
    menu->addAction(u"Auto-sort"_s, this, [store, id] { store->resetToAuto(id); });
    menu->addSeparator();
    QAction* remove = menu->addAction(u"Delete"_s, this, &ItemCard::remove);
    remove->setIcon(SymbolIcon::icon(u"trash"_s, QColor(0xd7, 0x3a, 0x31)));
    return menu;
}

void ItemCard::open() {
    if (current.kind == ItemKind::text) {
        copy();
        return;
    }
    if (const auto target = ItemActions::openTarget(current, context.store.filesDir()))
        context.openUrl(*target);
}

void ItemCard::copy() {
    if (QMimeData* data = ItemActions::copyData(current, context.store.filesDir()))
        context.watcher.writeOwn(data);
}

void ItemCard::remove() {
    // Removing deletes this card when the grid redraws; let the event finish first.
    const Item gone = current;
    Store* store = &context.store;
    QMetaObject::invokeMethod(
        store, [store, gone] { store->remove(gone); }, Qt::QueuedConnection);
}

void ItemCard::showTagEditor() {
    if (editor) {
        editor->raise();
        return;
    }
    editor = new TagEditor(context.store, current.id, this);
    editor->popUp(mapToGlobal(chipRect.isNull() ? cardRect().bottomLeft().toPoint()
                                                : chipRect.bottomLeft().toPoint()));
}

void ItemCard::startDrag() {
    auto* drag = new QDrag(this);
    drag->setMimeData(ItemActions::dragData(current, context.store.filesDir()));
    QPixmap preview(size() * devicePixelRatioF());
    preview.setDevicePixelRatio(devicePixelRatioF());
    preview.fill(Qt::transparent);
    render(&preview, {}, {}, QWidget::DrawChildren);
    drag->setPixmap(preview.scaledToWidth(qMin(preview.width(), 200 * qRound(devicePixelRatioF())),
                                          Qt::SmoothTransformation));
    drag->exec(Qt::CopyAction);
}
