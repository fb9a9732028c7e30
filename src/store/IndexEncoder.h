#pragma once

#include "store/Item.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QUuid>

// Encodes snapshots of the item list as "items.json" does (see
// IndexFile::encode), reusing the JSON of every item unchanged since the
// previous snapshot. Between two writes usually one item changes, and
// encoding is what a write of a large library spends its time on; with this
// a write costs about a copy of the bytes. Keeps one copy of the encoded
// index. Not thread-safe: one writer thread uses it.
class IndexEncoder {
public:
    QByteArray encode(const QList<Item>& items);

private:
    struct Encoded {
        Item item; // implicitly shares its texts with the store's item
        QByteArray json;
    };
    QHash<QUuid, Encoded> previous;
};
