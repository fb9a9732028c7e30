#include "corpus/Corpus.h"
#include "store/PageParser.h"

#include <QRegularExpression>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

const QUrl pageUrl(u"https://example.com/post"_s);

QByteArray repeated(const QByteArray& head, const QByteArray& piece, qsizetype bytes) {
    QByteArray page = head;
    page.reserve(bytes + piece.size());
    while (page.size() < bytes)
        page += piece;
    return page;
}

// An ordinary article page of about the given size.
QByteArray articlePage(qsizetype bytes) {
    QByteArray page = "<html><head><title>An article &amp; its notes</title>"
                      "<meta property=\"og:image\" content=\"/img/cover.jpg\">"
                      "<link rel=\"icon\" href=\"/favicon.png\">"
                      "<script>var analytics = {id: 1};</script><style>p { margin: 0 }</style>"
                      "</head><body><header>Site</header><nav><a href=\"/\">Home</a></nav>";
    std::uint32_t seed = 1;
    while (page.size() < bytes)
        page += "<p>" + Corpus::prose(600, seed++).toUtf8() + "</p>\n";
    return page + "<footer>Footer</footer></body></html>";
}

QByteArray hostilePage(int kind, qsizetype bytes) {
    switch (kind) {
    // A single ">" at the end keeps the regular expression engine from
    // ruling out the later starts early.
    case 0:
        return repeated("<title>Real</title>", "<title ", bytes) + ">";
    case 1:
        return repeated("<p>text</p>", "<script ", bytes) + ">";
    case 2:
        return repeated({}, "<meta property=\"og:image\" ", bytes);
    case 3:
        return repeated("<meta ", "name='twitter:image' ", bytes);
    default:
        return repeated({}, "<", bytes);
    }
}

const char* hostileName(int kind) {
    static const char* names[] = {"unclosed-title", "unclosed-script", "unclosed-meta",
                                  "one-tag-many-keys", "only-angle-brackets"};
    return names[kind];
}

void parseArticle(benchmark::State& state) {
    const QByteArray page = articlePage(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(PageParser::parse(page, pageUrl));
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(parseArticle)->Arg(50'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);

// Two megabytes crafted to make the page rules backtrack.
void parseHostile(benchmark::State& state) {
    const QByteArray page = hostilePage(int(state.range(0)), 2'000'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(PageParser::parse(page, pageUrl));
    state.SetLabel(hostileName(int(state.range(0))));
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(parseHostile)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// For comparison: each hostile page against the page rules written as plain
// regular expressions, at sizes far below two megabytes.
void plainExpressionsOnHostile(benchmark::State& state) {
    const int kind = int(state.range(0));
    const QString page = QString::fromLatin1(hostilePage(kind, state.range(1)));
    const auto caseless = QRegularExpression::CaseInsensitiveOption;
    const QRegularExpression title(uR"(<title[^>]*>([\s\S]*?)</title>)"_s, caseless);
    const QRegularExpression script(uR"(<script[\s\S]*?</script>)"_s, caseless);
    const QRegularExpression tag(u"<[^>]+>"_s);
    const QRegularExpression meta(
        uR"(<meta[^>]+(?:property|name)=["'](?:og:image|twitter:image)["'][^>]*content=["']([^"']+)["'])"_s,
        caseless);
    for (auto _ : state) {
        QString text = page;
        benchmark::DoNotOptimize(title.match(page).hasMatch());
        benchmark::DoNotOptimize(meta.match(page).hasMatch());
        text.replace(script, u" "_s);
        text.replace(tag, u" "_s);
        benchmark::DoNotOptimize(text);
    }
    state.SetLabel(hostileName(kind));
}
BENCHMARK(plainExpressionsOnHostile)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {20'000, 80'000}})
    ->Unit(benchmark::kMillisecond);

// The parser on the same pages, for the same sizes.
void parserOnSmallHostile(benchmark::State& state) {
    const QByteArray page = hostilePage(int(state.range(0)), state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(PageParser::parse(page, pageUrl));
    state.SetLabel(hostileName(int(state.range(0))));
}
BENCHMARK(parserOnSmallHostile)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {20'000, 80'000}})
    ->Unit(benchmark::kMillisecond);

} // namespace
