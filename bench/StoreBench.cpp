#include "common/AtomicFile.h"
#include "corpus/Corpus.h"
#include "organise/Categorizer.h"
#include "platform/Clock.h"
#include "store/IndexEncoder.h"
#include "store/IndexFile.h"
#include "store/Store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

class SystemTime final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};

const Categorizer& noModel() {
    static const Categorizer categorizer([] { return std::unique_ptr<SentenceEmbedding>(); });
    return categorizer;
}

// A data folder holding an index of count corpus items.
struct Library {
    explicit Library(int count) {
        QDir().mkpath(dir.path() + u"/Lumavex/Files"_s);
        bytes = IndexFile::encode(Corpus::items(count));
        AtomicFile::write(dir.path() + u"/Lumavex/items.json"_s, bytes);
    }
    std::unique_ptr<Store> open() {
        Store::Options options;
        options.applicationSupport = dir.path();
        options.clock = &clock;
        options.categorizer = &noModel();
        return Store::open(options);
    }
    QTemporaryDir dir;
    QByteArray bytes;
    SystemTime clock;
};

void loadIndex(benchmark::State& state) {
    Library library(int(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<Store> store = library.open();
        benchmark::DoNotOptimize(store->items().size());
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["indexMB"] = double(library.bytes.size()) / 1e6;
}
BENCHMARK(loadIndex)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// The share of opening that is reading JSON into items.
void decodeIndex(benchmark::State& state) {
    const QByteArray bytes = IndexFile::encode(Corpus::items(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(IndexFile::decode(bytes));
    state.counters["indexMB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(decodeIndex)->Arg(10000)->Unit(benchmark::kMillisecond);

// Main-thread cost of one change; the index is written in the background.
void addText(benchmark::State& state) {
    Library library(int(state.range(0)));
    std::unique_ptr<Store> store = library.open();
    int n = 0;
    for (auto _ : state)
        store->addText(u"benchmark note "_s + QString::number(n++), std::nullopt);
    store->flush();
}
BENCHMARK(addText)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

void toggleTag(benchmark::State& state) {
    Library library(int(state.range(0)));
    std::unique_ptr<Store> store = library.open();
    const QUuid id = store->items()[store->items().size() / 2].id;
    for (auto _ : state)
        store->toggleTag(u"Later"_s, id);
    store->flush();
}
BENCHMARK(toggleTag)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

void removeItem(benchmark::State& state) {
    Library library(int(state.range(0)));
    std::unique_ptr<Store> store = library.open();
    for (auto _ : state)
        store->remove(store->items()[store->items().size() / 2]);
    store->flush();
}
// Fewer removals than the smallest library holds.
BENCHMARK(removeItem)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

// From a change to the index durably on disk: the background encode and write.
void changeToDisk(benchmark::State& state) {
    Library library(int(state.range(0)));
    std::unique_ptr<Store> store = library.open();
    const QUuid id = store->items().first().id;
    for (auto _ : state) {
        store->toggleTag(u"Later"_s, id);
        store->flush();
    }
}
BENCHMARK(changeToDisk)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

} // namespace

// What every write cost before unchanged items kept their JSON: a whole
// encode of the list, compared here with the encoder that reuses it.
void encodeWholeIndex(benchmark::State& state) {
    const QList<Item> items = Corpus::items(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(IndexFile::encode(items).size());
}
BENCHMARK(encodeWholeIndex)->Arg(10000)->Unit(benchmark::kMillisecond);

void encodeAfterOneChange(benchmark::State& state) {
    QList<Item> items = Corpus::items(int(state.range(0)));
    IndexEncoder encoder;
    encoder.encode(items);
    int n = 0;
    for (auto _ : state) {
        items[items.size() / 2].tags = QStringList{QString::number(n++)};
        benchmark::DoNotOptimize(encoder.encode(items).size());
    }
}
BENCHMARK(encodeAfterOneChange)->Arg(10000)->Unit(benchmark::kMillisecond);
