#pragma once

#include "organise/SearchText.h"
#include "store/Item.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The library's search: the items matching at least one word of a query, best
// match first. A word scores 6 in the title, 3 in the detail, 4 in a tag, 2 in
// the source, 2 in the text and 2 when it is the item's kind, each at most once;
// matching is substring containment ignoring letter case.
//
// The answer depends only on the items and the query. An instance keeps the
// lower-cased fields of the items it has seen, so a search only scans; an item
// whose fields changed is read again. Not thread-safe: one instance per thread
// (it scans a large library on every core by itself).
class ItemSearch {
public:
    // Items with a score above 0, highest first; equal scores keep the order of
    // items. A blank query answers items unchanged.
    QList<Item> results(const QList<Item>& items, const QString& query);

    // The same answer as positions in items.
    QList<qsizetype> resultPositions(const QList<Item>& items, const QString& query);

    // The lower-cased words of query: split at spaces after trimming horizontal
    // white space (tabs and Unicode space separators, not line breaks). Empty
    // for a blank query.
    static QStringList words(const QString& query);

    // Weights of a word found in each place.
    static constexpr int titleWeight = 6;
    static constexpr int detailWeight = 3;
    static constexpr int tagWeight = 4;
    static constexpr int sourceWeight = 2;
    static constexpr int textWeight = 2;
    static constexpr int kindWeight = 2;

private:
    // An item's searchable fields, lower-cased, with the values they were made
    // from. Those share their data with the item's, so checking that the item
    // is unchanged usually compares pointers only.
    struct Fields {
        QString title;
        QString detail;
        std::optional<QString> text;
        std::optional<QString> source;
        std::optional<QString> category;
        std::optional<QStringList> tags;

        SearchText lowerTitle;
        SearchText lowerDetail;
        SearchText lowerText;
        std::optional<SearchText> lowerSource;
        QList<SearchText> lowerTags;
        quint64 lastUse = 0;

        bool madeFrom(const Item& item) const;
        void readFrom(const Item& item);
    };

    struct Word {
        SearchText text;
        std::optional<ItemKind> kind; // the kind whose stored value the word is
    };

    static int scoreOf(const Fields& fields, ItemKind kind, const std::vector<Word>& needles);
    // The cached fields of item, which may still be empty or out of date.
    Fields* fieldsOf(const Item& item, qsizetype position);
    void forgetUnused(qsizetype itemCount);

    QHash<QUuid, std::shared_ptr<Fields>> cache;
    // The fields by position in the last list searched: the list rarely
    // changes between keystrokes, so most items are found without hashing.
    std::vector<std::pair<QUuid, Fields*>> byPosition;
    quint64 generation = 0;
};
