#include "corpus/Corpus.h"
#include "organise/Categorizer.h"

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

const Categorizer& noModel() {
    static const Categorizer categorizer([] { return std::unique_ptr<SentenceEmbedding>(); });
    return categorizer;
}

// A long text that no rule places, so every step up to the meaning step runs.
void categorizeLongText(benchmark::State& state) {
    const QString text = Corpus::prose(int(state.range(0)), 7);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            noModel().categorize(u"A note about things"_s, text, std::nullopt));
    state.SetLabel("characters=" + std::to_string(text.size()));
}
BENCHMARK(categorizeLongText)->Arg(400)->Arg(4000)->Arg(40000)->Unit(benchmark::kMicrosecond);

// A mixed batch like the library's "Auto-sort Everything": short snippets,
// long notes and links.
void categorizeMixedBatch(benchmark::State& state) {
    const QList<Item> items = Corpus::items(1000, 11);
    for (auto _ : state) {
        for (const Item& item : items) {
            const std::optional<QString> url =
                item.kind == ItemKind::link ? std::optional<QString>(item.detail) : std::nullopt;
            benchmark::DoNotOptimize(noModel().categorize(item.title, item.text, url));
        }
    }
    state.SetItemsProcessed(state.iterations() * items.size());
}
BENCHMARK(categorizeMixedBatch)->Unit(benchmark::kMillisecond);

// Short texts go through the structural rules' regular expressions.
void categorizeShortShapes(benchmark::State& state) {
    const QStringList texts{u"someone@example.com"_s,
                            u"+1 (415) 555-0199"_s,
                            u"~/Documents/notes.txt"_s,
                            u"221B Baker Street, London, 560001"_s,
                            u"sk-proj-abcdefghijklmnopqrstuvwxyz"_s,
                            u"call mum tonight"_s};
    for (auto _ : state) {
        for (const QString& text : texts)
            benchmark::DoNotOptimize(noModel().categorize(text, std::nullopt, std::nullopt));
    }
    state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(categorizeShortShapes)->Unit(benchmark::kMicrosecond);

} // namespace
