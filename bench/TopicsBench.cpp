#include "corpus/Corpus.h"
#include "organise/TopicClusterer.h"

#include <benchmark/benchmark.h>
#include <map>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// The direct way: keywords of every item on every call, then every two items
// compared (sorted keyword lists, so each comparison is a short merge).
qsizetype directClusterCount(const QList<Item>& items) {
    const qsizetype n = items.size();
    std::vector<QStringList> sets;
    for (const Item& item : items) {
        const QSet<QString> words = TopicClusterer::keywords(item);
        QStringList sorted(words.begin(), words.end());
        sorted.sort();
        sets.push_back(sorted);
    }
    std::vector<qsizetype> parent(static_cast<size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](qsizetype i) {
        while (parent[size_t(i)] != i)
            i = parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
        return i;
    };
    for (qsizetype i = 0; i + 1 < n; ++i) {
        for (qsizetype j = i + 1; j < n; ++j) {
            const QStringList& a = sets[size_t(i)];
            const QStringList& b = sets[size_t(j)];
            int shared = 0;
            for (qsizetype x = 0, y = 0; x < a.size() && y < b.size();) {
                const int order = a[x].compare(b[y]);
                shared += order == 0;
                x += order <= 0;
                y += order >= 0;
            }
            if (shared >= 2)
                parent[size_t(find(i))] = find(j);
        }
    }
    std::map<qsizetype, int> sizes;
    for (qsizetype i = 0; i < n; ++i)
        ++sizes[find(i)];
    return std::count_if(sizes.begin(), sizes.end(), [](const auto& s) { return s.second >= 2; });
}

void describe(benchmark::State& state, const QList<TopicCluster>& clusters) {
    qsizetype largest = 0;
    qsizetype clustered = 0;
    for (const TopicCluster& cluster : clusters) {
        largest = std::max(largest, cluster.items.size());
        clustered += cluster.items.size();
    }
    state.counters["clusters"] = double(clusters.size());
    state.counters["largest"] = double(largest);
    state.counters["clustered"] = double(clustered);
}

// Recomputing the topics of an unchanged library, as each redraw does.
void topicsCached(benchmark::State& state) {
    const QList<Item>& items = Corpus::sharedItems(int(state.range(0)));
    TopicClusterer clusterer;
    QList<TopicCluster> clusters = clusterer.clusters(items);
    for (auto _ : state)
        benchmark::DoNotOptimize(clusters = clusterer.clusters(items));
    describe(state, clusters);
}
BENCHMARK(topicsCached)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// The first computation: every item's keywords are read.
void topicsFirst(benchmark::State& state) {
    const QList<Item>& items = Corpus::sharedItems(int(state.range(0)));
    QList<TopicCluster> clusters;
    for (auto _ : state) {
        TopicClusterer clusterer;
        benchmark::DoNotOptimize(clusters = clusterer.clusters(items));
    }
    describe(state, clusters);
}
BENCHMARK(topicsFirst)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

void topicsDirect(benchmark::State& state) {
    const QList<Item>& items = Corpus::sharedItems(int(state.range(0)));
    qsizetype count = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(count = directClusterCount(items));
    state.counters["clusters"] = double(count);
}
BENCHMARK(topicsDirect)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
