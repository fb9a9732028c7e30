#pragma once

#include "store/Item.h"

#include <QList>
#include <QString>

// One entry of the library's grid: a single item, or a stack of two or more
// items under a key (a topic's label or a tag name).
struct GridEntry {
    static GridEntry single(Item item);
    static GridEntry stack(QString key, QList<Item> items);

    bool isStack() const { return stacked; }

    // The single entry's item, or a stack's first item.
    const Item& item() const { return items.front(); }

    // Stable identity for the grid: the item's id in canonical form, or
    // "stack-" followed by the key.
    QString identity() const;

    bool stacked = false;
    QString key;       // stacks only
    QList<Item> items; // one item for a single entry

    bool operator==(const GridEntry&) const = default;
};
