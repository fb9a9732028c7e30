#include "store/PageParser.h"

#include "support/QtPrinters.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <random>

using namespace Qt::StringLiterals;

namespace {

const QUrl pageUrl(u"https://example.com/articles/one.html"_s);

PageInfo parse(const QString& html) {
    return PageParser::parse(html.toUtf8(), pageUrl);
}

std::optional<QString> urlString(const std::optional<QUrl>& url) {
    if (!url)
        return std::nullopt;
    return url->toString();
}

} // namespace

TEST(PageParser, TitleIsCleanedOfTagsAndTheSevenEntitiesOnly) {
    struct Case {
        QString html;
        std::optional<QString> title;
    };
    const std::vector<Case> cases = {
        {u"<html><head><title>Tom &amp; Jerry</title></head></html>"_s, u"Tom & Jerry"_s},
        {u"<TITLE lang=\"en\">Fish &#38; Chips &eacute;</TITLE>"_s, u"Fish &#38; Chips &eacute;"_s},
        {u"<title>\n  A <b>bold</b>\n move  </title>"_s, u"A bold\n move"_s},
        {u"<title>&lt;tag&gt; &quot;q&quot; &#39;s&apos; a&nbsp;b</title>"_s,
         u"<tag> \"q\" 's' a b"_s},
        {u"<title>&amp;lt; stays escaped once</title>"_s, u"&lt; stays escaped once"_s},
        {u"<title></title><title>Second</title>"_s, u""_s},
        {u"<title>First</title><title>Second</title>"_s, u"First"_s},
        {u"<titlebar>Odd</title>"_s, u"Odd"_s},
        {u"<p>no title here</p>"_s, std::nullopt},
        {u"<title>never closed"_s, std::nullopt},
        {u"<title never ended"_s, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse(c.html).title, c.title) << c.html.toStdString();
}

TEST(PageParser, PreviewImageComesFromEitherAttributeOrderAndIsMadeAbsolute) {
    struct Case {
        QString html;
        std::optional<QString> imageURL;
    };
    const std::vector<Case> cases = {
        {u"<meta property=\"og:image\" content=\"https://cdn.example.com/a.png\">"_s,
         u"https://cdn.example.com/a.png"_s},
        {u"<meta content='/img/preview.jpg' property='og:image'>"_s,
         u"https://example.com/img/preview.jpg"_s},
        {u"<META NAME=\"twitter:image\" CONTENT=\"pic.png\">"_s,
         u"https://example.com/articles/pic.png"_s},
        {u"<meta property=\"og:image\" content=\"//cdn.example.com/x.png?a=1&amp;b=2\">"_s,
         u"https://cdn.example.com/x.png?a=1&b=2"_s},
        // The first form decides even when a later tag has the second.
        {u"<meta content=\"/second.png\" property=\"og:image\">"
         "<meta property=\"og:image\" content=\"/first.png\">"_s,
         u"https://example.com/first.png"_s},
        // A first-form value that is no URL leaves the preview absent.
        {u"<meta property=\"og:image\" content=\"http://[broken\">"
         "<meta content=\"/fine.png\" property=\"og:image\">"_s,
         std::nullopt},
        {u"<meta property=\"og:title\" content=\"/not-an-image.png\">"_s, std::nullopt},
        {u"<meta property=\"og:image\" content=\"\">"_s, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(urlString(parse(c.html).imageURL), c.imageURL) << c.html.toStdString();
}

TEST(PageParser, IconComesFromTheIconLinkInEitherOrder) {
    struct Case {
        QString html;
        std::optional<QString> iconURL;
    };
    const std::vector<Case> cases = {
        {u"<link rel=\"icon\" href=\"/favicon-32.png\">"_s,
         u"https://example.com/favicon-32.png"_s},
        {u"<link rel=\"shortcut icon\" type=\"image/x-icon\" href=\"https://x.org/i.ico\">"_s,
         u"https://x.org/i.ico"_s},
        {u"<link href=\"touch.png\" sizes=\"180x180\" rel=\"apple-touch-icon\">"_s,
         u"https://example.com/articles/touch.png"_s},
        {u"<link rel=\"stylesheet\" href=\"/style.css\">"_s, std::nullopt},
        {u"<link rel=\"icon mask\" href=\"/mask.svg\">"_s, std::nullopt},
        {u"<p>no links</p>"_s, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(urlString(parse(c.html).iconURL), c.iconURL) << c.html.toStdString();
}

TEST(PageParser, TextLeavesOutScriptsStylesAndPageChrome) {
    const QString html = uR"(<html><head><title>T</title>
        <style>body { color: red }</style>
        <script type="text/javascript">var secret = 1;</script></head>
        <body><header>Site header</header><nav><a href="/">Home</a></nav>
        <noscript>Enable JS</noscript><svg><text>drawn</text></svg>
        <p>First&nbsp;paragraph &amp; more.</p>
        <SCRIPT>alert(2)</SCRIPT>
        <p>Second
           paragraph &#169;</p><footer>Copyright</footer></body></html>)"_s;
    EXPECT_EQ(parse(html).text, u"T First paragraph & more. Second paragraph &#169;"_s);
}

TEST(PageParser, TextIsCutToTwentyThousandCharactersAndEmptyIsAbsent) {
    const QString word = u"e\u0301 "_s; // an accented letter of two code points, and a space
    QString body;
    for (int i = 0; i < 15'000; ++i)
        body += word;
    const std::optional<QString> text = parse(u"<p>"_s + body + u"</p>"_s).text;
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), 30'000); // 20,000 user-perceived characters
    EXPECT_TRUE(text->endsWith(u" "_s) || text->endsWith(u"e\u0301"_s));

    EXPECT_EQ(parse(u"<script>x</script> <br> &nbsp; "_s).text, std::nullopt);
    EXPECT_EQ(PageParser::parse(QByteArray(), pageUrl), PageInfo());
}

TEST(PageParser, OnlyTheFirstTwoMillionBytesAreRead) {
    QByteArray page = "<title>Start</title><p>";
    page += QByteArray(PageParser::maxDecodedBytes - page.size() - 3, 'a');
    page += "end";
    page += "<title>ignored</title> tail beyond the limit";
    const PageInfo info = PageParser::parse(page, pageUrl);
    EXPECT_EQ(info.title, u"Start"_s);
    ASSERT_TRUE(info.text);
    EXPECT_FALSE(info.text->contains(u"tail"_s));
}

TEST(PageParser, CutInsideAUtf8CharacterDecodesTheWholePageAsLatin1) {
    QByteArray page = "<title>caf\xc3\xa9</title><p>";
    // "é" is two bytes in UTF-8: put its first byte last before the limit.
    page += QByteArray(PageParser::maxDecodedBytes - page.size() - 1, 'b');
    page += "\xc3\xa9 more";
    ASSERT_GT(page.size(), PageParser::maxDecodedBytes);
    EXPECT_EQ(PageParser::parse(page, pageUrl).title, u"caf\u00c3\u00a9"_s);

    EXPECT_EQ(PageParser::decode("caf\xc3\xa9"), u"caf\u00e9"_s);
    EXPECT_EQ(PageParser::decode("caf\xe9 latin"), u"caf\u00e9 latin"_s);
}

TEST(PageParser, HostileMarkupGivesTheSameAnswersAsOrdinaryPages) {
    auto repeat = [](const QString& piece, qsizetype bytes) {
        QString out;
        out.reserve(bytes);
        while (out.size() < bytes)
            out += piece;
        return out;
    };
    // Just under the bytes read, so what follows the hostile part is read too.
    const qsizetype twoMegabytes = PageParser::maxDecodedBytes - 100;

    // Thousands of unclosed titles after a real one.
    PageInfo info = parse(u"<title>Real</title>"_s + repeat(u"<title "_s, twoMegabytes));
    EXPECT_EQ(info.title, u"Real"_s);

    // Only unclosed titles: none ever closes. (The final ">" is what makes a
    // backtracking matcher try every start to the end.)
    info = parse(u"<title>"_s + repeat(u"<title x"_s, twoMegabytes) + u">"_s);
    EXPECT_EQ(info.title, std::nullopt);

    // Unclosed scripts keep their text: no element is ever complete.
    info = parse(u"<p>Kept</p>"_s + repeat(u"<script "_s, twoMegabytes) + u">"_s);
    ASSERT_TRUE(info.text);
    EXPECT_EQ(info.text, u"Kept"_s);

    // Unclosed meta and link tags, with and without their keys.
    info = parse(repeat(u"<meta property=\"og:image\" "_s, twoMegabytes));
    EXPECT_EQ(info.imageURL, std::nullopt);
    info = parse(repeat(u"<meta content=\"x\" "_s, twoMegabytes) +
                 u"<link rel=\"icon\" href=\"/i.png\">"_s);
    EXPECT_EQ(info.imageURL, std::nullopt);
    EXPECT_EQ(urlString(info.iconURL), u"https://example.com/i.png"_s);
    info = parse(u"<meta "_s + repeat(u"name='twitter:image' "_s, twoMegabytes) +
                 u"content='/late.png'>"_s);
    EXPECT_EQ(urlString(info.imageURL), u"https://example.com/late.png"_s);

    // A page of nothing but "<".
    info = parse(repeat(u"<"_s, twoMegabytes));
    EXPECT_EQ(info.text, repeat(u"<"_s, PageParser::maxTextCharacters));
}

// The page rules as plain regular expressions, the way they are written
// down; the parser must give the same answers on any markup small enough
// for these to run.
namespace reference {

const auto caseless = QRegularExpression::CaseInsensitiveOption;

std::optional<QString> firstGroup(const QString& page, const QStringList& patterns) {
    for (const QString& pattern : patterns) {
        const QRegularExpressionMatch match = QRegularExpression(pattern, caseless).match(page);
        if (match.hasMatch())
            return match.captured(1);
    }
    return std::nullopt;
}

std::optional<QString> preview(const QString& page) {
    const QString key = uR"((?:property|name)=["'](?:og:image|twitter:image)["'])"_s;
    return firstGroup(page, {uR"(<meta[^>]+)"_s + key + uR"([^>]*content=["']([^"']+)["'])"_s,
                             uR"(<meta[^>]+content=["']([^"']+)["'][^>]*)"_s + key});
}

std::optional<QString> icon(const QString& page) {
    const QString key = uR"(rel=["'](?:shortcut icon|icon|apple-touch-icon)["'])"_s;
    return firstGroup(page, {uR"(<link[^>]+)"_s + key + uR"([^>]*href=["']([^"']+)["'])"_s,
                             uR"(<link[^>]+href=["']([^"']+)["'][^>]*)"_s + key});
}

std::optional<QString> title(const QString& page) {
    const QRegularExpressionMatch match =
        QRegularExpression(uR"(<title[^>]*>([\s\S]*?)</title>)"_s, caseless).match(page);
    if (!match.hasMatch())
        return std::nullopt;
    QString content = match.captured(1);
    content.remove(QRegularExpression(u"<[^>]+>"_s));
    return PageParser::decodeEntities(content).trimmed();
}

std::optional<QString> text(const QString& page) {
    QString text = page;
    for (const QString& name :
         {u"script"_s, u"style"_s, u"noscript"_s, u"svg"_s, u"header"_s, u"footer"_s, u"nav"_s})
        text.replace(
            QRegularExpression(u"<"_s + name + u"[\\s\\S]*?</"_s + name + u">"_s, caseless),
            u" "_s);
    text.replace(QRegularExpression(u"<[^>]+>"_s), u" "_s);
    text = PageParser::decodeEntities(text);
    text.replace(QRegularExpression(u"\\s+"_s, QRegularExpression::UseUnicodePropertiesOption),
                 u" "_s);
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace reference

TEST(PageParser, AgreesWithThePlainExpressionsOnRandomMarkup) {
    const QStringList tokens = {u"<meta"_s,
                                u"<META "_s,
                                u"<link"_s,
                                u" "_s,
                                u"property="_s,
                                u"name="_s,
                                u"Content="_s,
                                u"content="_s,
                                u"href="_s,
                                u"rel="_s,
                                u"\""_s,
                                u"'"_s,
                                u"og:image"_s,
                                u"twitter:image"_s,
                                u"icon"_s,
                                u"shortcut icon"_s,
                                u"apple-touch-icon"_s,
                                u">"_s,
                                u"<"_s,
                                u"x"_s,
                                u"/a.png"_s,
                                u"<title"_s,
                                u"</title>"_s,
                                u"<script"_s,
                                u"</script>"_s,
                                u"<nav>"_s,
                                u"</NAV>"_s,
                                u"&amp;"_s,
                                u"&lt;b&gt;"_s,
                                u"\n"_s,
                                u"<>"_s,
                                u"<p>"_s,
                                u"word"_s,
                                u"\u00a0"_s};
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> length(1, 40);
    std::uniform_int_distribution<qsizetype> pick(0, tokens.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        QString page;
        const int count = length(random);
        for (int i = 0; i < count; ++i)
            page += tokens.at(pick(random));
        ASSERT_EQ(PageParser::previewImageValue(page), reference::preview(page))
            << page.toStdString();
        ASSERT_EQ(PageParser::iconValue(page), reference::icon(page)) << page.toStdString();
        ASSERT_EQ(PageParser::title(page), reference::title(page)) << page.toStdString();
        ASSERT_EQ(PageParser::text(page), reference::text(page)) << page.toStdString();
    }
}
