#include "organise/ReferenceAlgorithms.h"

#include "common/Graphemes.h"

#include <QHash>
#include <QMap>
#include <algorithm>
#include <functional>
#include <numeric>
#include <vector>

using namespace Qt::StringLiterals;

namespace Reference {

namespace {

bool isHorizontalSpace(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

} // namespace

QList<Item> search(const QList<Item>& items, const QString& query) {
    qsizetype begin = 0;
    qsizetype end = query.size();
    while (begin < end && isHorizontalSpace(query[begin]))
        ++begin;
    while (end > begin && isHorizontalSpace(query[end - 1]))
        --end;
    const QString trimmed = query.mid(begin, end - begin).toLower();
    if (trimmed.isEmpty())
        return items;
    const QStringList words = trimmed.split(u' ', Qt::SkipEmptyParts);

    QList<std::pair<int, Item>> scored;
    for (const Item& item : items) {
        const QString title = item.title.toLower();
        const QString detail = item.detail.toLower();
        const QString text = item.text.value_or(QString()).toLower();
        const std::optional<QString> source =
            item.source ? std::optional<QString>(item.source->toLower()) : std::nullopt;
        QStringList tags;
        for (const QString& tag : item.displayTags())
            tags.append(tag.toLower());
        int score = 0;
        for (const QString& word : words) {
            if (title.contains(word))
                score += 6;
            if (detail.contains(word))
                score += 3;
            for (const QString& tag : tags) {
                if (tag.contains(word)) {
                    score += 4;
                    break;
                }
            }
            if (source && source->contains(word))
                score += 2;
            if (text.contains(word))
                score += 2;
            if (word == storedValue(item.kind))
                score += 2;
        }
        if (score > 0)
            scored.append({score, item});
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<Item> result;
    for (const auto& entry : scored)
        result.append(entry.second);
    return result;
}

namespace {

bool codePointLess(const QString& a, const QString& b) {
    const QList<uint> x = a.toUcs4();
    const QList<uint> y = b.toUcs4();
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end());
}

void addWords(const QString& string, double weight, QMap<QString, double>& weights) {
    static const QStringList stop = TopicClusterer::stopWords();
    const QString lowered = string.toLower();
    QStringList words;
    QString word;
    Graphemes::forEach(lowered, [&](QStringView character) {
        if (QChar::isLetter(character.toString().toUcs4().front())) {
            word += character;
        } else if (!word.isEmpty()) {
            words.append(word);
            word.clear();
        }
        return true;
    });
    if (!word.isEmpty())
        words.append(word);
    for (const QString& w : words) {
        if (Graphemes::count(w) >= 3 && !stop.contains(w))
            weights[w] += weight;
    }
}

} // namespace

QSet<QString> keywords(const Item& item) {
    QMap<QString, double> weights;
    addWords(item.title, 3, weights);
    if (item.text)
        addWords(Graphemes::prefix(*item.text, 1500), 1, weights);
    QList<std::pair<QString, double>> ranked;
    for (auto it = weights.begin(); it != weights.end(); ++it)
        ranked.append({it.key(), it.value()});
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : codePointLess(a.first, b.first);
    });
    QSet<QString> result;
    for (qsizetype i = 0; i < std::min<qsizetype>(8, ranked.size()); ++i)
        result.insert(ranked[i].first);
    return result;
}

QList<TopicCluster> clusters(const QList<Item>& items) {
    if (items.size() < 2)
        return {};
    QList<QSet<QString>> sets;
    for (const Item& item : items)
        sets.append(keywords(item));

    std::vector<qsizetype> parent(size_t(items.size()));
    std::iota(parent.begin(), parent.end(), 0);
    std::function<qsizetype(qsizetype)> find = [&](qsizetype i) -> qsizetype {
        if (parent[size_t(i)] != i)
            parent[size_t(i)] = find(parent[size_t(i)]);
        return parent[size_t(i)];
    };
    for (qsizetype i = 0; i + 1 < items.size(); ++i) {
        for (qsizetype j = i + 1; j < items.size(); ++j) {
            if (QSet<QString>(sets[i]).intersect(sets[j]).size() >= 2)
                parent[size_t(find(i))] = find(j);
        }
    }

    // Groups in the order of their first member.
    QList<QList<qsizetype>> groups;
    QHash<qsizetype, qsizetype> groupOfRoot;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const qsizetype root = find(i);
        if (!groupOfRoot.contains(root)) {
            groupOfRoot.insert(root, groups.size());
            groups.append(QList<qsizetype>{});
        }
        groups[groupOfRoot.value(root)].append(i);
    }

    QList<TopicCluster> result;
    QStringList given;
    for (const QList<qsizetype>& group : groups) {
        if (group.size() < 2)
            continue;
        QMap<QString, int> counts;
        for (qsizetype i : group) {
            for (const QString& word : sets[i])
                ++counts[word];
        }
        QString best;
        int bestCount = 0;
        for (auto it = counts.begin(); it != counts.end(); ++it) {
            if (it.value() < 2)
                continue;
            if (it.value() > bestCount ||
                (it.value() == bestCount && codePointLess(it.key(), best))) {
                best = it.key();
                bestCount = it.value();
            }
        }
        QString label = u"Related"_s;
        if (bestCount > 0) {
            const QString first = Graphemes::prefix(best, 1);
            label = first.toUpper() + best.mid(first.size());
        }
        while (given.contains(label))
            label += u" ·"_s;
        given.append(label);
        TopicCluster cluster{label, {}};
        for (qsizetype i : group)
            cluster.items.append(items[i]);
        result.append(cluster);
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const auto& a, const auto& b) { return a.items.size() > b.items.size(); });
    return result;
}

namespace {

const QString untagged = u"\0untagged"_s;

bool admits(LibraryFilter filter, const Item& item) {
    const bool note = item.kind == ItemKind::text && item.source == u"Quick Note"_s;
    switch (filter) {
    case LibraryFilter::all:
        return true;
    case LibraryFilter::notes:
        return note;
    case LibraryFilter::text:
        return item.kind == ItemKind::text && !note;
    case LibraryFilter::images:
        return item.kind == ItemKind::image;
    case LibraryFilter::documents:
        return item.kind == ItemKind::file;
    case LibraryFilter::links:
        return item.kind == ItemKind::link;
    }
    return false;
}

} // namespace

QList<Item> filtered(const QList<Item>& items, const View& view) {
    QList<Item> result;
    for (const Item& item : search(items, view.query)) {
        if (!admits(view.filter, item))
            continue;
        if (view.tagFilter == untagged && !item.displayTags().isEmpty())
            continue;
        if (view.tagFilter && *view.tagFilter != untagged && !item.hasTag(*view.tagFilter))
            continue;
        result.append(item);
    }
    return result;
}

QList<TagCount> tagCounts(const QList<Item>& items, const View& view) {
    QList<TagCount> counts;
    for (const Item& item : items) {
        if (!admits(view.filter, item))
            continue;
        for (const QString& name : item.displayTags()) {
            auto it = std::find_if(counts.begin(), counts.end(),
                                   [&](const TagCount& count) { return count.name == name; });
            if (it == counts.end())
                counts.append({name, 1});
            else
                ++it->count;
        }
    }
    std::stable_sort(counts.begin(), counts.end(),
                     [](const TagCount& a, const TagCount& b) { return a.count > b.count; });
    return counts;
}

int untaggedCount(const QList<Item>& items, const View& view) {
    int count = 0;
    for (const Item& item : items)
        count += admits(view.filter, item) && item.displayTags().isEmpty();
    return count;
}

QList<TopicCluster> topicClusters(const QList<Item>& items, const View& view) {
    if (view.grouping == LibraryGrouping::none)
        return {};
    if (view.grouping == LibraryGrouping::tags) {
        if (view.tagFilter)
            return {};
        QList<TopicCluster> groups;
        for (const Item& item : filtered(items, view)) {
            const QStringList tags = item.displayTags();
            if (tags.isEmpty())
                continue;
            auto it = std::find_if(groups.begin(), groups.end(),
                                   [&](const TopicCluster& g) { return g.label == tags.front(); });
            if (it == groups.end())
                groups.append({tags.front(), {item}});
            else
                it->items.append(item);
        }
        groups.removeIf([](const TopicCluster& g) { return g.items.size() < 2; });
        return groups;
    }
    return clusters(filtered(items, view));
}

QList<GridEntry> entries(const QList<Item>& items, const View& view) {
    const QList<Item> shown = filtered(items, view);
    QList<GridEntry> result;
    if (!view.query.isEmpty()) {
        for (const Item& item : shown)
            result.append(GridEntry::single(item));
        return result;
    }
    const QList<TopicCluster> stacks = topicClusters(items, view);
    QHash<QUuid, QString> keyOfItem;
    for (const TopicCluster& stack : stacks) {
        for (const Item& item : stack.items)
            keyOfItem.insert(item.id, stack.label);
    }
    QStringList emitted;
    for (const Item& item : shown) {
        if (!keyOfItem.contains(item.id)) {
            result.append(GridEntry::single(item));
            continue;
        }
        const QString key = keyOfItem.value(item.id);
        if (emitted.contains(key))
            continue;
        emitted.append(key);
        auto first = std::find_if(stacks.begin(), stacks.end(),
                                  [&](const TopicCluster& s) { return s.label == key; });
        result.append(GridEntry::stack(key, first->items));
    }
    return result;
}

} // namespace Reference
