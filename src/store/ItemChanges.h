#pragma once

#include <QList>
#include <QUuid>

// The revision of an item's content: a number the store raises, across all
// items, whenever an item is made or changes, so (id, revision) names one
// content for as long as the store lives. A view keys what it worked out
// from an item on both and knows without comparing texts whether the item
// is still the one it saw.
struct ItemRevision {
    QUuid id;
    quint64 revision = 0;

    bool operator==(const ItemRevision&) const = default;
};

// What one change of the store's items did, by id.
struct ItemChanges {
    QList<ItemRevision> added;   // new items, in the order they now stand
    QList<ItemRevision> changed; // items whose content changed
    QList<QUuid> removed;
    // Items stand in another order than before (an existing item was bumped
    // to the front), with or without other changes.
    bool reordered = false;
    // The whole list was read again (another process may have written it):
    // every item may differ, and every revision is new.
    bool reloaded = false;

    bool isEmpty() const {
        return added.isEmpty() && changed.isEmpty() && removed.isEmpty() && !reordered && !reloaded;
    }

    bool operator==(const ItemChanges&) const = default;
};
