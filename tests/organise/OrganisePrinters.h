#pragma once

// Readable gtest failure messages for the library's values.

#include "organise/GridEntry.h"
#include "organise/LibraryState.h"
#include "organise/TopicClusterer.h"
#include "store/Item.h"
#include "support/QtPrinters.h"

#include <ostream>

inline void PrintTo(const Item& item, std::ostream* os) {
    *os << '<' << item.title.toStdString() << ' ' << idString(item.id).left(8).toStdString() << '>';
}

inline void PrintTo(const TopicCluster& cluster, std::ostream* os) {
    *os << cluster.label.toStdString() << " {";
    for (const Item& item : cluster.items) {
        PrintTo(item, os);
        *os << ' ';
    }
    *os << '}';
}

inline void PrintTo(const GridEntry& entry, std::ostream* os) {
    if (entry.isStack()) {
        *os << "stack " << entry.key.toStdString() << " of " << entry.items.size();
        return;
    }
    PrintTo(entry.item(), os);
}

inline void PrintTo(const TagCount& count, std::ostream* os) {
    *os << count.name.toStdString() << ':' << count.count;
}
