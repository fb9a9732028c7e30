#include "organise/Categorizer.h"

#include "common/Graphemes.h"
#include "organise/CategoryTables.h"
#include "organise/EnglishEmbedding.h"
#include "organise/StructuralCategory.h"

#include <QUrl>

using namespace Qt::StringLiterals;

Categorizer::Categorizer(ModelLoader loadModel) : loadModel(std::move(loadModel)) {}

Categorizer& Categorizer::shared() {
    static Categorizer categorizer(&EnglishEmbedding::load);
    return categorizer;
}

const QStringList& Categorizer::allCategories() {
    return CategoryTables::allCategories();
}

std::optional<QString> Categorizer::siteCategory(const QString& urlString) {
    const QUrl url(urlString, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    // With a leading dot, patterns that start with one match only whole labels.
    const QString host = u'.' + url.host().toLower();
    for (const CategoryTables::SiteRule& rule : CategoryTables::domainRules()) {
        if (host.contains(rule.hostPattern))
            return QString(rule.category);
    }
    return std::nullopt;
}

std::optional<QString> Categorizer::keywordCategory(const QString& title,
                                                    const std::optional<QString>& text) {
    QString haystack = title;
    haystack += u' ';
    if (text)
        haystack += QStringView(*text).first(Graphemes::endOfFirst(*text, keywordTextLength));
    haystack = std::move(haystack).toLower();

    std::optional<QString> best;
    qsizetype bestHits = 0;
    for (const CategoryTables::KeywordRule& rule : CategoryTables::keywordRules()) {
        qsizetype hits = 0;
        for (QLatin1StringView keyword : rule.keywords) {
            if (haystack.contains(keyword))
                ++hits;
        }
        // Two hits make a candidate; a later rule needs strictly more to win.
        if (hits >= 2 && hits > bestHits) {
            best = QString(rule.category);
            bestHits = hits;
        }
    }
    return best;
}

const SentenceEmbedding* Categorizer::model() const {
    std::call_once(modelLoaded, [this] {
        if (loadModel)
            loadedModel = loadModel();
    });
    return loadedModel.get();
}

std::optional<QString> Categorizer::meaningCategory(const QString& title,
                                                    const std::optional<QString>& text) const {
    QString joined = title + u". "_s + text.value_or(QString());
    const QString sentence = Graphemes::prefix(joined, meaningTextLength);

    qsizetype words = 0;
    bool inWord = false;
    for (QChar c : sentence) {
        const bool space = c.isSpace();
        if (!space && !inWord)
            ++words;
        inWord = !space;
    }
    if (words < meaningMinimumWords)
        return std::nullopt;

    const SentenceEmbedding* embedding = model();
    if (!embedding)
        return std::nullopt;

    std::optional<QLatin1StringView> closest;
    double closestDistance = SentenceEmbedding::noDistance;
    {
        std::lock_guard lock(modelLock);
        for (const CategoryTables::TopicSeed& seed : CategoryTables::meaningSeeds()) {
            const double distance = embedding->distance(sentence, QString(seed.description));
            if (distance == SentenceEmbedding::noDistance)
                continue;
            if (!closest || distance < closestDistance) {
                closest = seed.category;
                closestDistance = distance;
            }
        }
    }
    if (closest && closestDistance <= meaningThreshold)
        return QString(*closest);
    return std::nullopt;
}

std::optional<QString> Categorizer::categorize(const QString& title,
                                               const std::optional<QString>& text,
                                               const std::optional<QString>& urlString) const {
    if (urlString) {
        if (std::optional<QString> site = siteCategory(*urlString))
            return site;
    } else if (std::optional<QString> shape = structuralCategory(text.value_or(title))) {
        return shape;
    }

    if (std::optional<QString> keywords = keywordCategory(title, text))
        return keywords;

    if (std::optional<QString> meaning = meaningCategory(title, text))
        return meaning;

    if (urlString && text && Graphemes::hasAtLeast(*text, articleTextLength + 1))
        return u"Article"_s;
    return std::nullopt;
}
