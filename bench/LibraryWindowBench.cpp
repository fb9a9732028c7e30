// The library window over a large library, drawn offscreen: opening it,
// one keystroke in the search field, one changed item, and one scrolled
// frame, each with the painting of every card in view; the process's
// resident memory is reported as a counter. The grid's own work per step
// (heights worked out, cards made or refilled) is reported beside the times.

#include "capture/AppState.h"
#include "capture/ClipboardWatcher.h"
#include "capture/KeepPipeline.h"
#include "corpus/Corpus.h"
#include "library/ImageCache.h"
#include "library/ui/LibraryContext.h"
#include "library/ui/LibraryView.h"
#include "library/ui/MasonryGrid.h"
#include "library/ui/SearchField.h"
#include "organise/Categorizer.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryFrontmostApplication.h"
#include "platform/memory/MemoryPasteboard.h"
#include "platform/memory/MemoryScheduler.h"
#include "platform/memory/MemoryUserDefaults.h"
#include "store/IndexFile.h"
#include "store/Store.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "tovik_bench_librarywindow";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

double residentMegabytes() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return 0;
}

// A store holding count corpus items, opened the way the app opens its own,
// with the services of a library page around it.
struct Library {
    explicit Library(int count) {
        application();
        QDir().mkpath(support.filePath(u"Lumavex/Files"_s));
        QFile index(support.filePath(u"Lumavex/items.json"_s));
        index.open(QIODevice::WriteOnly);
        index.write(IndexFile::encode(Corpus::sharedItems(count)));
        index.close();
        Store::Options options;
        options.applicationSupport = support.path();
        options.clock = &clock;
        options.categorizer = &categorizer;
        store = Store::open(options);
        state = std::make_unique<AppState>(
            scheduler, defaults,
            [this](const ClipContent& clip, const std::optional<QString>& tag) {
                return KeepPipeline::save(*store, clip, tag);
            });
        watcher = std::make_unique<ClipboardWatcher>(pasteboard, frontmost, scheduler, *state);
        context = std::make_unique<LibraryContext>(LibraryContext{
            *store, images, *watcher, clock, scheduler, defaults, [](const QUrl&) {}});
    }

    QTemporaryDir support;
    MemoryClock clock;
    Categorizer categorizer{[] { return std::unique_ptr<SentenceEmbedding>(); }};
    MemoryScheduler scheduler;
    MemoryUserDefaults defaults;
    MemoryPasteboard pasteboard;
    MemoryFrontmostApplication frontmost;
    ImageCache images;
    std::unique_ptr<Store> store;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ClipboardWatcher> watcher;
    std::unique_ptr<LibraryContext> context;
};

// Draws the whole window as the screen would show it.
void draw(QWidget& window, QImage& frame) {
    QPainter painter(&frame);
    window.render(&painter);
}

// What the event loop does between frames: cards that left the view are deleted.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::unique_ptr<LibraryView> openView(Library& library) {
    auto view = std::make_unique<LibraryView>(*library.context);
    view->resize(1120, 760);
    view->show();
    QApplication::processEvents();
    return view;
}

void openWindow(benchmark::State& state) {
    Library library(int(state.range(0)));
    QImage frame(1120, 760, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        auto view = openView(library);
        draw(*view, frame);
        state.PauseTiming();
        view.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    auto view = openView(library);
    draw(*view, frame);
    state.counters["rss_MB"] = residentMegabytes();
    state.counters["cards"] = double(view->grid()->cardWidgets().size());
}
BENCHMARK(openWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One key typed into the search field: the query grows by a letter (or,
// after a whole word, starts again), the grid is re-ranked and redrawn.
void searchKeystroke(benchmark::State& state) {
    Library library(int(state.range(0)));
    auto view = openView(library);
    QImage frame(1120, 760, QImage::Format_ARGB32_Premultiplied);
    const QStringList words{u"memory"_s, u"garden"_s, u"recipe"_s, u"travel"_s};
    const QStringList topic = Corpus::topicWords(0);
    QStringList typed;
    for (const QString& word : words + topic) {
        for (qsizetype i = 1; i <= word.size(); ++i)
            typed.append(word.left(i));
        typed.append(QString());
    }
    // The first search of a session reads every text once (searchFirst in the
    // search benchmark measures that); the keystrokes measured are the ones after.
    view->searchField()->lineEdit()->setText(u"warm"_s);
    draw(*view, frame);
    // Every query once, so the grid has seen each entry before: what is left
    // per keystroke is the work a keystroke itself causes.
    for (const QString& query : std::as_const(typed))
        view->searchField()->lineEdit()->setText(query);
    view->searchField()->lineEdit()->setText(u"warm"_s);
    qsizetype next = 0;
    // The two halves of a keystroke: working out the grid, and drawing it.
    qint64 refreshing = 0;
    qint64 drawing = 0;
    qint64 entries = 0;
    MasonryGrid& grid = *view->grid();
    grid.resetWork();
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        view->searchField()->lineEdit()->setText(typed[next++ % typed.size()]);
        refreshing += timer.nsecsElapsed();
        entries += grid.entries().size();
        timer.start();
        draw(*view, frame);
        settle();
        drawing += timer.nsecsElapsed();
    }
    const double iterations = double(state.iterations());
    state.counters["refresh_ms"] = double(refreshing) / iterations / 1e6;
    state.counters["draw_ms"] = double(drawing) / iterations / 1e6;
    state.counters["entries"] = double(entries) / iterations;
    state.counters["heights"] = grid.work().heightsWorkedOut / iterations;
    state.counters["made"] = grid.work().cardsMade / iterations;
    state.counters["refilled"] = grid.work().cardsRefilled / iterations;
    state.counters["rss_MB"] = residentMegabytes();
}
BENCHMARK(searchKeystroke)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One item of those in view changes (a tag added, as from the tag editor):
// the store writes it and the grid follows, touching that item's card only.
void itemChange(benchmark::State& state) {
    Library library(int(state.range(0)));
    library.defaults.set(LibraryView::groupingKey, storedValue(LibraryGrouping::none));
    auto view = openView(library);
    QImage frame(1120, 760, QImage::Format_ARGB32_Premultiplied);
    MasonryGrid& grid = *view->grid();
    const QUuid id = grid.entries().at(2).item().id;
    grid.resetWork();
    bool tagged = false;
    for (auto _ : state) {
        tagged = !tagged;
        if (tagged)
            library.store->addTag(u"Benchmarked"_s, id);
        else
            library.store->removeTag(u"Benchmarked"_s, id);
        draw(*view, frame);
        settle();
        // Changes apart, each shown as it comes rather than held with a burst.
        library.scheduler.advance(2 * LibraryView::changeSpacingMs);
    }
    const double iterations = double(state.iterations());
    state.counters["heights"] = grid.work().heightsWorkedOut / iterations;
    state.counters["made"] = grid.work().cardsMade / iterations;
    state.counters["refilled"] = grid.work().cardsRefilled / iterations;
    library.store->flush();
}
BENCHMARK(itemChange)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One frame of scrolling: the grid moves by a wheel step, cards that came
// into view are made or reused, and the window is drawn.
void scrollFrame(benchmark::State& state) {
    Library library(int(state.range(0)));
    auto view = openView(library);
    QImage frame(1120, 760, QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = view->grid()->verticalScrollBar();
    int direction = 1;
    for (auto _ : state) {
        int value = bar->value() + direction * 120;
        if (value >= bar->maximum() || value <= 0)
            direction = -direction;
        bar->setValue(value);
        draw(*view, frame);
        settle();
    }
    state.counters["rss_MB"] = residentMegabytes();
    state.counters["cards"] = double(view->grid()->cardWidgets().size());
}
BENCHMARK(scrollFrame)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
