#pragma once

#include "store/Enrichment.h"

#include <QString>
#include <optional>

struct Item;

// Reads what an item holds (a page, an image's words, a document's text and
// thumbnail) and says what to merge into it. Runs on the store's extraction
// thread, one item at a time: it may block on the network or on recognition,
// it gets its own copy of the item and touches nothing but new files in
// filesDir.
class ContentEnricher {
public:
    virtual ~ContentEnricher() = default;

    // Absent when there is nothing to merge into the item.
    virtual std::optional<Enrichment> enrich(const Item& item, const QString& filesDir) = 0;

    // Makes a running enrich() end soon and later ones find nothing; for
    // closing the store. Safe from any thread.
    virtual void stop() {}
};
