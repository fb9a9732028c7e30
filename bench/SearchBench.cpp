#include "corpus/Corpus.h"
#include "organise/ItemSearch.h"

#include <algorithm>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// Queries by what they cost: a word in most items, a topic's word, a word in
// no item (every text is read to its end), and several words.
const QStringList queries{u"the"_s, Corpus::topicWords(20).front(), u"zyzzyva"_s,
                          u"garden river planet"_s};

// The direct way: every field lower-cased on every call, then searched.
QList<Item> directSearch(const QList<Item>& items, const QString& query) {
    const QStringList words = ItemSearch::words(query);
    if (words.isEmpty())
        return items;
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
            score += title.contains(word) ? 6 : 0;
            score += detail.contains(word) ? 3 : 0;
            score += std::any_of(tags.begin(), tags.end(),
                                 [&](const QString& tag) { return tag.contains(word); })
                         ? 4
                         : 0;
            score += source && source->contains(word) ? 2 : 0;
            score += text.contains(word) ? 2 : 0;
            score += word == storedValue(item.kind) ? 2 : 0;
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

void label(benchmark::State& state, const QList<Item>& items, const QString& query,
           qsizetype found) {
    state.SetLabel(query.toStdString() + " (" + std::to_string(found) + " found)");
    qint64 characters = 0;
    for (const Item& item : items)
        characters += item.text ? item.text->size() : 0;
    state.counters["textMB"] = double(characters) / 1e6;
}

// Typing in the search field: the items' fields are already cached.
void searchCached(benchmark::State& state) {
    const QList<Item>& items = Corpus::sharedItems(int(state.range(0)));
    const QString query = queries[state.range(1)];
    ItemSearch search;
    qsizetype found = search.results(items, query).size();
    for (auto _ : state)
        benchmark::DoNotOptimize(found = search.results(items, query).size());
    label(state, items, query, found);
}

// The first search after start: every field is lower-cased and cached.
void searchFirst(benchmark::State& state) {
    const QList<Item>& items = Corpus::sharedItems(int(state.range(0)));
    const QString query = queries[state.range(1)];
    qsizetype found = 0;
    for (auto _ : state) {
        ItemSearch search;
        benchmark::DoNotOptimize(found = search.results(items, query).size());
    }
    label(state, items, query, found);
}

void searchDirect(benchmark::State& state) {
    const QList<Item>& items = Corpus::sharedItems(int(state.range(0)));
    const QString query = queries[state.range(1)];
    qsizetype found = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = directSearch(items, query).size());
    label(state, items, query, found);
}

void sizesAndQueries(benchmark::internal::Benchmark* b, std::initializer_list<int> sizes) {
    for (int size : sizes) {
        for (int q = 0; q < int(queries.size()); ++q)
            b->Args({size, q});
    }
    b->Unit(benchmark::kMillisecond)->ArgNames({"items", "query"});
}

BENCHMARK(searchCached)->Apply([](auto* b) { sizesAndQueries(b, {1000, 10000, 50000}); });
BENCHMARK(searchFirst)->Apply([](auto* b) { sizesAndQueries(b, {10000}); }) -> Iterations(3);
BENCHMARK(searchDirect)->Apply([](auto* b) { sizesAndQueries(b, {1000, 10000}); }) -> Iterations(5);

} // namespace
