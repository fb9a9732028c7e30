#include "fuzz/ParserChecks.h"

#include "common/Graphemes.h"
#include "network/PeopleFile.h"
#include "network/ProfileFetcher.h"
#include "organise/EnglishEmbedding.h"
#include "organise/WordVectorModel.h"
#include "store/IndexDecoding.h"
#include "store/IndexFile.h"
#include "store/PageParser.h"
#include "store/RtfReader.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <cmath>

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
    // The fast reader answers for most indexes; what it answers must be
    // what Qt's parser, the reference, reads.
    if (const std::optional<QList<Item>> fast = IndexDecoding::fast(bytes)) {
        const std::optional<QList<Item>> qt = IndexDecoding::withQt(bytes);
        if (!qt)
            return u"the fast reader reads bytes Qt's parser refuses"_s;
        if (*fast != *qt)
            return u"the fast reader reads other items than Qt's parser"_s;
    }
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

QString ParserChecks::peopleFile(const QByteArray& bytes) {
    const std::optional<QList<Person>> people = PeopleFile::decode(bytes);
    if (!people)
        return {};
    const QByteArray encoded = PeopleFile::encode(*people);
    const std::optional<QList<Person>> again = PeopleFile::decode(encoded);
    if (!again)
        return u"the encoded people cannot be decoded again: "_s + QString::fromUtf8(encoded);
    if (*again != *people)
        return u"the people change when encoded and decoded again: "_s + QString::fromUtf8(encoded);
    return {};
}

namespace {

std::optional<QString> firstGroup(const QString& html, const QString& pattern) {
    const QRegularExpressionMatch match =
        QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption).match(html);
    if (!match.hasMatch())
        return std::nullopt;
    return ProfileFetcher::decodeEntities(match.captured(1));
}

// The patterns themselves, for pages short enough that backtracking ends soon.
std::optional<QString> metaByPattern(const QString& html, const QString& property) {
    if (auto found = firstGroup(html, u"<meta[^>]+(?:property|name)=[\"']"_s + property +
                                          u"[\"'][^>]*content=[\"']([^\"']+)[\"']"_s))
        return found;
    return firstGroup(html, u"<meta[^>]+content=[\"']([^\"']+)[\"'][^>]*(?:property|name)=[\"']"_s +
                                property + u"[\"']"_s);
}

QString describe(const std::optional<QString>& text) {
    return text ? u"'"_s + *text + u"'"_s : u"none"_s;
}

} // namespace

QString ParserChecks::profilePage(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString html = decoder.decode(bytes);
    if (html.size() <= 4096) {
        for (const QString& property : {u"og:title"_s, u"og:image"_s}) {
            const std::optional<QString> scanned = ProfileFetcher::extractMeta(html, property);
            const std::optional<QString> matched = metaByPattern(html, property);
            if (scanned != matched)
                return property + u": the scanner finds "_s + describe(scanned) +
                       u", the pattern "_s + describe(matched);
        }
        const std::optional<QString> title = ProfileFetcher::extractTitle(html);
        const std::optional<QString> byPattern =
            firstGroup(html, u"<title[^>]*>([\\s\\S]*?)</title>"_s);
        if (title != byPattern)
            return u"title: the scanner finds "_s + describe(title) + u", the pattern "_s +
                   describe(byPattern);
    }
    static const QRegularExpression reference(u"&#[xX]?[0-9a-fA-F]+;"_s);
    const QString decoded = ProfileFetcher::decodeEntities(html);
    if (decoded.contains(reference))
        return u"a numeric reference is left after decoding: "_s + decoded.left(200);
    // Every kind of site reads the page without failing.
    for (const char* link : {"https://www.linkedin.com/in/ada-lovelace-1815", "https://x.com/ada",
                             "https://www.instagram.com/ada/", "https://example.org/u/ada"})
        ProfileFetcher::read(QUrl(QString::fromLatin1(link)), bytes);
    return {};
}

QString ParserChecks::wordVectors(const QByteArray& bytes) {
    const std::optional<WordVectorModel> model = WordVectorModel::decode(bytes);
    if (!model)
        return {};
    const std::optional<WordVectorModel> again =
        WordVectorModel::decode(WordVectorModel::encode(model->contents()));
    if (!again)
        return u"the model's contents do not encode to a readable file"_s;
    if (again->wordCount() != model->wordCount() || again->dimensions() != model->dimensions() ||
        again->knots() != model->knots() || again->commonCount() != model->commonCount() ||
        again->unrelatedCount() != model->unrelatedCount() ||
        again->unrelatedWeight() != model->unrelatedWeight())
        return u"the model changes when encoded and decoded again"_s;
    for (const WordVectorModel* m : {&*model, &*again}) {
        for (int i = 0; i < m->wordCount(); ++i) {
            const int found = m->find(m->text(i));
            if (found < 0 || m->text(found) != m->text(i))
                return u"a word is not found by its own text: "_s +
                       QString::fromUtf8(m->text(i).data(), qsizetype(m->text(i).size()));
        }
    }
    double previous = 0;
    for (int step = 0; step <= 200; ++step) {
        const double d = model->scaledDistance(step / 100.0);
        if (!(d >= previous - 1e-9) || d < 0 || d > 2)
            return u"the distance scale leaves 0 to 2 or falls at %1"_s.arg(step / 100.0);
        previous = d;
    }
    if (std::abs(model->scaledDistance(0)) > 1e-6 || std::abs(model->scaledDistance(2) - 2) > 1e-6)
        return u"the distance scale does not run from 0 to 2"_s;
    // Whatever the file's directions and weights, two texts are 0 to 2 apart
    // or have no distance at all.
    if (model->wordCount() > 0) {
        const auto first =
            QString::fromUtf8(model->text(0).data(), qsizetype(model->text(0).size()));
        const int lastIndex = model->wordCount() - 1;
        const auto last = QString::fromUtf8(model->text(lastIndex).data(),
                                            qsizetype(model->text(lastIndex).size()));
        const EnglishEmbedding embedding(*model);
        for (const auto& [a, b] : {std::pair{first, last}, std::pair{last, first}}) {
            const double d = embedding.distance(a, b);
            if (d != SentenceEmbedding::noDistance && !(d >= 0 && d <= 2))
                return u"two texts are %1 apart"_s.arg(d);
        }
    }
    return {};
}
