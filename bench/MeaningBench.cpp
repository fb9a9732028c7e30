#include "corpus/Corpus.h"
#include "organise/Categorizer.h"
#include "organise/EnglishEmbedding.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Resident memory of this process in bytes.
double residentBytes() {
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

// Runs first, while no model has been loaded in this process.
void modelMemory(benchmark::State& state) {
    double added = 0;
    for (auto _ : state) {
        const double before = residentBytes();
        const auto model = EnglishEmbedding::load();
        if (!model) {
            state.SkipWithError("the model file is missing or damaged");
            return;
        }
        added = residentBytes() - before;
        benchmark::DoNotOptimize(model.get());
    }
    state.counters["addedMB"] = added / (1024.0 * 1024.0);
}
BENCHMARK(modelMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void modelLoad(benchmark::State& state) {
    for (auto _ : state) {
        auto model = EnglishEmbedding::load();
        if (!model) {
            state.SkipWithError("the model file is missing or damaged");
            return;
        }
        benchmark::DoNotOptimize(model.get());
    }
}
BENCHMARK(modelLoad)->Unit(benchmark::kMillisecond);

// The meaning step on 400-character notes: more distinct texts than the
// embedding remembers, so every call embeds its text afresh.
void meaningCategory(benchmark::State& state) {
    static const Categorizer categorizer(&EnglishEmbedding::load);
    QStringList texts;
    for (std::uint32_t seed = 0; seed < 64; ++seed)
        texts << Corpus::prose(400, 100 + seed);
    if (!categorizer.meaningCategory(u"warm up"_s, texts.front()).has_value() &&
        !EnglishEmbedding::load())
        state.SkipWithError("the model file is missing or damaged");
    qsizetype next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(categorizer.meaningCategory(u"A note"_s, texts[next]));
        next = (next + 1) % texts.size();
    }
    state.SetLabel("characters=" + std::to_string(texts.front().size()));
}
BENCHMARK(meaningCategory)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace
