// Reading profile pages: an ordinary page, and two megabytes (the download
// limit) of hostile markup built to make backtracking pattern matching take
// time growing with the square of the page.

#include "network/ProfileFetcher.h"

#include <QString>
#include <QUrl>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype pageSize = ProfileFetcher::maxBytes;

QByteArray ordinaryPage() {
    QByteArray page = "<!doctype html><html><head><title>Ada Lovelace - Analyst at Engines Ltd | "
                      "LinkedIn</title>";
    for (int i = 0; i < 40; ++i)
        page += "<meta name=\"description-" + QByteArray::number(i) +
                "\" content=\"Something about the page &amp; its people\">";
    page += "<meta property=\"og:image\" content=\"https://media.example/ada_200x200.jpg\">";
    page += "</head><body>" + QByteArray(200'000, 'x') + "</body></html>";
    return page;
}

QByteArray hostile(int which) {
    switch (which) {
    case 0: // tags that never close
        return QByteArray("<meta ").repeated(pageSize / 6);
    case 1: // content attributes without a closing bracket
        return QByteArray("<meta content=\"a\" ").repeated(pageSize / 18);
    case 2: // titles that never end
        return QByteArray("<title>").repeated(pageSize / 7);
    case 3: // one attribute two megabytes long
        return "<meta property=\"og:title\" content=\"" + QByteArray(pageSize, 'a');
    default: // references that each complete the next
        return QByteArray("<title>") + QByteArray("&#x26;#").repeated(pageSize / 7) + "65;</title>";
    }
}

void BM_ReadOrdinaryProfilePage(benchmark::State& state) {
    const QByteArray page = ordinaryPage();
    const QUrl url(u"https://www.linkedin.com/in/ada-lovelace"_s);
    for (auto _ : state)
        benchmark::DoNotOptimize(ProfileFetcher::read(url, page));
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_ReadOrdinaryProfilePage)->Unit(benchmark::kMillisecond);

void BM_ReadHostileProfilePage(benchmark::State& state) {
    const QByteArray page = hostile(int(state.range(0)));
    const QUrl url(u"https://www.linkedin.com/in/ada-lovelace"_s);
    for (auto _ : state)
        benchmark::DoNotOptimize(ProfileFetcher::read(url, page));
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_ReadHostileProfilePage)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

} // namespace
