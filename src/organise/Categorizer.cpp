#include "organise/Categorizer.h"

#include "common/Graphemes.h"
#include "common/SharedInstance.h"
#include "organise/CategoryTables.h"
#include "organise/EnglishEmbedding.h"
#include "organise/StructuralCategory.h"

#include <QUrl>
#include <array>
#include <vector>

using namespace Qt::StringLiterals;

Categorizer::Categorizer(ModelLoader loadModel) : loadModel(std::move(loadModel)) {}

Categorizer& Categorizer::shared() {
    return SharedInstance<Categorizer>::get();
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

namespace {

// Finds which keywords occur in a text in one pass: at each position only the
// keywords starting with that character are compared. All keywords are ASCII,
// so a table by first character covers them. Gives exactly the hits of one
// substring search per keyword, without walking the text a hundred times.
class KeywordMatcher {
public:
    KeywordMatcher() {
        const auto rules = CategoryTables::keywordRules();
        for (std::size_t r = 0; r < rules.size(); ++r) {
            for (QLatin1StringView keyword : rules[r].keywords) {
                const auto first = static_cast<unsigned char>(keyword.front().toLatin1());
                byFirstCharacter[first].push_back({keyword, int(r), int(keywordCount)});
                ++keywordCount;
            }
        }
    }

    // Hits per rule for the keywords found in haystack (each keyword once).
    std::vector<int> hitsPerRule(QStringView haystack) const {
        std::vector<char> found(keywordCount, 0);
        std::vector<int> hits(CategoryTables::keywordRules().size(), 0);
        const qsizetype size = haystack.size();
        for (qsizetype i = 0; i < size; ++i) {
            const char16_t c = haystack[i].unicode();
            if (c >= 128)
                continue;
            for (const Entry& entry : byFirstCharacter[c]) {
                if (found[entry.index] || size - i < entry.keyword.size())
                    continue;
                if (matchesAt(haystack, i, entry.keyword)) {
                    found[entry.index] = 1;
                    ++hits[entry.rule];
                }
            }
        }
        return hits;
    }

private:
    static bool matchesAt(QStringView haystack, qsizetype at, QLatin1StringView keyword) {
        const char* k = keyword.data();
        const QChar* h = haystack.data() + at;
        for (qsizetype j = 1; j < keyword.size(); ++j) {
            if (h[j].unicode() != char16_t(static_cast<unsigned char>(k[j])))
                return false;
        }
        return true;
    }

    struct Entry {
        QLatin1StringView keyword;
        int rule;
        int index;
    };
    std::array<std::vector<Entry>, 128> byFirstCharacter;
    std::size_t keywordCount = 0;
};

const KeywordMatcher& keywordMatcher() {
    static const KeywordMatcher matcher;
    return matcher;
}

} // namespace

std::optional<QString> Categorizer::keywordCategory(const QString& title,
                                                    const std::optional<QString>& text) {
    QString haystack = title;
    haystack += u' ';
    if (text)
        haystack += QStringView(*text).first(Graphemes::endOfFirst(*text, keywordTextLength));
    haystack = std::move(haystack).toLower();

    const std::vector<int> hits = keywordMatcher().hitsPerRule(haystack);
    const auto rules = CategoryTables::keywordRules();
    std::optional<QString> best;
    int bestHits = 0;
    for (std::size_t r = 0; r < rules.size(); ++r) {
        // Two hits make a candidate; a later rule needs strictly more to win.
        if (hits[r] >= 2 && hits[r] > bestHits) {
            best = QString(rules[r].category);
            bestHits = hits[r];
        }
    }
    return best;
}

const SentenceEmbedding* Categorizer::model() const {
    std::call_once(modelLoaded, [this] {
        if (loadModel)
            loadedModel = loadModel();
        modelMissing = !loadedModel;
    });
    return loadedModel.get();
}

void Categorizer::loadModelInBackground() {
    if (modelLoader.joinable())
        return;
    modelLoader = std::jthread([this] { model(); });
}

QString Categorizer::meaningSentence(const QString& title, const std::optional<QString>& text) {
    // Cut the text before joining: a page's text can be far longer than needed.
    QString joined = title + u". "_s;
    if (text)
        joined += QStringView(*text).first(Graphemes::endOfFirst(*text, meaningTextLength));
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
        return {};
    return sentence;
}

std::optional<QString> Categorizer::meaningCategory(const QString& title,
                                                    const std::optional<QString>& text) const {
    const QString sentence = meaningSentence(title, text);
    if (sentence.isEmpty())
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

std::optional<QString> Categorizer::ruleCategory(const QString& title,
                                                 const std::optional<QString>& text,
                                                 const std::optional<QString>& urlString) {
    if (urlString) {
        if (std::optional<QString> site = siteCategory(*urlString))
            return site;
    } else if (std::optional<QString> shape = structuralCategory(text.value_or(title))) {
        return shape;
    }
    return keywordCategory(title, text);
}

std::optional<QString> Categorizer::fallbackCategory(const std::optional<QString>& text,
                                                     const std::optional<QString>& urlString) {
    if (urlString && text && Graphemes::hasAtLeast(*text, articleTextLength + 1))
        return u"Article"_s;
    return std::nullopt;
}

std::optional<QString> Categorizer::categorize(const QString& title,
                                               const std::optional<QString>& text,
                                               const std::optional<QString>& urlString) const {
    if (std::optional<QString> rule = ruleCategory(title, text, urlString))
        return rule;
    if (std::optional<QString> meaning = meaningCategory(title, text))
        return meaning;
    return fallbackCategory(text, urlString);
}

AutoCategorizer::QuickAnswer
Categorizer::quickCategorize(const QString& title, const std::optional<QString>& text,
                             const std::optional<QString>& urlString) const {
    if (std::optional<QString> rule = ruleCategory(title, text, urlString))
        return {rule, true};
    // Settled without the model when the text is too short for the meaning
    // step; a model known to be missing is not waited for either, but one
    // not loaded yet may be, so that answer is left open.
    const bool meaningApplies =
        loadModel && !modelMissing && !meaningSentence(title, text).isEmpty();
    return {fallbackCategory(text, urlString), !meaningApplies};
}
