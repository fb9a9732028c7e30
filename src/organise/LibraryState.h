#pragma once

#include "organise/GridEntry.h"
#include "organise/ItemSearch.h"
#include "organise/LibraryFilter.h"
#include "organise/LibraryGrouping.h"
#include "organise/TopicClusterer.h"
#include "store/Item.h"

#include <QList>
#include <QString>
#include <optional>

// A chip of the tag bar.
struct TagCount {
    QString name;
    int count = 0;

    bool operator==(const TagCount&) const = default;
};

// The memory library between the store's items and the grid: the choices the
// user made (filter tab, search text, tag chip, grouping) and everything drawn
// from them. Every answer is computed from the items passed in (the store's
// list, newest first), so the view only draws. Keeps the search's and the
// clusterer's caches between calls; interface thread only.
class LibraryState {
public:
    LibraryFilter filter = LibraryFilter::all;
    QString query;
    // Absent (the "All" chip), a tag name, or untaggedMarker().
    std::optional<QString> tagFilter;
    LibraryGrouping grouping = LibraryGrouping::topics;
    // While set, no topic stacks are formed: their keywords are being read
    // elsewhere (see needsKeywordPass), and the grid shows the items alone.
    bool topicsDeferred = false;

    // The tag filter of the "Untagged" chip: a NUL and "untagged", which no
    // cleaned tag name can equal.
    static QString untaggedMarker();

    // Items matching the query (best first, or all in order for a blank
    // query) that the filter tab admits and the tag filter keeps.
    QList<Item> filtered(const QList<Item>& items);

    // Tag chips: display tags (exact spelling) of the items the filter tab
    // admits, most used first, equal counts in order of first appearance.
    // Neither the query nor the tag filter changes them.
    QList<TagCount> tagCounts(const QList<Item>& items) const;

    // Items the filter tab admits that show no tag.
    int untaggedCount(const QList<Item>& items) const;

    // Items the filter tab admits (the "All" chip's count).
    int admittedCount(const QList<Item>& items) const;

    // The stacks the grouping forms from filtered(items): topic clusters; for
    // tags, the items sharing their first tag (none while a tag chip is
    // chosen); none without grouping.
    QList<TopicCluster> topicClusters(const QList<Item>& items);

    // The grid: filtered(items) with each stack standing at the place of its
    // first member; no stacks while the query is not empty.
    QList<GridEntry> entries(const QList<Item>& items);

    // Clears the tag filter when its chip is gone after items changed.
    // Returns true when it cleared it.
    bool keepTagFilterValid(const QList<Item>& items);

    // Everything the library draws, computed in one go.
    struct Grid {
        QList<Item> filtered;
        QList<GridEntry> entries;
        QList<TagCount> tagCounts;
        int untaggedCount = 0;
        int admittedCount = 0;
    };
    Grid grid(const QList<Item>& items);

    // True when forming topic stacks now would first read the keywords of
    // at least keywordPassSize items: better read on another thread
    // (KeywordPass) and handed over with adoptKeywords.
    bool needsKeywordPass(const QList<Item>& items) const;
    void adoptKeywords(const std::vector<TopicClusterer::ReadKeywords>& read);
    static constexpr qsizetype keywordPassSize = 2000;

private:
    QList<TopicClusterer::Positions> stackPositions(const QList<Item>& shown);
    QList<GridEntry> entriesOf(const QList<Item>& shown);
    QList<GridEntry> entriesOf(QList<Item>&& shown);

    ItemSearch search;
    TopicClusterer clusterer;
};
