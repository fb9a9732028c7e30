// What one chat-blur scan costs once the page is known and nothing changed:
// a sidebar of 300 chat links of which about a dozen are in view. Counted in
// reads of the accessibility tree and in CPU time of the whole process (the
// AT-SPI thread included).
//
// The substitute tree gives the reads exactly. With a display and Chromium
// the same scan runs against a real page served on 127.0.0.1 under a chat
// host name (TOVIK_BENCH_CHROMIUM=0 skips that part; run it under
// scripts/with-desktop).
#include "chatblur/BlurSite.h"
#include "chatblur/ChatLocator.h"
#include "platform/integration/ChromiumSession.h"
#include "platform/integration/LocalHttpServer.h"
#include "platform/memory/MemoryAccessibility.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFrontmostApplication.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLinks = 300;

std::optional<BlurSite> anySite(const QString& host, std::optional<int>) {
    return BlurSite{host, host, {u"/c/"_s}, false};
}

QString substitutePage() {
    QString tree = u"AXApplication pid=42\n"
                   " AXWindow title=Chats focusedWindow frame=0,0,1400,900\n"
                   "  AXWebArea url=\"https://chat.example.test/\" frame=0,80,1400,820\n"
                   "   AXGroup sub=AXLandmarkNavigation frame=0,80,280,820\n"
                   "    AXGroup frame=0,120,280,432\n"_s;
    for (int i = 0; i < kLinks; ++i)
        tree += u"     AXLink url=\"https://chat.example.test/c/%1\" frame=8,%2,240,28\n"_s.arg(
            QString::number(i), QString::number(120 + 36 * i));
    return tree + u"   AXGroup sub=AXLandmarkMain frame=280,80,1120,820\n"_s;
}

void BM_QuietTick_SubstituteTree(benchmark::State& state) {
    MemoryAccessibility tree;
    tree.load(substitutePage());
    MemoryFrontmostApplication apps;
    apps.application = RunningApplication{42, u"org.chromium.Chromium"_s};
    MemoryEnvironment environment;
    ChatLocator locator(tree, apps, environment, &anySite);
    ChatCover cover = locator.locateChats(); // the page and list scans
    tree.resetCounts();
    int rounds = 0;
    for (auto _ : state) {
        cover = locator.locateChats();
        benchmark::DoNotOptimize(cover);
        rounds++;
    }
    state.counters["rows"] = double(cover.rows.size());
    state.counters["reads_per_tick"] = double(tree.reads()) / rounds;
}
BENCHMARK(BM_QuietTick_SubstituteTree)->Unit(benchmark::kMicrosecond);

QByteArray chatHtml() {
    QByteArray html = R"(<!doctype html><html><head><title>Chats</title><style>
body { margin: 0; font: 16px sans-serif; }
nav { position: fixed; left: 0; top: 0; height: 480px; width: 280px; overflow-y: auto; }
nav a { display: block; padding: 8px 14px; }
main { margin-left: 320px; }
</style></head><body><nav aria-label="Chats">)";
    for (int i = 0; i < kLinks; ++i)
        html += "<a href=\"/c/" + QByteArray::number(i) + "\">Chat number " +
                QByteArray::number(i) + "</a>";
    return html + "</nav><main><p>Conversation</p></main></body></html>";
}

struct ChromiumChatPage {
    LocalHttpServer server;
    ChromiumSession browser;
    MemoryFrontmostApplication apps;
    MemoryEnvironment environment;
    std::unique_ptr<ChatLocator> locator;
    bool ready = false;

    ChromiumChatPage() {
        if (!ChromiumSession::unavailableReason().isEmpty() ||
            qgetenv("TOVIK_BENCH_CHROMIUM") == "0")
            return;
        server.routeHtml("/", chatHtml());
        const QUrl url(u"http://chat.example.test:%1/"_s.arg(server.port()));
        if (!browser.open(url, {u"--host-resolver-rules=MAP chat.example.test 127.0.0.1"_s}))
            return;
        apps.application = RunningApplication{browser.pid(), u"org.chromium.Chromium"_s};
        locator =
            std::make_unique<ChatLocator>(browser.accessibility(), apps, environment, &anySite);
        ready = !locator->locateChats().rows.isEmpty();
    }
    static ChromiumChatPage& shared() {
        static ChromiumChatPage page;
        return page;
    }
};

void BM_QuietTick_Chromium(benchmark::State& state) {
    ChromiumChatPage& page = ChromiumChatPage::shared();
    if (!page.ready) {
        state.SkipWithError("needs a display and Chromium (run under scripts/with-desktop)");
        return;
    }
    const quint64 before = page.browser.accessibility().calls();
    int rounds = 0;
    ChatCover cover;
    for (auto _ : state) {
        cover = page.locator->locateChats();
        benchmark::DoNotOptimize(cover);
        rounds++;
    }
    state.counters["rows"] = double(cover.rows.size());
    state.counters["atspi_calls_per_tick"] =
        double(page.browser.accessibility().calls() - before) / rounds;
}
// A list scan runs every 3 s: a run of 2 s stays between two of them.
BENCHMARK(BM_QuietTick_Chromium)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(40);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
