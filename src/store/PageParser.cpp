#include "store/PageParser.h"

#include "common/Graphemes.h"

#include <QRegularExpression>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

// The page's parts are defined by these expressions (all ignoring case):
//   title:   <title[^>]*>([\s\S]*?)</title>
//   element: <NAME[\s\S]*?</NAME>                       (removed)
//   tag:     <[^>]+>                                     (removed)
//   preview: <meta[^>]+KEY[^>]*content=["']([^"']+)["']  then
//            <meta[^>]+content=["']([^"']+)["'][^>]*KEY
//            with KEY = (?:property|name)=["'](?:og:image|twitter:image)["']
//   icon:    the same with <link, href= and KEY = rel=["'](?:shortcut
//   icon|icon|apple-touch-icon)["']
// Run as regular expressions over a hostile page (thousands of unclosed
// "<title" or "<script", one tag without ">") each of them tries every start
// and scans to the end from each: quadratic. The code below finds exactly the
// same matches by scanning for the delimiters instead, so each part of the
// page is looked at a bounded number of times.

namespace {

constexpr auto caseless = Qt::CaseInsensitive;

bool isQuote(QChar c) {
    return c == u'"' || c == u'\'';
}

// Replaces every "<" + something + ">" (at least one character between, no
// ">" inside) by replacement.
QString replaceTags(const QString& text, QStringView replacement) {
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(u'<', from);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(u'>', open + 1);
        if (close < 0) // no later "<" can be closed either
            break;
        if (close == open + 1) { // "<>" is no tag; go on after the "<"
            result += QStringView(text).sliced(from, open + 1 - from);
            from = open + 1;
            continue;
        }
        result += QStringView(text).sliced(from, open - from);
        result += replacement;
        from = close + 1;
    }
    result += QStringView(text).sliced(from);
    return result;
}

// Replaces every "<name" … "</name>" (the nearest closing tag) by one space.
QString removeElements(const QString& text, QStringView name) {
    const QString open = u"<"_s + name.toString();
    const QString close = u"</"_s + name.toString() + u">"_s;
    QString result;
    qsizetype from = 0;
    while (true) {
        const qsizetype start = text.indexOf(open, from, caseless);
        if (start < 0)
            break;
        const qsizetype end = text.indexOf(close, start + open.size(), caseless);
        if (end < 0) // a later start would need a closing tag even further on
            break;
        if (result.isEmpty())
            result.reserve(text.size());
        result += QStringView(text).sliced(from, start - from);
        result += u' ';
        from = end + close.size();
    }
    if (from == 0)
        return text;
    result += QStringView(text).sliced(from);
    return result;
}

// One attribute pair of the preview and icon expressions: the tag, the key
// attribute that marks it (property=og:image, rel=icon …) and the attribute
// holding the address.
struct TagPattern {
    QLatin1StringView tagOpen;   // "<meta"
    QRegularExpression key;      // marks the tag as the one wanted
    QLatin1StringView valueName; // "content=" or "href="
};

const TagPattern& previewPattern() {
    static const TagPattern pattern{
        "<meta"_L1,
        QRegularExpression(u"(?:property|name)=[\"'](?:og:image|twitter:image)[\"']"_s,
                           QRegularExpression::CaseInsensitiveOption),
        "content="_L1};
    return pattern;
}

const TagPattern& iconPattern() {
    static const TagPattern pattern{
        "<link"_L1,
        QRegularExpression(u"rel=[\"'](?:shortcut icon|icon|apple-touch-icon)[\"']"_s,
                           QRegularExpression::CaseInsensitiveOption),
        "href="_L1};
    return pattern;
}

// A quoted attribute value: `name=` + quote + [^"']+ + quote.
struct Value {
    qsizetype nameStart = 0;
    qsizetype start = 0; // first character of the value
    qsizetype end = 0;   // the closing quote
};

// Every `name="…"` whose `name=` and opening quote lie in [from, to), in
// order, with the closing quote found anywhere in page (the value may run past
// the tag's ">"). Values that are empty or never closed are left out.
QList<Value> valuesIn(const QString& page, QLatin1StringView name, qsizetype from, qsizetype to) {
    QList<Value> values;
    // Searching only up to the tag's end keeps tags without a value from
    // scanning the rest of the page.
    const QStringView tag = QStringView(page).first(to);
    qsizetype at = from;
    while (at < to) {
        const qsizetype found = tag.indexOf(name, at, caseless);
        if (found < 0 || found + name.size() >= to)
            break;
        at = found + 1;
        const qsizetype quote = found + name.size();
        if (!isQuote(page.at(quote)))
            continue;
        qsizetype end = quote + 1;
        while (end < page.size() && !isQuote(page.at(end)))
            ++end;
        if (end == quote + 1 || end == page.size())
            continue;
        values.append({found, quote + 1, end});
    }
    return values;
}

// Start of the first and of the last match of key inside [from, to); -1 when none.
std::pair<qsizetype, qsizetype> keySpan(const QString& page, const QRegularExpression& key,
                                        qsizetype from, qsizetype to, qsizetype* firstEnd) {
    qsizetype first = -1;
    qsizetype last = -1;
    if (from >= to)
        return {first, last};
    const QStringView view = QStringView(page).first(to);
    QRegularExpressionMatchIterator matches = key.globalMatch(view, from);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (first < 0) {
            first = match.capturedStart();
            if (firstEnd)
                *firstEnd = match.capturedEnd();
        }
        last = match.capturedStart();
    }
    return {first, last};
}

bool hasKey(const QString& page, const QRegularExpression& key, qsizetype from, qsizetype to) {
    return from < to && key.match(QStringView(page).first(to), from).hasMatch();
}

// Calls match(start, end) for each "<tag" of the page with the position of
// the ">" that ends it (or the page's end), until match answers a value.
// The expressions can match from a later "<tag" inside the same tag only if
// they match from the first one, so a failure moves on to the next tag.
template <typename Match>
std::optional<QString> firstTagValue(const QString& page, QLatin1StringView tagOpen, Match match) {
    qsizetype from = 0;
    while (from < page.size()) {
        const qsizetype start = page.indexOf(tagOpen, from, caseless);
        if (start < 0)
            return std::nullopt;
        qsizetype end = page.indexOf(u'>', start + tagOpen.size());
        if (end < 0)
            end = page.size();
        if (std::optional<QString> value = match(start + tagOpen.size() + 1, end))
            return value;
        from = end;
    }
    return std::nullopt;
}

QString valueText(const QString& page, const Value& value) {
    return page.sliced(value.start, value.end - value.start);
}

// <tag[^>]+KEY[^>]*name=["']([^"']+)["'] — the greedy expression settles on
// the last value that follows any key, so that is the one answered.
std::optional<QString> keyThenValue(const QString& page, const TagPattern& pattern) {
    return firstTagValue(
        page, pattern.tagOpen, [&](qsizetype from, qsizetype end) -> std::optional<QString> {
            qsizetype keyEnd = 0;
            if (keySpan(page, pattern.key, from, end, &keyEnd).first < 0)
                return std::nullopt;
            const QList<Value> values = valuesIn(page, pattern.valueName, keyEnd, end);
            if (values.isEmpty())
                return std::nullopt;
            return valueText(page, values.last());
        });
}

// <tag[^>]+name=["']([^"']+)["'][^>]*KEY — the last value in the tag that a
// key follows before the next ">".
std::optional<QString> valueThenKey(const QString& page, const TagPattern& pattern) {
    return firstTagValue(
        page, pattern.tagOpen, [&](qsizetype from, qsizetype end) -> std::optional<QString> {
            const QList<Value> values = valuesIn(page, pattern.valueName, from, end);
            if (values.isEmpty())
                return std::nullopt;
            // Only the last value can run past this tag's ">" (a value ends at
            // the next quote, and every other value's name is followed by one).
            const qsizetype lastKey =
                keySpan(page, pattern.key, values.first().end + 1, end, nullptr).second;
            for (qsizetype index = values.size() - 1; index >= 0; --index) {
                const Value& value = values.at(index);
                bool keyFollows = false;
                if (value.end < end) {
                    keyFollows = lastKey > value.end;
                } else {
                    qsizetype keyLimit = page.indexOf(u'>', value.end + 1);
                    if (keyLimit < 0)
                        keyLimit = page.size();
                    keyFollows = hasKey(page, pattern.key, value.end + 1, keyLimit);
                }
                if (keyFollows)
                    return valueText(page, value);
            }
            return std::nullopt;
        });
}

std::optional<QString> tagValue(const QString& page, const TagPattern& pattern) {
    if (std::optional<QString> value = keyThenValue(page, pattern))
        return value;
    return valueThenKey(page, pattern);
}

std::optional<QUrl> resolvedUrl(const std::optional<QString>& value, const QUrl& pageUrl) {
    if (!value)
        return std::nullopt;
    const QUrl relative(PageParser::decodeEntities(*value).trimmed());
    if (!relative.isValid())
        return std::nullopt;
    const QUrl absolute = pageUrl.resolved(relative);
    if (!absolute.isValid() || absolute.isRelative())
        return std::nullopt;
    return absolute;
}

} // namespace

QString PageParser::decodeEntities(QString text) {
    if (!text.contains(u'&'))
        return text;
    // "&amp;" goes last, so "&amp;lt;" stays the text "&lt;" as written.
    text.replace(u"&lt;"_s, u"<"_s)
        .replace(u"&gt;"_s, u">"_s)
        .replace(u"&quot;"_s, u"\""_s)
        .replace(u"&#39;"_s, u"'"_s)
        .replace(u"&apos;"_s, u"'"_s)
        .replace(u"&nbsp;"_s, u" "_s)
        .replace(u"&amp;"_s, u"&"_s);
    return text;
}

std::optional<QString> PageParser::decode(const QByteArray& bytes) {
    const QByteArrayView kept =
        QByteArrayView(bytes).first(std::min(bytes.size(), maxDecodedBytes));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(kept);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(kept);
}

std::optional<QString> PageParser::title(const QString& page) {
    const QLatin1StringView open = "<title"_L1;
    const QLatin1StringView close = "</title>"_L1;
    const qsizetype start = page.indexOf(open, 0, caseless);
    if (start < 0)
        return std::nullopt;
    const qsizetype contentStart = page.indexOf(u'>', start + open.size());
    if (contentStart < 0)
        return std::nullopt;
    // The nearest closing tag after the first opening one: a later "<title"
    // would need one even further on.
    const qsizetype end = page.indexOf(close, contentStart + 1, caseless);
    if (end < 0)
        return std::nullopt;
    const QString content = page.sliced(contentStart + 1, end - contentStart - 1);
    return decodeEntities(replaceTags(content, {})).trimmed();
}

std::optional<QString> PageParser::text(const QString& page) {
    QString text = page;
    for (const QStringView name :
         {u"script", u"style", u"noscript", u"svg", u"header", u"footer", u"nav"})
        text = removeElements(text, name);
    text = decodeEntities(replaceTags(text, u" "));
    // Unicode white space, as in the pattern language the page rules were written for.
    static const QRegularExpression space(u"\\s+"_s,
                                          QRegularExpression::UseUnicodePropertiesOption);
    text = text.replace(space, u" "_s).trimmed();
    if (Graphemes::hasAtLeast(text, maxTextCharacters + 1))
        text = Graphemes::prefix(text, maxTextCharacters);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<QString> PageParser::previewImageValue(const QString& page) {
    return tagValue(page, previewPattern());
}

std::optional<QString> PageParser::iconValue(const QString& page) {
    return tagValue(page, iconPattern());
}

PageInfo PageParser::parse(const QByteArray& bytes, const QUrl& pageUrl) {
    const std::optional<QString> page = decode(bytes);
    if (!page)
        return {};
    PageInfo info;
    info.title = title(*page);
    info.text = text(*page);
    info.imageURL = resolvedUrl(previewImageValue(*page), pageUrl);
    info.iconURL = resolvedUrl(iconValue(*page), pageUrl);
    return info;
}
