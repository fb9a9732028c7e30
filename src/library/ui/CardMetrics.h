#pragma once

#include "organise/GridEntry.h"

#include <QSize>
#include <optional>

// The height a card takes at a column width. A text card's text is laid out
// as it is drawn (its height is most of the card and a wrong guess shows as a
// gap); the short titles of the other kinds are worked out from the fonts'
// average character width. The grid keeps the results, so each card is
// measured once per column width.
namespace CardMetrics {

// picture: the size of an image item's stored image, absent when it cannot
// be read (the card then shows its placeholder).
qreal itemHeight(const Item& item, qreal width, const std::optional<QSize>& picture = {});
qreal entryHeight(const GridEntry& entry, qreal width, const std::optional<QSize>& picture = {});
// A stack's pile whose front item's card is frontHeight high.
qreal stackHeight(qreal frontHeight);

// Lines a text of this font would take at width, at most maxLines.
int lines(const QString& text, qreal averageCharWidth, qreal width, int maxLines);

} // namespace CardMetrics
