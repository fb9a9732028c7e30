#pragma once

#include "library/MasonryLayout.h"
#include "organise/GridEntry.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>

struct LibraryContext;

// The library's cards in balanced columns. Cards stand where MasonryLayout
// puts them; only the cards in (or near) view exist as widgets, and they are
// reused as the view scrolls, so a library of tens of thousands of items
// scrolls like a short one.
class MasonryGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit MasonryGrid(LibraryContext& context, QWidget* parent = nullptr);

    void setEntries(QList<GridEntry> entries);
    const QList<GridEntry>& entries() const { return gridEntries; }
    const MasonryLayout::Placement& placement() const { return layout; }

    // The card widgets that exist now (those in view), by entry identity.
    QList<QWidget*> cardWidgets() const { return cards.values(); }
    QWidget* cardFor(const QString& identity) const { return cards.value(identity); }

    // How far beyond the visible area cards are kept, in pixels.
    static constexpr int overscan = 400;

    // What the grid has done since the last resetWork(): what a keystroke or
    // a change of the store costs beyond placing every entry.
    struct Work {
        int heightsWorkedOut = 0; // entries whose estimate and height were worked out
        int exactMeasures = 0;    // cards measured exactly as they came near the view
        int cardsMade = 0;
        int cardsRefilled = 0; // cards given another entry, or a new revision of theirs
    };
    const Work& work() const { return done; }
    void resetWork() { done = {}; }

    // Forgets what was worked out for items that are gone.
    void forget(const QList<QUuid>& removed);

Q_SIGNALS:
    void stackTapped(const QString& key);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    // An item's estimate and card height, kept while the item keeps its
    // revision in the store and the width holds. An item the store does not
    // hold (revision 0) is compared by its content, kept here so that its
    // strings' memory cannot pass to other strings meanwhile.
    struct Heights {
        quint64 revision = 0;
        Item content; // revision 0 only
        qreal width = 0;
        qreal estimate = 0;
        qreal height = 0;
        bool exact = false; // height measured rather than approximated
    };
    const Heights& heightsOf(const Item& item, qreal width);
    // The entry's content revision: its item's, or a mix of its members'
    // for a stack; 0 when the store does not hold one of them.
    quint64 revisionOf(const GridEntry& entry) const;
    std::optional<QSize> pictureSize(const Item& item) const;
    // Gives the cards at indexes their exact heights; true when one changed.
    bool measureExactly(const QList<int>& indexes);

    void relayout();
    void computePlacement();
    void placeCards();
    QWidget* makeCard(const GridEntry& entry);
    void updateCard(QWidget* card, const GridEntry& entry);

    LibraryContext& context;
    QList<GridEntry> gridEntries;
    MasonryLayout::Placement layout;
    QHash<QString, QWidget*> cards;
    QHash<const QWidget*, quint64> cardRevisions; // what each card shows
    QHash<QUuid, Heights> heights;
    Work done;
    qreal laidOutWidth = -1;
    bool layoutOwed = false; // entries came while the grid was not shown
    bool placing = false;
};
