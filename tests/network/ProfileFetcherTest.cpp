// ProfileFetcher: what a profile page gives for each kind of site, the
// reading of meta tags, titles and character references, and names made
// from links.
#include "network/ProfileFetcher.h"

#include "platform/memory/MemoryHttpClient.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::optional<QString> text(const char* value) {
    return QString::fromUtf8(value);
}

FetchedProfile readPage(const QString& link, const QByteArray& html) {
    const std::optional<QUrl> url = ProfileFetcher::profileURL(link);
    EXPECT_TRUE(url) << link.toStdString();
    return ProfileFetcher::read(url.value_or(QUrl()), html);
}

QByteArray page(const QByteArray& title, const QByteArray& image = {}) {
    QByteArray html = "<html><head><title>" + title + "</title>";
    if (!image.isEmpty())
        html += "<meta property=\"og:image\" content=\"" + image + "\">";
    return html + "</head><body></body></html>";
}

// The patterns themselves, run by the regular-expression engine: the
// scanners must find exactly what they find on ordinary pages.
std::optional<QString> referenceMeta(const QString& html, const QString& property) {
    const QString patterns[] = {
        u"<meta[^>]+(?:property|name)=[\"']"_s + property +
            u"[\"'][^>]*content=[\"']([^\"']+)[\"']"_s,
        u"<meta[^>]+content=[\"']([^\"']+)[\"'][^>]*(?:property|name)=[\"']"_s + property +
            u"[\"']"_s,
    };
    for (const QString& pattern : patterns) {
        const QRegularExpressionMatch match =
            QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption).match(html);
        if (match.hasMatch())
            return ProfileFetcher::decodeEntities(match.captured(1));
    }
    return std::nullopt;
}

std::optional<QString> referenceTitle(const QString& html) {
    const QRegularExpressionMatch match =
        QRegularExpression(u"<title[^>]*>([\\s\\S]*?)</title>"_s,
                           QRegularExpression::CaseInsensitiveOption)
            .match(html);
    if (!match.hasMatch())
        return std::nullopt;
    return ProfileFetcher::decodeEntities(match.captured(1));
}

} // namespace

TEST(ProfileFetcher, EachKindOfSiteGivesItsNameCompanyAndAvatar) {
    const struct {
        const char* what;
        QString link;
        QByteArray html;
        FetchedProfile expected;
    } cases[] = {
        {"LinkedIn headline",
         u"https://www.linkedin.com/in/ada-lovelace-1815"_s,
         page("Ada Lovelace - Analyst at Engines Ltd | LinkedIn", "https://media.example/ada.jpg"),
         {text("Ada Lovelace"), text("Engines Ltd"), QUrl(u"https://media.example/ada.jpg"_s)}},
        {"LinkedIn company searched from the end",
         u"linkedin.com/in/ada"_s,
         page("Ada - Head of Research at Babbage at Engines | LinkedIn"),
         {text("Ada"), text("Engines"), std::nullopt}},
        {"LinkedIn title without a headline",
         u"https://linkedin.com/in/ada"_s,
         page("Ada Lovelace | LinkedIn"),
         {text("Ada Lovelace"), std::nullopt, std::nullopt}},
        {"LinkedIn headline without a company",
         u"https://linkedin.com/in/ada"_s,
         page("Ada Lovelace - Analyst | LinkedIn"),
         {text("Ada Lovelace"), std::nullopt, std::nullopt}},
        {"LinkedIn sign-in wall",
         u"https://www.linkedin.com/in/ada-lovelace-1815"_s,
         page("Sign Up | LinkedIn", "https://media.example/wall.png"),
         {text("Ada Lovelace"), std::nullopt, QUrl(u"https://media.example/wall.png"_s)}},
        {"X",
         u"https://x.com/ada"_s,
         page("Ada (@ada) / X", "https://pbs.example/profile/a_200x200.jpg"),
         {text("Ada"), std::nullopt, QUrl(u"https://pbs.example/profile/a_400x400.jpg"_s)}},
        {"the former domain of X",
         u"https://mobile.twitter.com/ada_king"_s,
         page("Ada King (@ada_king) on Twitter"),
         {text("Ada King"), std::nullopt, std::nullopt}},
        {"a host that merely contains the X domain",
         u"https://www.box.com/s/ada-files"_s,
         page("Shared folder", "https://box.example/i_200x200.png"),
         {text("Ada Files"), std::nullopt, QUrl(u"https://box.example/i_400x400.png"_s)}},
        {"Instagram keeps the image as it is",
         u"https://www.instagram.com/ada/"_s,
         page("Ada Lovelace (@ada) &bull; Instagram", "https://cdn.example/p_200x200.jpg"),
         {text("Ada Lovelace"), std::nullopt, QUrl(u"https://cdn.example/p_200x200.jpg"_s)}},
        {"any other page: the title untrimmed",
         u"https://blog.example/about"_s,
         page(" Ada&rsquo;s notes ", "https://blog.example/me.png"),
         {text(" Ada's notes "), std::nullopt, QUrl(u"https://blog.example/me.png"_s)}},
        {"an unparsable image address",
         u"https://blog.example/about"_s,
         page("Ada", "http://exa mple.com/a b.png"),
         {text("Ada"), std::nullopt, std::nullopt}},
        {"a page that is not UTF-8",
         u"https://example.com/user/jean-luc"_s,
         "<title>Jean\xff</title>",
         {text("Jean Luc"), std::nullopt, std::nullopt}},
    };
    for (const auto& each : cases)
        EXPECT_EQ(readPage(each.link, each.html), each.expected) << each.what;
}

TEST(ProfileFetcher, OgTitleComesBeforeTheTitleElement) {
    const FetchedProfile profile =
        readPage(u"https://example.com/x"_s,
                 "<title>Fallback</title><meta content=\"Ada &amp; Co\" name=\"OG:TITLE\">");
    EXPECT_EQ(profile.name, text("Ada & Co"));
}

TEST(ProfileFetcher, LinksAreTrimmedGivenHttpsAndNeedAHost) {
    EXPECT_EQ(ProfileFetcher::profileURL(u" linkedin.com/in/ada \n"_s),
              QUrl(u"https://linkedin.com/in/ada"_s));
    EXPECT_EQ(ProfileFetcher::profileURL(u"HTTP://x.com/ada"_s), QUrl(u"HTTP://x.com/ada"_s));
    EXPECT_FALSE(ProfileFetcher::profileURL(u""_s));
    EXPECT_FALSE(ProfileFetcher::profileURL(u"httpfoo/bar"_s));
    EXPECT_FALSE(ProfileFetcher::profileURL(u"https://"_s));
}

TEST(ProfileFetcher, FetchDownloadsOnceWithinTheLimitsAndFallsBackToTheSlug) {
    MemoryHttpClient http;
    http.serve(QUrl(u"https://x.com/ada"_s), page("Ada (@ada) / X"));
    const ProfileFetcher fetcher(http);
    EXPECT_EQ(fetcher.fetch(u"x.com/ada"_s).name, text("Ada"));
    ASSERT_EQ(http.requests().size(), 1);
    EXPECT_EQ(http.requests().first().maxBytes, 2'000'000);
    EXPECT_EQ(http.requests().first().timeout, std::chrono::seconds(10));

    // Not served: the name still comes from the link.
    EXPECT_EQ(fetcher.fetch(u"https://linkedin.com/in/grace-hopper-42"_s),
              (FetchedProfile{text("Grace Hopper"), std::nullopt, std::nullopt}));
    EXPECT_EQ(fetcher.fetch(u"https://example.com/"_s), FetchedProfile{});
    // No host: nothing is asked for.
    const qsizetype asked = http.requests().size();
    EXPECT_EQ(fetcher.fetch(u"  "_s), FetchedProfile{});
    EXPECT_EQ(http.requests().size(), asked);
}

TEST(ProfileFetcher, MetaAndTitleScannersMatchThePatterns) {
    const QString pages[] = {
        u"<meta property=\"og:title\" content=\"Ada\">"_s,
        u"<meta content=\"Ada\" property=\"og:title\">"_s,
        u"<META NAME='og:title' CONTENT='Ada'>"_s,
        u"<meta content=\"first\" property=\"og:title\"><meta property=\"og:title\" "
        "content=\"second\">"_s,
        u"<meta property=\"og:title\" content=\"a\" content=\"b\">"_s,
        u"<meta property=\"og:title\" content=\"a>b\">"_s,
        u"<meta property=\"og:title\" content=\"\"><meta content=\"late\" name=\"og:title\">"_s,
        u"<meta property=\"og:title\">"_s,
        u"<meta content=\"x>y\" property=\"og:title\">"_s,
        u"<meta content=\"x>y\" data=1> property=\"og:title\">"_s,
        u"<meta property=\"og:title\" content=\"it's\">"_s,
        u"<metaproperty=\"og:title\" content=\"z\">"_s,
        u"<meta name=\"twitter:title\" content=\"no\"><meta name=\"og:title\" content=\"yes\">"_s,
        u"<meta property=\"og:title\" content='x' data-content=\"y\">"_s,
        u"<meta property=\"og:title\" content=\"unterminated>"_s,
        u"<meta <meta property=\"og:title\" content=\"inner\">"_s,
        u"<meta content=\"a\" property=\"og:title\" content=\"b\" property=\"og:title\">"_s,
        u"<meta property='og:title' content=\"one\"'><meta name=og:title content=\"two\">"_s,
        u"<meta property=\"og:title\"\ncontent=\"multi\nline\">"_s,
        u"<title>Ada</title>"_s,
        u"<TITLE lang=\"en\">Ada &amp; Co</TITLE><title>second</title>"_s,
        u"<title>never closed"_s,
        u"<title <title>odd</title>"_s,
        u"<titlex>close enough</title>"_s,
        u"<title>\nAda\n</title >"_s,
    };
    for (const QString& html : pages) {
        EXPECT_EQ(ProfileFetcher::extractMeta(html, u"og:title"),
                  referenceMeta(html, u"og:title"_s))
            << html.toStdString();
        EXPECT_EQ(ProfileFetcher::extractTitle(html), referenceTitle(html)) << html.toStdString();
    }
}

TEST(ProfileFetcher, HostilePagesOfTwoMegabytesAreReadInLinearTime) {
    // Each of these makes a backtracking engine take time growing with the
    // square of the page (or worse); the scanners must still answer.
    const qsizetype size = ProfileFetcher::maxBytes;
    const QString repeatedMeta = u"<meta "_s.repeated(size / 6);
    const QString contentsWithoutBracket = u"<meta content=\"a\" "_s.repeated(size / 18);
    const QString titlesWithoutEnd = u"<title>"_s.repeated(size / 7);
    const QString longAttribute = u"<meta property=\"og:title\" "_s + QString(size, u'a');
    const QString numericReferences = u"&#"_s.repeated(size / 2);
    EXPECT_FALSE(ProfileFetcher::extractMeta(repeatedMeta, u"og:title"));
    EXPECT_FALSE(ProfileFetcher::extractMeta(contentsWithoutBracket, u"og:title"));
    EXPECT_FALSE(ProfileFetcher::extractTitle(titlesWithoutEnd));
    EXPECT_FALSE(ProfileFetcher::extractMeta(longAttribute, u"og:image"));
    EXPECT_EQ(ProfileFetcher::decodeEntities(numericReferences), numericReferences);
    // Every decoded "&" completes a reference with the text after it.
    const qsizetype units = size / 7;
    EXPECT_EQ(ProfileFetcher::decodeEntities(u"&#x26;#"_s.repeated(units) + u"65;"_s),
              u"&#"_s.repeated(units - 1) + u"A"_s);
}

TEST(ProfileFetcher, DecodeEntitiesReplacesNamedAndNumericReferences) {
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {u"Ada &amp; Co"_s, u"Ada & Co"_s},
        {u"&lt;b&gt; &quot;q&quot;"_s, u"<b> \"q\""_s},
        {u"&#39;&apos;&rsquo;&lsquo;"_s, u"''''"_s},
        {u"a&nbsp;b"_s, u"a b"_s},
        {u"&mdash;&ndash;&hellip;"_s, u"\u2014\u2013\u2026"_s},
        {u"&ldquo;x&rdquo;"_s, u"\u201Cx\u201D"_s},
        {u"&#x1F600;"_s, u"\U0001F600"_s},
        {u"&#X41;&#65;&#x61;"_s, u"AAa"_s},
        {u"[&#xD800;]"_s, u"[]"_s},
        {u"[&#12ab;]"_s, u"[]"_s},
        {u"[&#x110000;]"_s, u"[]"_s},
        {u"[&#99999999999;]"_s, u"[]"_s},
        {u"&#65 no semicolon"_s, u"&#65 no semicolon"_s},
        {u"&#x26;#65;"_s, u"A"_s},
        {u"&#&#x36;5;"_s, u"A"_s},
        {u"&#38;#38;#66;"_s, u"B"_s},
        {u"&#59;&#59;"_s, u";;"_s},
        {u"&amp;lt;"_s, u"&lt;"_s},
        {u"&bull; stays"_s, u"&bull; stays"_s},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ProfileFetcher::decodeEntities(in), out) << in.toStdString();
}

TEST(ProfileFetcher, NameFromSlugUsesTheLastMeaningfulPathComponent) {
    const struct {
        QString url;
        std::optional<QString> name;
    } cases[] = {
        {u"https://www.linkedin.com/in/ada-lovelace-1815"_s, u"Ada Lovelace"_s},
        {u"https://www.linkedin.com/in/ada-lovelace-1815/"_s, u"Ada Lovelace"_s},
        {u"https://x.com/ada_lovelace"_s, u"Ada Lovelace"_s},
        {u"https://example.com/user/jean..luc"_s, u"Jean Luc"_s},
        {u"https://example.com/u/ada%20king"_s, u"Ada King"_s},
        {u"https://www.linkedin.com/company/engines-ltd/"_s, u"Engines Ltd"_s},
        {u"https://www.linkedin.com/IN/ada"_s, u"Ada"_s},
        {u"https://example.com/McDonald"_s, u"McDonald"_s},
        {u"https://example.com/émile-zola"_s, u"Émile Zola"_s},
        {u"https://example.com/"_s, std::nullopt},
        {u"https://example.com"_s, std::nullopt},
        {u"https://example.com/in/profile/p/user/company"_s, std::nullopt},
        {u"https://www.instagram.com/p/12345"_s, std::nullopt},
        {u"https://example.com/---"_s, std::nullopt},
    };
    for (const auto& [url, name] : cases)
        EXPECT_EQ(ProfileFetcher::nameFromSlug(QUrl(url)), name) << url.toStdString();
}
