#include "organise/StructuralCategory.h"

#include "common/Graphemes.h"
#include "organise/CategoryTables.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype maxStructuralLength = 600;

bool isLineBreak(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

char32_t firstCodePoint(QStringView cluster) {
    if (cluster.size() >= 2 && cluster[0].isHighSurrogate() && cluster[1].isLowSurrogate())
        return QChar::surrogateToUcs4(cluster[0], cluster[1]);
    return cluster[0].unicode();
}

bool containsWhiteSpace(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size())
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
        if (QChar::isSpace(c))
            return true;
    }
    return false;
}

bool startsWithCredentialPrefix(QStringView text) {
    for (QLatin1StringView prefix : CategoryTables::credentialPrefixes()) {
        if (text.startsWith(prefix, Qt::CaseSensitive))
            return true;
    }
    return false;
}

// A long run of letters, digits and the few symbols tokens are made of, with at
// least one of each kind of character: an API key, a hash, a base64 secret.
bool looksLikeToken(QStringView text) {
    bool hasLetter = false;
    bool hasNumber = false;
    bool allTokenCharacters = true;
    Graphemes::forEach(text, [&](QStringView cluster) {
        const char32_t c = firstCodePoint(cluster);
        if (QChar::isLetter(c)) {
            hasLetter = true;
        } else if (QChar::isNumber(c)) {
            hasNumber = true;
        } else if (!(c < 0x80 && u"-_.=+/"_s.contains(QChar(char16_t(c))))) {
            allTokenCharacters = false;
        }
        return allTokenCharacters;
    });
    return allTokenCharacters && hasLetter && hasNumber;
}

// Compiled once per thread: a QRegularExpression may be shared for reading, but
// keeping one per thread leaves no question about its lazy JIT compilation.
const QRegularExpression& emailPattern() {
    thread_local const QRegularExpression pattern(u"[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,}"_s,
                                                  QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression& telephonePattern() {
    thread_local const QRegularExpression pattern(u"^\\+?[0-9][0-9 ()-]{8,16}$"_s,
                                                  QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression& postalCodePattern() {
    thread_local const QRegularExpression pattern(u"\\b[0-9]{6}\\b|\\b[0-9]{5}(-[0-9]{4})?\\b"_s);
    return pattern;
}

qsizetype countMatches(const QRegularExpression& pattern, const QString& text) {
    qsizetype matches = 0;
    QRegularExpressionMatchIterator it = pattern.globalMatch(text);
    while (it.hasNext()) {
        it.next();
        ++matches;
    }
    return matches;
}

} // namespace

std::optional<QString> structuralCategory(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || Graphemes::hasAtLeast(trimmed, maxStructuralLength))
        return std::nullopt;
    const qsizetype length = Graphemes::count(trimmed);
    const bool hasLineBreak = std::any_of(trimmed.cbegin(), trimmed.cend(), isLineBreak);

    if (!containsWhiteSpace(trimmed)) {
        if (length >= 20 && startsWithCredentialPrefix(trimmed))
            return u"Keys"_s;
        if (length >= 32 && !trimmed.startsWith(u'/') && looksLikeToken(trimmed))
            return u"Keys"_s;
    }

    if (!hasLineBreak && (trimmed.startsWith(u'/') || trimmed.startsWith(u"~/"_s)) &&
        QStringView(trimmed).sliced(1).contains(u'/'))
        return u"Files"_s;

    const qsizetype emails = countMatches(emailPattern(), trimmed);
    if (emails >= 2 || (emails == 1 && length < 120))
        return u"Contacts"_s;

    if (!hasLineBreak && telephonePattern().match(trimmed).hasMatch())
        return u"Contacts"_s;

    if (trimmed.count(u',') >= 2 && postalCodePattern().match(trimmed).hasMatch()) {
        if (length < 300)
            return u"Places"_s;
        return std::nullopt;
    }
    return std::nullopt;
}
