// The people map: grouping and laying out a large network, and painting the
// map offscreen with a few hundred people, half of them with avatars and
// every company with a logo: the whole map from scratch (after people
// change), and a repaint of the widget, which keeps what did not change.

#include "library/ImageCache.h"
#include "network/NetworkLayout.h"
#include "network/NetworkStore.h"
#include "network/PeopleFile.h"
#include "network/ui/NetworkCanvas.h"
#include "network/ui/NetworkContext.h"
#include "network/ui/NetworkPainter.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryHttpClient.h"
#include "platform/memory/MemoryPasteboard.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "tovik_bench_networkwindow";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// A deterministic network of count people in about count / 12 companies of
// uneven sizes (plus people without one), written as a people file.
struct Network {
    QTemporaryDir folder;
    MemoryHttpClient http;
    MemoryClock clock;
    std::unique_ptr<NetworkStore> store;

    Network(int count, bool withImages) {
        static const QStringList first{u"Ada"_s,     u"Grace"_s, u"Alan"_s,     u"Émile"_s,
                                       u"zoe"_s,     u"Linus"_s, u"Margaret"_s, u"Dennis"_s,
                                       u"Barbara"_s, u"Ken"_s,   u"Frances"_s,  u"Tim"_s};
        static const QStringList last{u"Lovelace"_s, u"Hopper"_s,  u"Turing"_s, u"Zola"_s,
                                      u"Hamilton"_s, u"Ritchie"_s, u"Liskov"_s, u"Thompson"_s};
        QRandomGenerator random(2026);
        const int companies = std::max(1, count / 12);
        QList<Person> people;
        QDir().mkpath(folder.path() + u"/Files"_s);
        if (withImages) {
            QImage image(128, 128, QImage::Format_RGB32);
            image.fill(QColor(30, 140, 90));
            image.save(folder.path() + u"/Files/avatar.png"_s);
            image.save(folder.path() + u"/Files/logo.png"_s);
        }
        for (int i = 0; i < count; ++i) {
            Person person;
            person.id = QUuid::createUuid();
            person.name =
                first[random.bounded(first.size())] + u' ' + last[random.bounded(last.size())];
            // Skewed sizes: low company numbers are common.
            const int company = int(random.bounded(companies) * random.generateDouble());
            person.company =
                random.bounded(20) == 0 ? QString() : u"Company "_s + QString::number(company);
            person.location = random.bounded(2) ? u"London"_s : QString();
            person.addedAt = i;
            if (withImages) {
                person.logoFileName = u"logo.png"_s;
                if (i % 2 == 0)
                    person.avatarFileName = u"avatar.png"_s;
            }
            people.append(person);
        }
        QFile file(folder.path() + u"/people.json"_s);
        file.open(QIODevice::WriteOnly);
        file.write(PeopleFile::encode(people));
        file.close();
        NetworkStore::Options options;
        options.dataFolder = folder.path();
        options.http = &http;
        options.clock = &clock;
        options.readOnly = true;
        store = std::make_unique<NetworkStore>(options);
    }
};

void BM_GroupsAndLayout(benchmark::State& state) {
    const Network network(int(state.range(0)), false);
    for (auto _ : state) {
        const NetworkLayout layout(network.store->groups());
        benchmark::DoNotOptimize(layout.nodes().size());
    }
    state.counters["people"] = double(network.store->people().size());
}
BENCHMARK(BM_GroupsAndLayout)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

void BM_PaintMap(benchmark::State& state) {
    application();
    const Network network(int(state.range(0)), true);
    ImageCache images;
    const NetworkLayout layout(network.store->groups());
    QImage canvas(880, 880, QImage::Format_ARGB32_Premultiplied);
    const std::optional<QUuid> selected = network.store->people().first().id;
    for (auto _ : state) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        NetworkPainter::paint(painter,
                              {layout, *network.store, images, selected, 1.08, QPalette()});
    }
    state.counters["people"] = double(network.store->people().size());
}
BENCHMARK(BM_PaintMap)->Arg(500)->Unit(benchmark::kMillisecond);

// One repaint of the map's widget once it has drawn itself (a scrolled
// frame, a frame of the selection's animation): what it keeps, and the
// selected person on top.
void BM_RepaintMapWidget(benchmark::State& state) {
    application();
    const Network network(int(state.range(0)), true);
    ImageCache images;
    MemoryPasteboard pasteboard;
    NetworkContext context{*network.store, images, pasteboard, [](const QUrl&) {}};
    NetworkCanvas canvas(context);
    canvas.setSelected(network.store->people().first().id);
    QImage target(880, 880, QImage::Format_ARGB32_Premultiplied);
    canvas.render(&target); // the first drawing prepares what is kept
    for (auto _ : state)
        canvas.render(&target);
    state.counters["people"] = double(network.store->people().size());
}
BENCHMARK(BM_RepaintMapWidget)->Arg(500)->Unit(benchmark::kMillisecond);

// A click on another person: the widget draws its people again (not the
// lines and hubs behind them).
void BM_RepaintMapWidgetAfterClick(benchmark::State& state) {
    application();
    const Network network(int(state.range(0)), true);
    ImageCache images;
    MemoryPasteboard pasteboard;
    NetworkContext context{*network.store, images, pasteboard, [](const QUrl&) {}};
    NetworkCanvas canvas(context);
    QImage target(880, 880, QImage::Format_ARGB32_Premultiplied);
    canvas.render(&target);
    const QUuid first = network.store->people().first().id;
    const QUuid last = network.store->people().last().id;
    bool which = false;
    for (auto _ : state) {
        canvas.setSelected((which = !which) ? first : last);
        canvas.render(&target);
    }
}
BENCHMARK(BM_RepaintMapWidgetAfterClick)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace
