#include "library/MasonryLayout.h"

#include "common/Graphemes.h"

#include <algorithm>
#include <cmath>

namespace MasonryLayout {

namespace {

// The number of characters of text, counting stops at limit. Text in which
// every code unit is a character on its own (no line-break pairs, combining
// marks or surrogates: the usual case) is counted without the boundary
// finder, which the grid would otherwise run over every card at each keystroke.
qsizetype charactersUpTo(const QString& text, qsizetype limit) {
    const qsizetype scanned = std::min(text.size(), limit + 1);
    // Without an early exit, and with the flags gathered in a plain integer
    // rather than a bool, the compiler checks many units at a time (half the
    // time over 10,000 texts at launch).
    const char16_t* units = QStringView(text).utf16();
    unsigned complex = 0;
    for (qsizetype i = 0; i < scanned; ++i) {
        const unsigned unit = units[i];
        complex |= unsigned(unit == u'\r') | unsigned(unit >= 0x0300);
    }
    if (complex == 0)
        return std::min(text.size(), limit);
    const QStringView view(text);
    return Graphemes::count(view.first(Graphemes::endOfFirst(view, limit)));
}

} // namespace

qreal pictureHeight(const QSizeF& picture, qreal width) {
    const qreal aspect = picture.isEmpty() ? 1.0 : picture.height() / picture.width();
    return width * std::clamp(aspect, minPictureAspect, maxPictureAspect);
}

int columnCount(qreal width) {
    const int fit = static_cast<int>(std::floor(std::max<qreal>(width, 0) / minColumnWidthStep));
    return std::clamp(fit, minColumns, maxColumns);
}

qreal columnWidth(qreal width, int columns) {
    const qreal available = width - 2 * sideMargin - spacing * (columns - 1);
    return std::max(available / columns, minColumnWidth);
}

qreal estimatedHeight(const Item& item) {
    const auto hasThumb = [&] { return item.thumbFileName && !item.thumbFileName->isEmpty(); };
    switch (item.kind) {
    case ItemKind::image:
        return 250;
    case ItemKind::file:
        return hasThumb() ? 240 : 92;
    case ItemKind::link:
        return hasThumb() ? 260 : 130;
    case ItemKind::text:
        break;
    }
    const QString& body = item.text ? *item.text : item.title;
    const qsizetype characters = charactersUpTo(body, 700);
    return 74 + 0.3 * static_cast<qreal>(characters);
}

qreal estimatedHeight(const GridEntry& entry) {
    if (!entry.isStack())
        return estimatedHeight(entry.item());
    if (entry.items.isEmpty())
        return 136;
    return estimatedHeight(entry.items.front()) + 16;
}

QList<QList<int>> distribute(const QList<GridEntry>& entries, int columns) {
    QList<qreal> estimates;
    estimates.reserve(entries.size());
    for (const GridEntry& entry : entries)
        estimates.append(estimatedHeight(entry));
    return distribute(estimates, columns);
}

QList<QList<int>> distribute(const QList<qreal>& estimates, int columns) {
    columns = std::max(columns, 1);
    QList<QList<int>> result(columns);
    QList<qreal> heights(columns, 0);
    for (int i = 0; i < estimates.size(); ++i) {
        const auto shortest = std::min_element(heights.begin(), heights.end());
        const auto column = std::distance(heights.begin(), shortest);
        result[column].append(i);
        *shortest += estimates[i];
    }
    return result;
}

Placement place(const QList<GridEntry>& entries, qreal width, const CardHeight& cardHeight) {
    const qreal columnWide = columnWidth(width, columnCount(width));
    QList<qreal> estimates;
    QList<qreal> heights;
    estimates.reserve(entries.size());
    heights.reserve(entries.size());
    for (const GridEntry& entry : entries) {
        estimates.append(estimatedHeight(entry));
        heights.append(cardHeight ? cardHeight(entry, columnWide) : estimates.back());
    }
    return place(estimates, heights, width);
}

Placement place(const QList<qreal>& estimates, const QList<qreal>& heights, qreal width) {
    Placement placement;
    placement.columns = columnCount(width);
    placement.columnWidth = columnWidth(width, placement.columns);
    placement.cards.resize(estimates.size());
    const QList<QList<int>> columns = distribute(estimates, placement.columns);
    qreal tallest = 0;
    for (int c = 0; c < columns.size(); ++c) {
        const qreal x = sideMargin + c * (placement.columnWidth + spacing);
        qreal y = topMargin;
        for (int index : columns[c]) {
            const qreal height = heights.value(index);
            placement.cards[index] = QRectF(x, y, placement.columnWidth, height);
            y += height + spacing;
        }
        if (!columns[c].isEmpty())
            tallest = std::max(tallest, y - spacing);
    }
    placement.contentHeight = std::max(tallest, topMargin) + bottomMargin;
    return placement;
}

QList<int> visibleCards(const Placement& placement, qreal top, qreal bottom) {
    QList<int> visible;
    for (int i = 0; i < placement.cards.size(); ++i) {
        const QRectF& card = placement.cards[i];
        if (card.bottom() > top && card.top() < bottom)
            visible.append(i);
    }
    return visible;
}

} // namespace MasonryLayout
