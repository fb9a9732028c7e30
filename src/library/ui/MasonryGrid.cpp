#include "library/ui/MasonryGrid.h"

#include "library/ImageCache.h"
#include "library/ui/CardMetrics.h"
#include "library/ui/CardPainter.h"
#include "library/ui/ItemCard.h"
#include "library/ui/LibraryContext.h"
#include "library/ui/StackCard.h"
#include "store/Store.h"

#include <QDir>
#include <QResizeEvent>
#include <QScrollBar>

MasonryGrid::MasonryGrid(LibraryContext& context, QWidget* parent)
    : QAbstractScrollArea(parent), context(context) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The grid scrolls by wheel and touchpad without a visible bar, as the
    // page has no room for one beside the cards.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(40);
}

void MasonryGrid::setEntries(QList<GridEntry> entries) {
    gridEntries = std::move(entries);
    relayout();
}

const MasonryGrid::Heights& MasonryGrid::heightsOf(const Item& item, qreal width) {
    const quint64 revision = context.store.revision(item.id);
    Heights& known = heights[item.id];
    const bool sameContent = known.revision == revision && (revision != 0 || known.content == item);
    if (sameContent && known.width == width)
        return known;
    ++done.heightsWorkedOut;
    // The estimate reads the text and does not depend on the width: a window
    // shown at its size, or resized, works out the card heights only.
    const qreal estimate = sameContent ? known.estimate : MasonryLayout::estimatedHeight(item);
    known = Heights{revision,
                    revision == 0 ? item : Item(),
                    width,
                    estimate,
                    CardMetrics::roughItemHeight(item, width),
                    false};
    return known;
}

quint64 MasonryGrid::revisionOf(const GridEntry& entry) const {
    if (!entry.isStack())
        return context.store.revision(entry.item().id);
    // A stack shows its members: any of them changing, joining or leaving
    // makes it another content.
    quint64 mixed = 0x9e3779b97f4a7c15ull ^ quint64(entry.items.size());
    for (const Item& item : entry.items) {
        const quint64 revision = context.store.revision(item.id);
        if (revision == 0)
            return 0;
        mixed = (mixed ^ (revision + qHash(item.id))) * 0x100000001b3ull;
    }
    return mixed == 0 ? 1 : mixed;
}

void MasonryGrid::forget(const QList<QUuid>& removed) {
    for (const QUuid& id : removed)
        heights.remove(id);
}

bool MasonryGrid::measureExactly(const QList<int>& indexes) {
    bool changed = false;
    for (int index : indexes) {
        const GridEntry& entry = gridEntries[index];
        if (entry.isStack() && entry.items.isEmpty())
            continue;
        const Item& item = entry.item();
        const auto found = heights.find(item.id);
        if (found == heights.end() || found->exact)
            continue;
        Heights& known = *found;
        const qreal exact = CardMetrics::itemHeight(item, known.width, pictureSize(item));
        ++done.exactMeasures;
        known.exact = true;
        if (exact != known.height) {
            known.height = exact;
            changed = true;
        }
    }
    return changed;
}

std::optional<QSize> MasonryGrid::pictureSize(const Item& item) const {
    if (item.kind != ItemKind::image || !item.fileName || item.fileName->isEmpty())
        return std::nullopt;
    return context.images.imageSize(QDir(context.store.filesDir()).filePath(*item.fileName));
}

void MasonryGrid::relayout() {
    // A grid not shown yet (a window being made) has no width of its own:
    // it is laid out once, when shown, rather than also for a width it
    // never has, which costs every card's height at start.
    if (!isVisible()) {
        layoutOwed = true;
        return;
    }
    layoutOwed = false;
    laidOutWidth = viewport()->width();
    computePlacement();
    placeCards();
}

void MasonryGrid::computePlacement() {
    // Each keystroke lays out every matching entry again; the heights of
    // items seen before come from memory rather than from their texts.
    const qreal columnWidth =
        MasonryLayout::columnWidth(laidOutWidth, MasonryLayout::columnCount(laidOutWidth));
    QList<qreal> estimates;
    QList<qreal> cardHeights;
    // A first layout learns every height at once: room for them all up front
    // spares growing the table step by step.
    if (heights.capacity() < gridEntries.size())
        heights.reserve(gridEntries.size());
    estimates.reserve(gridEntries.size());
    cardHeights.reserve(gridEntries.size());
    for (const GridEntry& entry : std::as_const(gridEntries)) {
        if (entry.isStack() && entry.items.isEmpty()) {
            estimates.append(MasonryLayout::estimatedHeight(entry));
            cardHeights.append(estimates.back());
            continue;
        }
        const Heights& item = heightsOf(entry.item(), columnWidth);
        estimates.append(entry.isStack() ? item.estimate + 16 : item.estimate);
        cardHeights.append(entry.isStack() ? CardMetrics::stackHeight(item.height) : item.height);
    }
    // Removed items are forgotten as the store removes them; this only
    // bounds what entries from elsewhere leave behind. Measured against the
    // library, not the entries shown: a search that narrows the grid must
    // not cost every height again when it is cleared.
    if (heights.size() > 2 * std::max<qsizetype>(context.store.items().size(), 1024))
        heights.clear();
    layout = MasonryLayout::place(estimates, cardHeights, laidOutWidth);
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, qCeil(layout.contentHeight) - viewport()->height()));
}

void MasonryGrid::placeCards() {
    // Setting the scroll range can move the bar, which lands here again.
    if (placing)
        return;
    placing = true;
    int top = verticalScrollBar()->value();
    const auto near = [&] {
        return MasonryLayout::visibleCards(layout, top - overscan,
                                           top + viewport()->height() + overscan);
    };
    QList<int> visible = near();
    // Cards come into view (and the overscan) with their exact heights, so a
    // card ends where its content does. Measuring can move cards below it in
    // their column, and other cards into reach: a few rounds settle it.
    for (int round = 0; round < 4 && measureExactly(visible); ++round) {
        computePlacement();
        top = verticalScrollBar()->value();
        visible = near();
    }
    placing = false;

    QHash<QString, QWidget*> kept;
    kept.reserve(visible.size());
    QList<int> missing;
    for (int index : visible) {
        const QString identity = gridEntries[index].identity();
        if (QWidget* card = cards.take(identity)) {
            // A card still showing this revision of its entry is left alone.
            const quint64 revision = revisionOf(gridEntries[index]);
            if (revision == 0 || cardRevisions.value(card) != revision)
                updateCard(card, gridEntries[index]);
            kept.insert(identity, card);
        } else {
            missing.append(index);
        }
    }
    // Cards that scrolled out are reused for the ones that scrolled in when
    // they are of the same sort; the rest go.
    QList<QWidget*> spare = cards.values();
    cards.clear();
    for (int index : missing) {
        const GridEntry& entry = gridEntries[index];
        QWidget* card = nullptr;
        for (qsizetype s = 0; s < spare.size(); ++s) {
            const bool isStack = qobject_cast<StackCard*>(spare[s]) != nullptr;
            if (isStack == entry.isStack()) {
                card = spare.takeAt(s);
                break;
            }
        }
        if (card)
            updateCard(card, entry);
        else
            card = makeCard(entry);
        kept.insert(entry.identity(), card);
    }
    for (QWidget* card : spare) {
        cardRevisions.remove(card);
        card->hide();
        card->deleteLater();
    }
    cards = std::move(kept);

    const qreal m = CardPainter::shadowMargin;
    for (int index : visible) {
        QWidget* card = cards.value(gridEntries[index].identity());
        const QRectF rect = layout.cards[index].adjusted(-m, -m, m, m).translated(0, -top);
        card->setGeometry(rect.toAlignedRect());
        if (!card->isVisible())
            card->show();
    }
}

QWidget* MasonryGrid::makeCard(const GridEntry& entry) {
    ++done.cardsMade;
    QWidget* card = nullptr;
    if (entry.isStack()) {
        auto* stack = new StackCard(context, entry.key, entry.items, viewport());
        connect(stack, &StackCard::tapped, this, &MasonryGrid::stackTapped);
        card = stack;
    } else {
        card = new ItemCard(context, entry.item(), viewport());
    }
    cardRevisions.insert(card, revisionOf(entry));
    return card;
}

void MasonryGrid::updateCard(QWidget* card, const GridEntry& entry) {
    ++done.cardsRefilled;
    cardRevisions.insert(card, revisionOf(entry));
    if (auto* stack = qobject_cast<StackCard*>(card))
        stack->setStack(entry.key, entry.items);
    else if (auto* item = qobject_cast<ItemCard*>(card))
        item->setItem(entry.item());
}

void MasonryGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (layoutOwed || viewport()->width() != laidOutWidth)
        relayout();
    else {
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setRange(
            0, std::max(0, qCeil(layout.contentHeight) - viewport()->height()));
        placeCards();
    }
}

void MasonryGrid::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (layoutOwed)
        relayout();
}

void MasonryGrid::scrollContentsBy(int, int) {
    placeCards();
}

bool MasonryGrid::viewportEvent(QEvent* event) {
    // Cards paint themselves; the viewport has nothing of its own to draw.
    if (event->type() == QEvent::Paint)
        return true;
    return QAbstractScrollArea::viewportEvent(event);
}
