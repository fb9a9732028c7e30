#include "corpus/Corpus.h"
#include "organise/LibraryState.h"

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

struct Setting {
    const char* name;
    LibraryGrouping grouping;
    QString query;
    LibraryFilter filter;
};

const std::vector<Setting> settings{
    {"topics", LibraryGrouping::topics, QString(), LibraryFilter::all},
    {"tags", LibraryGrouping::tags, QString(), LibraryFilter::all},
    {"typing 'memory'", LibraryGrouping::topics, u"memory"_s, LibraryFilter::all},
    {"typing 'mem' in Links", LibraryGrouping::topics, u"mem"_s, LibraryFilter::links},
};

// One redraw of the library: filtered items, grid entries with their stacks,
// tag chips and counts, with the caches warm from the previous redraw.
void libraryRedraw(benchmark::State& state) {
    const QList<Item>& items = Corpus::sharedItems(int(state.range(0)));
    const Setting& setting = settings[size_t(state.range(1))];
    LibraryState library;
    library.grouping = setting.grouping;
    library.query = setting.query;
    library.filter = setting.filter;
    LibraryState::Grid grid = library.grid(items);
    for (auto _ : state)
        benchmark::DoNotOptimize(grid = library.grid(items));
    state.SetLabel(setting.name);
    state.counters["entries"] = double(grid.entries.size());
    state.counters["chips"] = double(grid.tagCounts.size());
}
BENCHMARK(libraryRedraw)
    ->ArgsProduct({{1000, 10000, 50000}, {0, 1, 2, 3}})
    ->ArgNames({"items", "setting"})
    ->Unit(benchmark::kMillisecond);

} // namespace
