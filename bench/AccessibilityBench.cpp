// What reading a form field costs, counted in reads of the accessibility
// tree (each one a round trip to the browser over AT-SPI) and in time.
//
// The substitute tree gives the reads exactly. With a display and Chromium,
// the same reads run against a real page of 2,000 elements served on
// 127.0.0.1 (TOVIK_BENCH_CHROMIUM=0 skips that part; run it under
// scripts/with-desktop).
#include "autofill/FieldTexts.h"
#include "platform/integration/ChromiumSession.h"
#include "platform/integration/LocalHttpServer.h"
#include "platform/memory/MemoryAccessibility.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
// A sign-up form inside a page of about 2,000 elements: 200 sections of ten.
QString largePage() {
    QString tree =
        u"AXApplication pid=1\n AXWindow focusedWindow\n  AXWebArea url=\"http://x/\"\n"_s;
    for (int s = 0; s < 200; ++s) {
        tree += u"   AXGroup\n"_s;
        for (int i = 0; i < 9; ++i)
            tree += u"    AXStaticText value=\"paragraph %1 line %2\"\n"_s.arg(s).arg(i);
        if (s == 0) {
            tree += u"    AXGroup\n     AXGroup id=lab\n      AXStaticText value=\"Work email\"\n"
                    "     AXPopUpButton\n     AXTextField id=f label=lab placeholder=\"you@\" "
                    "value=\"\" focused\n"_s;
        }
    }
    return tree;
}

void BM_ReadFieldTexts_SubstituteTree(benchmark::State& state) {
    MemoryAccessibility tree;
    tree.load(largePage());
    const AXElement field = tree.byId(u"f"_s);
    tree.resetCounts();
    int rounds = 0;
    for (auto _ : state) {
        FieldTexts texts = readFieldTexts(field);
        const bool web = isInsideWebPage(field);
        benchmark::DoNotOptimize(texts);
        benchmark::DoNotOptimize(web);
        rounds++;
    }
    state.counters["reads_per_field"] = double(tree.reads()) / rounds;
}
BENCHMARK(BM_ReadFieldTexts_SubstituteTree);

// One poll with focus unchanged: the focused element, compared with the last.
void BM_PollWithFocusUnchanged_SubstituteTree(benchmark::State& state) {
    MemoryAccessibility tree;
    const AXElement app = tree.load(largePage());
    const AXElement last = app.element(AX::focusedUIElement);
    tree.resetCounts();
    int rounds = 0;
    for (auto _ : state) {
        const bool same = app.element(AX::focusedUIElement) == last;
        benchmark::DoNotOptimize(same);
        rounds++;
    }
    state.counters["reads_per_poll"] = double(tree.reads()) / rounds;
}
BENCHMARK(BM_PollWithFocusUnchanged_SubstituteTree);

QByteArray largeHtml() {
    QByteArray html = "<!doctype html><html><body>";
    for (int s = 0; s < 200; ++s) {
        html += "<section>";
        for (int i = 0; i < 9; ++i)
            html +=
                "<p>paragraph " + QByteArray::number(s) + " line " + QByteArray::number(i) + "</p>";
        if (s == 0)
            html += "<div><label for=f>Work email</label><select><option>+44</option></select>"
                    "<input id=f type=email placeholder=you@></div>";
        html += "</section>";
    }
    return html + "</body></html>";
}

// Chromium with the page above, the field focused; started once.
struct ChromiumPage {
    LocalHttpServer server;
    ChromiumSession browser;
    AXElement field;
    AXElement app;
    bool ready = false;

    ChromiumPage() {
        if (!ChromiumSession::unavailableReason().isEmpty() ||
            qgetenv("TOVIK_BENCH_CHROMIUM") == "0")
            return;
        server.routeHtml("/page", largeHtml());
        if (!browser.open(server.url("/page"))) {
            std::fprintf(stderr, "Chromium: the page never showed in its tree\n");
            return;
        }
        field = browser.byDomId(u"f"_s);
        bool focused = false;
        for (int attempt = 0; field && attempt < 3 && !focused; ++attempt)
            focused = browser.click(field) && browser.waitForFocus(u"f"_s, 4000);
        if (!focused) {
            std::fprintf(stderr, "Chromium: the field %s\n",
                         field ? "took no focus" : "is missing");
            return;
        }
        browser.accessibility().followFocusEvents();
        app = browser.application();
        ready = bool(app);
    }
    static ChromiumPage& shared() {
        static ChromiumPage page;
        return page;
    }
};

void BM_ReadFieldTexts_Chromium(benchmark::State& state) {
    ChromiumPage& page = ChromiumPage::shared();
    if (!page.ready) {
        state.SkipWithError("needs a display and Chromium (run under scripts/with-desktop)");
        return;
    }
    const quint64 before = page.browser.accessibility().calls();
    int rounds = 0;
    for (auto _ : state) {
        FieldTexts texts = readFieldTexts(page.field);
        const bool web = isInsideWebPage(page.field);
        benchmark::DoNotOptimize(texts);
        benchmark::DoNotOptimize(web);
        rounds++;
    }
    state.counters["atspi_calls_per_field"] =
        double(page.browser.accessibility().calls() - before) / rounds;
}
BENCHMARK(BM_ReadFieldTexts_Chromium)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PollWithFocusUnchanged_Chromium(benchmark::State& state) {
    ChromiumPage& page = ChromiumPage::shared();
    if (!page.ready) {
        state.SkipWithError("needs a display and Chromium (run under scripts/with-desktop)");
        return;
    }
    const AXElement last = page.app.element(AX::focusedUIElement);
    const quint64 before = page.browser.accessibility().calls();
    int rounds = 0;
    for (auto _ : state) {
        const bool same = page.app.element(AX::focusedUIElement) == last;
        benchmark::DoNotOptimize(same);
        rounds++;
    }
    state.counters["atspi_calls_per_poll"] =
        double(page.browser.accessibility().calls() - before) / rounds;
}
BENCHMARK(BM_PollWithFocusUnchanged_Chromium)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
