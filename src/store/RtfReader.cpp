#include "store/RtfReader.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Windows-1252 at 0x80–0x9F (everything else there is ISO Latin-1), the
// code page of nearly every RTF file; kept here so no converter is needed.
constexpr std::array<char16_t, 32> windows1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Destinations whose content is not part of the document's text.
bool isHiddenDestination(const QByteArray& word) {
    static const std::unordered_map<std::string, bool> hidden = [] {
        std::unordered_map<std::string, bool> words;
        for (const char* w : {"fonttbl",
                              "colortbl",
                              "stylesheet",
                              "info",
                              "pict",
                              "object",
                              "header",
                              "headerl",
                              "headerr",
                              "headerf",
                              "footer",
                              "footerl",
                              "footerr",
                              "footerf",
                              "listtable",
                              "listoverridetable",
                              "rsidtbl",
                              "generator",
                              "xmlnstbl",
                              "themedata",
                              "colorschememapping",
                              "datastore",
                              "latentstyles",
                              "pgdsctbl",
                              "revtbl",
                              "filetbl",
                              "fldinst",
                              "comment",
                              "bkmkstart",
                              "bkmkend",
                              "annotation",
                              "atnid",
                              "atnauthor",
                              "private",
                              "nonshppict",
                              "shpinst",
                              "author",
                              "operator",
                              "title",
                              "subject",
                              "keywords",
                              "doccomm",
                              "company",
                              "category"})
            words.emplace(w, true);
        return words;
    }();
    return hidden.contains(word.toStdString());
}

QString symbolFor(const QByteArray& word) {
    static const std::unordered_map<std::string, char16_t> symbols = {
        {"par", u'\n'},        {"line", u'\n'},       {"sect", u'\n'},     {"page", u'\n'},
        {"row", u'\n'},        {"tab", u'\t'},        {"cell", u'\t'},     {"emdash", 0x2014},
        {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},  {"rquote", 0x2019},
        {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002},
        {"qmspace", 0x2005}};
    const auto found = symbols.find(word.toStdString());
    return found == symbols.end() ? QString() : QString(QChar(found->second));
}

struct GroupState {
    bool hidden = false;
    int unicodeSkip = 1; // characters after \uN that stand in for it
};

class Parser {
public:
    explicit Parser(const QByteArray& bytes) : in(bytes) {}

    std::optional<QString> run() {
        qsizetype start = 0;
        while (start < in.size() && isSpace(in.at(start)))
            ++start;
        if (!in.sliced(start).startsWith("{\\rtf"))
            return std::nullopt;
        pos = start;
        while (pos < in.size()) {
            const char c = in.at(pos++);
            if (closed) {
                if (!isSpace(c) && c != '\0')
                    return std::nullopt; // content after the document's last brace
                continue;
            }
            switch (c) {
            case '{':
                skipPending = 0;
                groups.push_back(groups.empty() ? GroupState() : groups.back());
                break;
            case '}':
                skipPending = 0;
                if (groups.empty())
                    return std::nullopt;
                groups.pop_back();
                if (groups.empty())
                    closed = true;
                break;
            case '\\':
                if (!controlWord())
                    return std::nullopt;
                break;
            case '\r':
            case '\n':
                break;
            default:
                textByte(c);
            }
        }
        if (!closed)
            return std::nullopt;
        flushBytes();
        return out;
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool isHexDigit(char c) {
        return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    }

    bool hidden() const { return groups.empty() || groups.back().hidden; }

    // A character of the document in its code page.
    void textByte(char c) {
        if (skipPending > 0) {
            --skipPending;
            return;
        }
        if (!hidden())
            bytes.append(c);
    }

    void appendText(const QString& text) {
        if (skipPending > 0) {
            --skipPending;
            return;
        }
        if (hidden())
            return;
        flushBytes();
        out += text;
    }

    void flushBytes() {
        if (bytes.isEmpty())
            return;
        if (codePage == 1252 || codePage == 0) {
            for (const char byte : std::as_const(bytes)) {
                const auto value = uchar(byte);
                out += (value >= 0x80 && value < 0xA0) ? QChar(windows1252High[value - 0x80])
                                                       : QChar(value);
            }
        } else {
            QStringDecoder decoder(("windows-" + QByteArray::number(codePage)).constData());
            if (!decoder.isValid())
                decoder = QStringDecoder(("cp" + QByteArray::number(codePage)).constData());
            if (decoder.isValid()) {
                out += decoder.decode(bytes);
            } else {
                codePage = 1252;
                flushBytes();
                return;
            }
        }
        bytes.clear();
    }

    // After a backslash. False when the document ends inside the control.
    bool controlWord() {
        if (pos >= in.size())
            return false;
        const char first = in.at(pos);
        if (!isLetter(first)) {
            ++pos;
            controlSymbol(first);
            return true;
        }
        const qsizetype wordStart = pos;
        while (pos < in.size() && isLetter(in.at(pos)) && pos - wordStart < 32)
            ++pos;
        const QByteArray word = in.sliced(wordStart, pos - wordStart);
        std::optional<long> parameter;
        const qsizetype numberStart = pos;
        if (pos < in.size() && in.at(pos) == '-')
            ++pos;
        const qsizetype digitsStart = pos;
        while (pos < in.size() && isDigit(in.at(pos)) && pos - digitsStart < 10)
            ++pos;
        if (pos > digitsStart)
            parameter = in.sliced(numberStart, pos - numberStart).toLong();
        else
            pos = numberStart;
        if (pos < in.size() && in.at(pos) == ' ')
            ++pos;
        apply(word, parameter);
        return true;
    }

    void controlSymbol(char symbol) {
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            textByte(symbol);
            break;
        case '~':
            appendText(QString(QChar(0x00A0)));
            break;
        case '_':
            appendText(QString(QChar(0x2011)));
            break;
        case '\n':
        case '\r':
            appendText(u"\n"_s);
            break;
        case '*':
            if (!groups.empty())
                groups.back().hidden = true;
            break;
        case '\'':
            if (pos + 2 <= in.size() && isHexDigit(in.at(pos)) && isHexDigit(in.at(pos + 1))) {
                textByte(char(in.sliced(pos, 2).toInt(nullptr, 16)));
                pos += 2;
            }
            break;
        default: // "\-" (optional hyphen) and unknown symbols show nothing
            break;
        }
    }

    void apply(const QByteArray& word, std::optional<long> parameter) {
        if (isHiddenDestination(word)) {
            if (!groups.empty())
                groups.back().hidden = true;
            return;
        }
        if (word == "u" && parameter) {
            long value = *parameter;
            if (value < 0)
                value += 65536;
            if (value >= 0 && value <= 0xFFFF && !hidden()) {
                flushBytes();
                out += QChar(char16_t(value));
            }
            skipPending = groups.empty() ? 1 : groups.back().unicodeSkip;
            return;
        }
        if (word == "uc" && parameter) {
            if (!groups.empty())
                groups.back().unicodeSkip = int(std::clamp(*parameter, 0L, 16L));
            return;
        }
        if (word == "bin" && parameter) {
            flushBytes();
            pos = std::min(in.size(), pos + qsizetype(std::max(0L, *parameter)));
            return;
        }
        if (word == "ansicpg" && parameter) {
            flushBytes();
            codePage = int(*parameter);
            return;
        }
        if (word == "mac" || word == "pc" || word == "pca") {
            flushBytes();
            codePage = word == "mac" ? 10000 : word == "pc" ? 437 : 850;
            return;
        }
        const QString symbol = symbolFor(word);
        if (!symbol.isEmpty()) {
            appendText(symbol);
            return;
        }
        // Any other control word (formatting) stands for no text, but counts
        // as one of the characters that follow a \uN.
        if (skipPending > 0)
            --skipPending;
    }

    const QByteArray& in;
    qsizetype pos = 0;
    std::vector<GroupState> groups;
    bool closed = false;
    int skipPending = 0;
    int codePage = 1252;
    QByteArray bytes; // text bytes not yet decoded (a multi-byte code page needs them together)
    QString out;
};

} // namespace

std::optional<QString> RtfReader::plainText(const QByteArray& bytes) {
    return Parser(bytes).run();
}
