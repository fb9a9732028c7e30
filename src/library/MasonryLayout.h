#pragma once

#include "organise/GridEntry.h"
#include "store/Item.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <functional>

// The arithmetic of the library's masonry grid: how many columns a width
// holds, how wide they are, which column each entry goes to and where every
// card stands. The grid never measures its cards; an estimate per entry
// balances the columns and is the card's height.
namespace MasonryLayout {

inline constexpr qreal minColumnWidthStep = 280;
inline constexpr int minColumns = 2;
inline constexpr int maxColumns = 4;
inline constexpr qreal minColumnWidth = 120;
inline constexpr qreal spacing = 12;
inline constexpr qreal sideMargin = 16;
inline constexpr qreal topMargin = 14;
inline constexpr qreal bottomMargin = 92; // room for the floating search field

// A picture fills its card's width at its own aspect, no lower than half
// and no taller than twice that width (beyond, it is cropped).
inline constexpr qreal minPictureAspect = 0.5;
inline constexpr qreal maxPictureAspect = 2.0;
qreal pictureHeight(const QSizeF& picture, qreal width);

int columnCount(qreal width);
qreal columnWidth(qreal width, int columns);

qreal estimatedHeight(const Item& item);
qreal estimatedHeight(const GridEntry& entry);

// Entry indexes per column: each entry goes to the column whose running
// height is smallest (the first on ties); no spacing is counted.
QList<QList<int>> distribute(const QList<GridEntry>& entries, int columns);
// The same over estimates worked out beforehand, one per entry.
QList<QList<int>> distribute(const QList<qreal>& estimates, int columns);

// Every card's rectangle in a grid of the given width, in entry order, and
// the height of the whole grid with its margins. Columns are balanced by the
// estimates; each card stands at the height cardHeight gives it for the
// column width (the estimate itself when none is given).
using CardHeight = std::function<qreal(const GridEntry& entry, qreal columnWidth)>;
struct Placement {
    QList<QRectF> cards;
    qreal contentHeight = 0;
    int columns = 0;
    qreal columnWidth = 0;
};
Placement place(const QList<GridEntry>& entries, qreal width, const CardHeight& cardHeight = {});
// The same from estimates and card heights (for columnWidth(width, columnCount(width)))
// worked out beforehand, one of each per entry.
Placement place(const QList<qreal>& estimates, const QList<qreal>& heights, qreal width);

// Indexes of the cards that intersect [top, bottom), in entry order.
QList<int> visibleCards(const Placement& placement, qreal top, qreal bottom);

} // namespace MasonryLayout
