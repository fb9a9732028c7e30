#include "organise/ItemSearch.h"

#include "common/ParallelFor.h"
#include "organise/SharedText.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isHorizontalSpace(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

SearchText lowered(const QString& text) {
    return SearchText(text.toLower());
}

} // namespace

QStringList ItemSearch::words(const QString& query) {
    QStringView trimmed(query);
    while (!trimmed.isEmpty() && isHorizontalSpace(trimmed.front()))
        trimmed = trimmed.sliced(1);
    while (!trimmed.isEmpty() && isHorizontalSpace(trimmed.back()))
        trimmed.chop(1);
    if (trimmed.isEmpty())
        return {};
    return trimmed.toString().toLower().split(u' ', Qt::SkipEmptyParts);
}

bool ItemSearch::Fields::madeFrom(const Item& item) const {
    return SharedText::same(title, item.title) && SharedText::same(detail, item.detail) &&
           SharedText::same(text, item.text) && SharedText::same(source, item.source) &&
           SharedText::same(category, item.category) && tags == item.tags;
}

void ItemSearch::Fields::readFrom(const Item& item) {
    title = item.title;
    detail = item.detail;
    text = item.text;
    source = item.source;
    category = item.category;
    tags = item.tags;
    lowerTitle = lowered(item.title);
    lowerDetail = lowered(item.detail);
    lowerText = item.text ? lowered(*item.text) : SearchText();
    lowerSource = item.source ? std::optional<SearchText>(lowered(*item.source)) : std::nullopt;
    lowerTags.clear();
    for (const QString& tag : item.displayTags())
        lowerTags.append(lowered(tag));
}

ItemSearch::Fields* ItemSearch::fieldsOf(const Item& item, qsizetype position) {
    if (byPosition.size() <= size_t(position))
        byPosition.resize(size_t(position) + 1);
    auto& [knownId, known] = byPosition[size_t(position)];
    if (known == nullptr || knownId != item.id) {
        std::shared_ptr<Fields>& entry = cache[item.id];
        if (!entry)
            entry = std::make_shared<Fields>();
        knownId = item.id;
        known = entry.get();
    }
    return known;
}

// Items leave the library over time; their fields go once the cache holds
// clearly more than the items searched.
void ItemSearch::forgetUnused(qsizetype itemCount) {
    byPosition.resize(size_t(itemCount));
    if (cache.size() <= 2 * itemCount + 256)
        return;
    cache.removeIf([this](const auto& entry) { return entry.value()->lastUse != generation; });
}

int ItemSearch::scoreOf(const Fields& fields, ItemKind kind, const std::vector<Word>& needles) {
    int score = 0;
    for (const Word& word : needles) {
        if (fields.lowerTitle.contains(word.text))
            score += titleWeight;
        if (fields.lowerDetail.contains(word.text))
            score += detailWeight;
        if (std::any_of(fields.lowerTags.begin(), fields.lowerTags.end(),
                        [&](const SearchText& tag) { return tag.contains(word.text); }))
            score += tagWeight;
        if (fields.lowerSource && fields.lowerSource->contains(word.text))
            score += sourceWeight;
        if (fields.lowerText.contains(word.text))
            score += textWeight;
        if (word.kind == kind)
            score += kindWeight;
    }
    return score;
}

QList<qsizetype> ItemSearch::resultPositions(const QList<Item>& items, const QString& query) {
    const QStringList queryWords = words(query);
    QList<qsizetype> positions;
    if (queryWords.isEmpty()) {
        positions.reserve(items.size());
        for (qsizetype i = 0; i < items.size(); ++i)
            positions.append(i);
        return positions;
    }

    std::vector<Word> needles;
    needles.reserve(queryWords.size());
    for (const QString& word : queryWords)
        needles.push_back({SearchText(word), itemKindFromStoredValue(word)});

    ++generation;
    // The cache is looked up on this thread only. Lower-casing the items new or
    // changed since the last search (every text, the first time) and the scan
    // itself, the two costs of a search in a large library, run on every core.
    std::vector<Fields*> fields(size_t(items.size()));
    std::vector<qsizetype> stale;
    std::vector<std::unique_ptr<Fields>> repeated;
    for (qsizetype i = 0; i < items.size(); ++i) {
        Fields* known = fieldsOf(items[i], i);
        if (known->lastUse == generation) {
            // An id met twice in one list (a damaged index can hold one) may
            // carry other fields each time; such an item gets fields of its own.
            repeated.push_back(std::make_unique<Fields>());
            repeated.back()->readFrom(items[i]);
            fields[size_t(i)] = repeated.back().get();
            continue;
        }
        if (known->lastUse == 0 || !known->madeFrom(items[i]))
            stale.push_back(i);
        known->lastUse = generation;
        fields[size_t(i)] = known;
    }
    parallelFor(stale.size(), 1024, [&](size_t begin, size_t end) {
        for (size_t k = begin; k < end; ++k)
            fields[size_t(stale[k])]->readFrom(items[stale[k]]);
    });
    forgetUnused(items.size());

    std::vector<int> scores(size_t(items.size()));
    parallelFor(scores.size(), 4096, [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i)
            scores[i] = scoreOf(*fields[i], items[qsizetype(i)].kind, needles);
    });

    std::vector<std::pair<int, qsizetype>> scored; // (score, position)
    for (size_t i = 0; i < scores.size(); ++i) {
        if (scores[i] > 0)
            scored.emplace_back(scores[i], qsizetype(i));
    }

    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    positions.reserve(qsizetype(scored.size()));
    for (const auto& [score, position] : scored)
        positions.append(position);
    return positions;
}

QList<Item> ItemSearch::results(const QList<Item>& items, const QString& query) {
    if (words(query).isEmpty())
        return items;
    QList<Item> found;
    const QList<qsizetype> positions = resultPositions(items, query);
    found.reserve(positions.size());
    for (qsizetype position : positions)
        found.append(items[position]);
    return found;
}
