#pragma once

#include "store/Item.h"

#include <QFont>
#include <QPalette>
#include <QPixmap>
#include <QRectF>

class QPainter;
struct LibraryContext;

// Draws the parts of a card that item cards and the front card of a stack
// share: the frame with its shadow, the content by kind and the footer.
class QWidget;

namespace CardPainter {

inline constexpr qreal radius = 12;
// Room around a card's frame for its shadow.
inline constexpr qreal shadowMargin = 8;
inline constexpr qreal footerHeight = 30;
// The height of the banner an image card shows when its image cannot be read.
inline constexpr qreal pictureBanner = 110;

// hover runs from 0 to 1 while the pointer enters.
void paintFrame(QPainter& painter, const QRectF& card, const QPalette& palette, qreal hover);

// Content and footer inside card; returns the tag chip's rectangle (empty
// when the item shows no tag).
QRectF paintItem(QPainter& painter, const QRectF& card, const Item& item,
                 const LibraryContext& context, const QPalette& palette);

// Lines of text laid out in rect with extra line spacing; the last line that
// fits (or the maxLines-th) ends in an ellipsis when text remains. Returns the
// height used.
qreal paintWrapped(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                   const QColor& color, int maxLines, qreal lineSpacing);

// The height paintWrapped takes for text in a box of width and unbounded
// height: measuring and drawing break the lines alike.
qreal wrappedHeight(const QString& text, const QFont& font, qreal width, int maxLines,
                    qreal lineSpacing);

// Where a text card's text stands inside its card, and how it is set.
inline constexpr qreal textInset = 14;
inline constexpr int textMaxLines = 12;
inline constexpr qreal textLineSpacing = 3.5;

QFont font(qreal pixelSize, QFont::Weight weight = QFont::Normal);
// A symbol's pixmap, rendered once per name, size and colour.
QPixmap symbol(const QString& name, int size, const QColor& color, qreal devicePixelRatio);
QColor secondary(const QPalette& palette);
// Sets widget's text in the secondary colour of from (a parent's palette);
// called again on every palette change, since the colour is worked out once.
void useSecondaryText(QWidget* widget, const QPalette& from);
// Makes widget's base see-through by its palette rather than a style sheet,
// whose colours would stay those of the appearance it was applied in.
void clearBase(QWidget* widget);
QColor hairline(const QPalette& palette);

} // namespace CardPainter
