#pragma once

#include "organise/GridEntry.h"

#include <QSize>
#include <optional>

// The height a card takes at a column width. A text card's text is laid out
// as it is drawn and an image card reads its picture's size, so the card ends
// where its content does; the short titles of the other kinds are worked out
// from the fonts' average character width.
namespace CardMetrics {

// picture: the size of an image item's stored image, absent when it cannot
// be read (the card then shows its placeholder).
qreal itemHeight(const Item& item, qreal width, const std::optional<QSize>& picture = {});
// A cheap approximation of itemHeight, without laying text out or reading an
// image: lines from the font's average character width, pictures at their
// estimate. Laying out costs a few hundred microseconds a card, too much for
// every card of a large library at each width; the grid uses this for cards
// out of view and the exact height for those it shows.
qreal roughItemHeight(const Item& item, qreal width);
qreal entryHeight(const GridEntry& entry, qreal width, const std::optional<QSize>& picture = {});
// A stack's pile whose front item's card is frontHeight high.
qreal stackHeight(qreal frontHeight);

// Lines a text of this font would take at width, at most maxLines.
int lines(const QString& text, qreal averageCharWidth, qreal width, int maxLines);

} // namespace CardMetrics
