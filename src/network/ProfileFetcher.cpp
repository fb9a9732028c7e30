#include "network/ProfileFetcher.h"

#include "common/Graphemes.h"
#include "network/Person.h"
#include "platform/HttpClient.h"

#include <QList>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

// The page patterns are matched by hand rather than by regular expressions:
// a backtracking engine needs time growing with the square (or worse) of a
// hostile page, such as two megabytes of "<meta" without a closing bracket.
// Each scanner below gives exactly the match the patterns
//   <meta[^>]+(?:property|name)=["']P["'][^>]*content=["']([^"']+)["']
//   <meta[^>]+content=["']([^"']+)["'][^>]*(?:property|name)=["']P["']
//   <title[^>]*>([\s\S]*?)</title>
// (case-insensitive, first match in the page) would give, in linear time.
namespace {

constexpr char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// True when text holds literal (lower-case ASCII) at position, in any case.
bool matchesAt(QStringView text, qsizetype position, QStringView literal) {
    if (position < 0 || position + literal.size() > text.size())
        return false;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (asciiLower(text[position + i].unicode()) != literal[i].unicode())
            return false;
    }
    return true;
}

qsizetype findInsensitive(QStringView text, QStringView literal, qsizetype from) {
    const qsizetype last = text.size() - literal.size();
    for (qsizetype i = std::max<qsizetype>(from, 0); i <= last; ++i) {
        if (asciiLower(text[i].unicode()) == literal[0].unicode() && matchesAt(text, i, literal))
            return i;
    }
    return -1;
}

bool isQuote(QChar c) {
    return c == u'"' || c == u'\'';
}

qsizetype nextBracket(QStringView text, qsizetype from) {
    const qsizetype at = text.indexOf(u'>', from);
    return at < 0 ? text.size() : at;
}

// Length of (?:property|name)=["']P["'] at position, or 0 when it is not there.
qsizetype propertyAt(QStringView text, qsizetype position, QStringView property) {
    for (const QStringView attribute : {QStringView(u"property="), QStringView(u"name=")}) {
        if (!matchesAt(text, position, attribute))
            continue;
        qsizetype at = position + attribute.size();
        if (at >= text.size() || !isQuote(text[at]))
            continue;
        ++at;
        if (!matchesAt(text, at, property))
            continue;
        at += property.size();
        if (at < text.size() && isQuote(text[at]))
            return at + 1 - position;
    }
    return 0;
}

// content=["']([^"']+)["'] at position: the group's start and end (the
// closing quote's index), or absent.
std::optional<std::pair<qsizetype, qsizetype>> contentAt(QStringView text, qsizetype position) {
    static constexpr QStringView literal = u"content=";
    if (!matchesAt(text, position, literal))
        return std::nullopt;
    qsizetype at = position + literal.size();
    if (at >= text.size() || !isQuote(text[at]))
        return std::nullopt;
    const qsizetype start = ++at;
    while (at < text.size() && !isQuote(text[at]))
        ++at;
    if (at == start || at == text.size())
        return std::nullopt;
    return std::pair{start, at};
}

// The attributes of one tag: the text after "<meta" up to the first ">"
// ([begin, end)). A later "<meta" inside the same tag can only match what
// this one matches, so a tag that fails is passed over whole.
struct MetaTag {
    qsizetype firstPropertyEnd = -1;
    qsizetype lastPropertyStart = -1;
    QList<std::pair<qsizetype, qsizetype>> contents; // values, in order of position
    qsizetype lastContentStart = -1;
};

MetaTag scanTag(QStringView html, qsizetype begin, qsizetype end, QStringView property) {
    MetaTag tag;
    // Each attribute needs at least one character before it ([^>]+).
    for (qsizetype i = begin + 1; i < end; ++i) {
        if (const qsizetype length = propertyAt(html, i, property)) {
            if (tag.firstPropertyEnd < 0)
                tag.firstPropertyEnd = i + length;
            tag.lastPropertyStart = i;
        }
        if (const auto content = contentAt(html, i)) {
            tag.contents.append(*content);
            tag.lastContentStart = i;
        }
    }
    return tag;
}

// Property first: [^>]+ and [^>]* are greedy, so the last content attribute
// after the first property attribute is the one taken.
std::optional<QString> propertyThenContent(QStringView html, const MetaTag& tag) {
    if (tag.contents.isEmpty() || tag.firstPropertyEnd < 0 ||
        tag.lastContentStart < tag.firstPropertyEnd)
        return std::nullopt;
    const auto [start, close] = tag.contents.last();
    return html.sliced(start, close - start).toString();
}

// Content first: the last content attribute that the property attribute
// follows before the next ">" after the value.
std::optional<QString> contentThenProperty(QStringView html, const MetaTag& tag, qsizetype end,
                                           QStringView property) {
    for (qsizetype k = tag.contents.size() - 1; k >= 0; --k) {
        const auto [start, close] = tag.contents[k];
        bool followed = false;
        if (close < end) {
            followed = tag.lastPropertyStart > close;
        } else {
            // The value ran past this tag's ">" (only the last one can).
            const qsizetype tailEnd = nextBracket(html, close + 1);
            for (qsizetype i = close + 1; i < tailEnd && !followed; ++i)
                followed = propertyAt(html, i, property) > 0;
        }
        if (followed)
            return html.sliced(start, close - start).toString();
    }
    return std::nullopt;
}

bool isLineBreakOrBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' ||
           c == QChar(0x85) || c == QChar(0x2028) || c == QChar(0x2029);
}

QString trimmedLink(const QString& link) {
    qsizetype start = 0;
    qsizetype end = link.size();
    while (start < end && isLineBreakOrBlank(link[start]))
        ++start;
    while (end > start && isLineBreakOrBlank(link[end - 1]))
        --end;
    return link.mid(start, end - start);
}

std::optional<QUrl> parsedURL(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        return std::nullopt;
    return url;
}

// The text before the first " (@", as X and Instagram title their pages.
std::optional<QString> nameBeforeHandle(const std::optional<QString>& title) {
    if (!title)
        return std::nullopt;
    const qsizetype at = title->indexOf(u" (@"_s);
    if (at < 0)
        return std::nullopt;
    return title->left(at);
}

bool hostIsX(const QString& host) {
    return host.contains(u"x.com"_s) || host.contains(u"twitter.com"_s);
}

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The character a numeric reference's digits (after "&#") name, or absent.
std::optional<char32_t> referencedCharacter(QStringView digits) {
    int base = 10;
    if (!digits.isEmpty() && (digits[0] == u'x' || digits[0] == u'X')) {
        base = 16;
        digits = digits.sliced(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        int digit = 0;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c.unicode() - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c.unicode() - u'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return char32_t(value);
}

// When out ends with a numeric reference (&#[x]digits;), its start; else -1.
qsizetype referenceEndingAt(const QString& out) {
    qsizetype at = out.size() - 1;
    if (at < 0 || out[at] != u';')
        return -1;
    qsizetype digitsStart = at;
    while (digitsStart > 0 && isHexDigit(out[digitsStart - 1]))
        --digitsStart;
    if (digitsStart == at)
        return -1;
    qsizetype hash = digitsStart - 1;
    if (hash >= 0 && (out[hash] == u'x' || out[hash] == u'X'))
        --hash;
    if (hash < 1 || out[hash] != u'#' || out[hash - 1] != u'&')
        return -1;
    return hash - 1;
}

} // namespace

ProfileFetcher::ProfileFetcher(HttpClient& http) : http(http) {}

std::optional<QUrl> ProfileFetcher::profileURL(const QString& link) {
    QString text = trimmedLink(link);
    if (!text.toLower().startsWith(u"http"_s))
        text = u"https://"_s + text;
    const std::optional<QUrl> url = parsedURL(text);
    if (!url || url->host().isEmpty())
        return std::nullopt;
    return url;
}

FetchedProfile ProfileFetcher::fetch(const QString& link) const {
    const std::optional<QUrl> url = profileURL(link);
    if (!url)
        return {};
    return read(*url, http.fetchData(*url, maxBytes, timeout));
}

FetchedProfile ProfileFetcher::read(const QUrl& url, const std::optional<QByteArray>& page) {
    std::optional<QString> title;
    std::optional<QString> image;
    if (page) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString html = decoder.decode(*page);
        if (!decoder.hasError()) {
            title = extractMeta(html, u"og:title");
            if (!title)
                title = extractTitle(html);
            image = extractMeta(html, u"og:image");
        }
    }

    FetchedProfile profile;
    const QString host = url.host().toLower();
    if (hostIsX(host)) {
        profile.name = nameBeforeHandle(title);
        if (image)
            profile.avatarRemoteURL =
                parsedURL(QString(*image).replace(u"_200x200"_s, u"_400x400"_s));
    } else if (host.contains(u"instagram.com"_s)) {
        profile.name = nameBeforeHandle(title);
        if (image)
            profile.avatarRemoteURL = parsedURL(*image);
    } else if (host.contains(u"linkedin.com"_s)) {
        // A sign-in wall's title names no person.
        if (title && !title->toLower().contains(u"sign"_s)) {
            const qsizetype bar = title->indexOf(u" | "_s);
            const QString head = bar < 0 ? *title : title->left(bar);
            const QStringList parts = head.split(u" - "_s);
            if (!parts.first().isEmpty())
                profile.name = trimSpacesAndTabs(parts.first());
            if (parts.size() >= 2) {
                const qsizetype at = head.lastIndexOf(u" at "_s);
                if (at >= 0) {
                    QString company = head.mid(at + 4);
                    if (const qsizetype cut = company.indexOf(u" | "_s); cut >= 0)
                        company.truncate(cut);
                    profile.company = trimSpacesAndTabs(company);
                }
            }
        }
        if (image)
            profile.avatarRemoteURL = parsedURL(*image);
    } else {
        profile.name = title;
        if (image)
            profile.avatarRemoteURL = parsedURL(*image);
    }
    if (!profile.name || profile.name->isEmpty())
        profile.name = nameFromSlug(url);
    return profile;
}

std::optional<QString> ProfileFetcher::extractMeta(QStringView html, QStringView property) {
    const QString wanted = property.toString().toLower();
    // Both attribute orders, the first over the whole page before the second.
    for (const bool propertyFirst : {true, false}) {
        for (qsizetype at = findInsensitive(html, u"<meta", 0); at >= 0;) {
            const qsizetype begin = at + 5;
            const qsizetype end = nextBracket(html, begin);
            const MetaTag tag = scanTag(html, begin, end, wanted);
            const std::optional<QString> content =
                propertyFirst ? propertyThenContent(html, tag)
                              : contentThenProperty(html, tag, end, wanted);
            if (content)
                return decodeEntities(*content);
            at = findInsensitive(html, u"<meta", end);
        }
    }
    return std::nullopt;
}

std::optional<QString> ProfileFetcher::extractTitle(QStringView html) {
    // If the first "<title" has no ">" or no "</title>" after it, no later
    // one can have them either.
    const qsizetype open = findInsensitive(html, u"<title", 0);
    if (open < 0)
        return std::nullopt;
    const qsizetype bracket = html.indexOf(u'>', open + 6);
    if (bracket < 0)
        return std::nullopt;
    const qsizetype close = findInsensitive(html, u"</title>", bracket + 1);
    if (close < 0)
        return std::nullopt;
    return decodeEntities(html.sliced(bracket + 1, close - bracket - 1).toString());
}

QString ProfileFetcher::decodeEntities(const QString& text) {
    // "&amp;" goes last, so a reference written with an encoded ampersand
    // ("&amp;lt;") is decoded once, as written, and not twice.
    static const std::array<std::pair<QString, QString>, 14> named{{
        {u"&lt;"_s, u"<"_s},
        {u"&gt;"_s, u">"_s},
        {u"&quot;"_s, u"\""_s},
        {u"&#39;"_s, u"'"_s},
        {u"&apos;"_s, u"'"_s},
        {u"&nbsp;"_s, u" "_s},
        {u"&mdash;"_s, QString(QChar(0x2014))},
        {u"&ndash;"_s, QString(QChar(0x2013))},
        {u"&hellip;"_s, QString(QChar(0x2026))},
        {u"&rsquo;"_s, u"'"_s},
        {u"&lsquo;"_s, u"'"_s},
        {u"&rdquo;"_s, QString(QChar(0x201D))},
        {u"&ldquo;"_s, QString(QChar(0x201C))},
        {u"&amp;"_s, u"&"_s},
    }};
    QString replaced = text;
    if (replaced.contains(u'&')) {
        for (const auto& [reference, replacement] : named)
            replaced.replace(reference, replacement);
    }
    if (!replaced.contains(u"&#"_s))
        return replaced;

    // Numeric references, always the first one left in the text, again and
    // again: a decoded "&" or ";" can complete a new reference before it.
    // Copying character by character and resolving each reference as its
    // ";" arrives finds the same ones in the same order, in linear time.
    QString out;
    out.reserve(replaced.size());
    for (const QChar c : std::as_const(replaced)) {
        out.append(c);
        for (qsizetype start = referenceEndingAt(out); start >= 0; start = referenceEndingAt(out)) {
            const std::optional<char32_t> character =
                referencedCharacter(QStringView(out).sliced(start + 2, out.size() - start - 3));
            out.truncate(start);
            if (character)
                out.append(QString::fromUcs4(&*character, 1));
        }
    }
    return out;
}

std::optional<QString> ProfileFetcher::nameFromSlug(const QUrl& url) {
    static const QStringList skipped{u"in"_s, u"company"_s, u"profile"_s, u"p"_s, u"user"_s};
    const QStringList components = url.path(QUrl::FullyDecoded).split(u'/', Qt::SkipEmptyParts);
    std::optional<QString> slug;
    for (qsizetype i = components.size() - 1; i >= 0; --i) {
        if (!skipped.contains(components[i].toLower())) {
            slug = components[i];
            break;
        }
    }
    if (!slug)
        return std::nullopt;
    static const QRegularExpression separators(u"[-_.]+"_s);
    QString text = *slug;
    text.replace(separators, u" "_s);
    qsizetype digitsStart = text.size();
    while (digitsStart > 0 && text[digitsStart - 1] >= u'0' && text[digitsStart - 1] <= u'9')
        --digitsStart;
    text.truncate(digitsStart);
    text = trimSpacesAndTabs(text);
    if (text.isEmpty())
        return std::nullopt;
    QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    for (QString& word : words) {
        const QString first = Graphemes::prefix(word, 1);
        word = first.toUpper() + word.mid(first.size());
    }
    return words.join(u' ');
}
