#include "fuzz/ParserChecks.h"

#include "common/Graphemes.h"
#include "store/IndexFile.h"
#include "store/PageParser.h"
#include "store/RtfReader.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

bool isTrimmed(const QString& text) {
    return text == text.trimmed();
}

QString urlProblem(const std::optional<QUrl>& url, const QString& name) {
    if (!url)
        return {};
    if (!url->isValid() || url->isRelative())
        return name + u" is not an absolute address: "_s + url->toString();
    return {};
}

} // namespace

QString ParserChecks::indexDecoder(const QByteArray& bytes) {
    const std::optional<QList<Item>> items = IndexFile::decode(bytes);
    if (!items)
        return {};
    const QByteArray encoded = IndexFile::encode(*items);
    const std::optional<QList<Item>> again = IndexFile::decode(encoded);
    if (!again)
        return u"the encoded items cannot be decoded again: "_s + QString::fromUtf8(encoded);
    if (*again != *items)
        return u"the items change when encoded and decoded again: "_s + QString::fromUtf8(encoded);
    return {};
}

QString ParserChecks::pageParser(const QByteArray& bytes) {
    const PageInfo info =
        PageParser::parse(bytes, QUrl(u"https://example.org/articles/page.html"_s));
    if (info.title && !isTrimmed(*info.title))
        return u"the title is not trimmed: "_s + *info.title;
    if (info.text) {
        if (info.text->isEmpty())
            return u"the text is present but empty"_s;
        if (Graphemes::hasAtLeast(*info.text, PageParser::maxTextCharacters + 1))
            return u"the text is longer than its cap"_s;
        // The cut comes after trimming, so only a text at its cap may end in a space.
        const bool atCap = Graphemes::hasAtLeast(*info.text, PageParser::maxTextCharacters);
        if (info.text->front().isSpace() || (info.text->back().isSpace() && !atCap))
            return u"the text is not trimmed"_s;
    }
    if (QString problem = urlProblem(info.imageURL, u"the preview image"_s); !problem.isEmpty())
        return problem;
    return urlProblem(info.iconURL, u"the icon"_s);
}

QString ParserChecks::rtfReader(const QByteArray& bytes) {
    const std::optional<QString> text = RtfReader::plainText(bytes);
    if (text && text->size() > bytes.size())
        return u"the text (%1 characters) is longer than the document (%2 bytes)"_s
            .arg(text->size())
            .arg(bytes.size());
    return {};
}
