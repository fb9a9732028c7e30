#include "organise/GridEntry.h"

using namespace Qt::StringLiterals;

GridEntry GridEntry::single(Item item) {
    GridEntry entry;
    entry.items.append(std::move(item));
    return entry;
}

GridEntry GridEntry::stack(QString key, QList<Item> items) {
    GridEntry entry;
    entry.stacked = true;
    entry.key = std::move(key);
    entry.items = std::move(items);
    return entry;
}

QString GridEntry::identity() const {
    return stacked ? u"stack-"_s + key : idString(items.front().id);
}
