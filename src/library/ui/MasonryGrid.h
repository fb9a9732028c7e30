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

Q_SIGNALS:
    void stackTapped(const QString& key);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    // An item's estimate and card height, kept while the item's strings stay
    // the same ones (a changed text is a new string) and the width holds.
    struct Heights {
        const QChar* text = nullptr;
        qsizetype textSize = 0;
        const QChar* title = nullptr;
        qsizetype titleSize = 0;
        bool thumb = false;
        ItemKind kind = ItemKind::text;
        qreal width = 0;
        qreal estimate = 0;
        qreal height = 0;
        bool exact = false; // height measured rather than approximated
    };
    const Heights& heightsOf(const Item& item, qreal width);
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
    QHash<QUuid, Heights> heights;
    qreal laidOutWidth = -1;
    bool placing = false;
};
