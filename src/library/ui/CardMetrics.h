#pragma once

#include "organise/GridEntry.h"

// The height a card takes at a column width, worked out from the fonts'
// average character width rather than by laying out its text, so placing
// tens of thousands of cards stays cheap. Pictures keep their estimated
// height and are cropped to it.
namespace CardMetrics {

qreal itemHeight(const Item& item, qreal width);
qreal entryHeight(const GridEntry& entry, qreal width);
// A stack's pile whose front item's card is frontHeight high.
qreal stackHeight(qreal frontHeight);

// Lines a text of this font would take at width, at most maxLines.
int lines(const QString& text, qreal averageCharWidth, qreal width, int maxLines);

} // namespace CardMetrics
