#include "organise/LibraryState.h"

#include <QHash>
#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool showsNoTag(const Item& item) {
    return item.tags ? item.tags->isEmpty() : !item.category || item.category->isEmpty();
}

} // namespace

QString LibraryState::untaggedMarker() {
    return u"\0untagged"_s;
}

QList<Item> LibraryState::filtered(const QList<Item>& items) {
    const QList<qsizetype> found = search.resultPositions(items, query);
    const bool untaggedOnly = tagFilter == untaggedMarker();
    QList<qsizetype> kept;
    kept.reserve(found.size());
    for (qsizetype position : found) {
        const Item& item = items[position];
        if (!matches(filter, item))
            continue;
        if (untaggedOnly ? !showsNoTag(item) : tagFilter && !item.hasTag(*tagFilter))
            continue;
        kept.append(position);
    }
    // Usually everything shows, in the store's order: the list is then shared
    // rather than copied item by item on every change.
    bool everything = kept.size() == items.size();
    for (qsizetype i = 0; everything && i < kept.size(); ++i)
        everything = kept[i] == i;
    if (everything)
        return items;
    QList<Item> shown;
    shown.reserve(kept.size());
    for (qsizetype position : kept)
        shown.append(items[position]);
    return shown;
}

QList<TagCount> LibraryState::tagCounts(const QList<Item>& items) const {
    QList<TagCount> counts;
    QHash<QString, qsizetype> indexOfName;
    for (const Item& item : items) {
        if (!matches(filter, item))
            continue;
        item.forEachDisplayTag([&](const QString& name) {
            auto known = indexOfName.constFind(name);
            if (known == indexOfName.constEnd()) {
                known = indexOfName.insert(name, counts.size());
                counts.append({name, 0});
            }
            ++counts[*known].count;
        });
    }
    std::stable_sort(counts.begin(), counts.end(),
                     [](const TagCount& a, const TagCount& b) { return a.count > b.count; });
    return counts;
}

int LibraryState::untaggedCount(const QList<Item>& items) const {
    return int(std::count_if(items.begin(), items.end(), [this](const Item& item) {
        return matches(filter, item) && showsNoTag(item);
    }));
}

int LibraryState::admittedCount(const QList<Item>& items) const {
    return int(std::count_if(items.begin(), items.end(),
                             [this](const Item& item) { return matches(filter, item); }));
}

QList<TopicClusterer::Positions> LibraryState::stackPositions(const QList<Item>& shown) {
    switch (grouping) {
    case LibraryGrouping::none:
        return {};
    case LibraryGrouping::tags: {
        if (tagFilter)
            return {};
        QList<TopicClusterer::Positions> groups;
        QHash<QString, qsizetype> groupOfTag;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            // An item stacks under its first display tag.
            const QString* first = shown[i].firstDisplayTag();
            if (!first)
                continue;
            auto known = groupOfTag.constFind(*first);
            if (known == groupOfTag.constEnd()) {
                known = groupOfTag.insert(*first, groups.size());
                groups.append({*first, {}});
            }
            groups[*known].positions.append(i);
        }
        groups.removeIf([](const auto& group) { return group.positions.size() < 2; });
        return groups;
    }
    case LibraryGrouping::topics:
        break;
    }
    if (topicsDeferred)
        return {};
    return clusterer.clusterPositions(shown);
}

bool LibraryState::needsKeywordPass(const QList<Item>& items) const {
    if (grouping != LibraryGrouping::topics || !query.isEmpty() || items.size() < keywordPassSize)
        return false;
    return clusterer.unreadCount(items) >= keywordPassSize;
}

void LibraryState::adoptKeywords(const std::vector<TopicClusterer::ReadKeywords>& read) {
    clusterer.adopt(read);
}

QList<TopicCluster> LibraryState::topicClusters(const QList<Item>& items) {
    const QList<Item> shown = filtered(items);
    QList<TopicCluster> clusters;
    for (const auto& group : stackPositions(shown)) {
        TopicCluster cluster{group.label, {}};
        for (qsizetype position : group.positions)
            cluster.items.append(shown[position]);
        clusters.append(std::move(cluster));
    }
    return clusters;
}

QList<GridEntry> LibraryState::entriesOf(QList<Item>&& shown) {
    if (query.isEmpty())
        return entriesOf(std::as_const(shown));
    // Each keystroke ranks every matching item, so they are moved into their
    // entries rather than copied field by field.
    QList<GridEntry> entries;
    entries.reserve(shown.size());
    for (Item& item : shown)
        entries.append(GridEntry::single(std::move(item)));
    return entries;
}

QList<GridEntry> LibraryState::entriesOf(const QList<Item>& shown) {
    QList<GridEntry> entries;
    entries.reserve(shown.size());
    if (!query.isEmpty()) {
        for (const Item& item : shown)
            entries.append(GridEntry::single(item));
        return entries;
    }

    const QList<TopicClusterer::Positions> stacks = stackPositions(shown);
    // Keyed by id as the grid identifies items; a later stack wins an item.
    QHash<QUuid, qsizetype> stackOfItem;
    QHash<QString, qsizetype> firstStackWithKey;
    stackOfItem.reserve(shown.size());
    for (qsizetype s = 0; s < stacks.size(); ++s) {
        if (!firstStackWithKey.contains(stacks[s].label))
            firstStackWithKey.insert(stacks[s].label, s);
        for (qsizetype position : stacks[s].positions)
            stackOfItem.insert(shown[position].id, s);
    }

    QSet<QString> emitted;
    for (const Item& item : shown) {
        auto stack = stackOfItem.constFind(item.id);
        if (stack == stackOfItem.constEnd()) {
            entries.append(GridEntry::single(item));
            continue;
        }
        const QString& key = stacks[*stack].label;
        if (emitted.contains(key))
            continue;
        emitted.insert(key);
        const QList<qsizetype>& positions = stacks[firstStackWithKey.value(key)].positions;
        QList<Item> members;
        members.reserve(positions.size());
        for (qsizetype position : positions)
            members.append(shown[position]);
        entries.append(GridEntry::stack(key, std::move(members)));
    }
    return entries;
}

QList<GridEntry> LibraryState::entries(const QList<Item>& items) {
    return entriesOf(filtered(items));
}

bool LibraryState::keepTagFilterValid(const QList<Item>& items) {
    if (!tagFilter)
        return false;
    const QList<TagCount> chips = tagCounts(items);
    bool valid;
    if (*tagFilter == untaggedMarker()) {
        // The Untagged chip is offered only beside at least one tag chip.
        valid = !chips.isEmpty() && untaggedCount(items) > 0;
    } else {
        valid = std::any_of(chips.begin(), chips.end(),
                            [this](const TagCount& chip) { return chip.name == *tagFilter; });
    }
    if (!valid)
        tagFilter.reset();
    return !valid;
}

LibraryState::Grid LibraryState::grid(const QList<Item>& items) {
    Grid grid;
    grid.filtered = filtered(items);
    grid.entries = entriesOf(grid.filtered);
    grid.tagCounts = tagCounts(items);
    grid.untaggedCount = untaggedCount(items);
    grid.admittedCount = admittedCount(items);
    return grid;
}
