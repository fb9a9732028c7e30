#include "organise/Categorizer.h"

#include "organise/CategoryTables.h"
#include "support/QtPrinters.h"

#include <QHash>
#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Answers a fixed distance per topic description (by category), noDistance
// for the rest, and counts how often the model is created and used.
class TableEmbedding final : public SentenceEmbedding {
public:
    explicit TableEmbedding(QHash<QString, double> distances) : distances(std::move(distances)) {}
    double distance(const QString&, const QString& description) const override {
        ++calls;
        for (const auto& seed : CategoryTables::meaningSeeds()) {
            if (description == seed.description)
                return distances.value(QString(seed.category), SentenceEmbedding::noDistance);
        }
        return SentenceEmbedding::noDistance;
    }
    QHash<QString, double> distances;
    mutable std::atomic<int> calls{0};
};

Categorizer withoutModel() {
    return Categorizer([] { return std::unique_ptr<SentenceEmbedding>(); });
}

const QString eightWords = u"one two three four five six seven eight"_s;

} // namespace

TEST(CategorizerTables, AllCategoriesAreTheTwentyFourNamesInOrder) {
    EXPECT_EQ(
        Categorizer::allCategories(),
        (QStringList{u"AI"_s,       u"Code"_s,         u"Startup"_s, u"Finance"_s,  u"Design"_s,
                     u"Music"_s,    u"Video"_s,        u"Health"_s,  u"Travel"_s,   u"Food"_s,
                     u"Learning"_s, u"Ideas"_s,        u"Social"_s,  u"Shopping"_s, u"News"_s,
                     u"Research"_s, u"Productivity"_s, u"Work"_s,    u"Mindset"_s,  u"Article"_s,
                     u"Keys"_s,     u"Files"_s,        u"Places"_s,  u"Contacts"_s}));
    EXPECT_EQ(CategoryTables::domainRules().size(), 42u);
}

TEST(CategorizerSites, SubDomainsAndCountryDomainsMatchTheirRow) {
    const Categorizer categorizer = withoutModel();
    struct Case {
        const char* url;
        const char* category;
    } cases[] = {
        {"https://www.youtube.com/watch?v=1", "Video"},
        {"https://youtu.be/abc", "Video"},
        {"https://open.spotify.com/track/1", "Music"},
        {"https://gist.github.com/x", "Code"},
        {"https://x.com/someone", "Social"},
        {"https://mobile.x.com/someone", "Social"},
        {"https://www.amazon.co.uk/dp/1", "Shopping"},
        {"https://www.ebay.de/itm/1", "Shopping"},
        {"https://www.bbc.co.uk/news", "News"},
        {"https://scholar.google.de/scholar?q=x", "Research"},
        {"https://calendar.google.com/r", "Productivity"},
        {"https://EN.WIKIPEDIA.ORG/wiki/Tea", "Learning"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(categorizer.categorize(u"title"_s, std::nullopt, QString::fromUtf8(c.url)),
                  QString::fromUtf8(c.category))
            << c.url;
    }
}

TEST(CategorizerSites, TheFirstMatchingRowWins) {
    // music.apple.com would also match developer.apple.com's vendor; the
    // developer site is a Code row, the music sub-host a Music row.
    EXPECT_EQ(Categorizer::siteCategory(u"https://music.apple.com/album/1"_s), u"Music"_s);
    EXPECT_EQ(Categorizer::siteCategory(u"https://developer.apple.com/documentation"_s), u"Code"_s);
    // A host holding two patterns takes the earlier row (Video before Social).
    EXPECT_EQ(Categorizer::siteCategory(u"https://youtube.com.reddit.com/"_s), u"Video"_s);
}

TEST(CategorizerSites, ShortPatternsDoNotMatchInsideOtherNames) {
    EXPECT_EQ(Categorizer::siteCategory(u"https://www.dropbox.com/s/1"_s), std::nullopt);
    EXPECT_EQ(Categorizer::siteCategory(u"https://fedex.com/track"_s), std::nullopt);
}

TEST(CategorizerSites, UnknownHostsFallThroughAndNeverGetAShapeCategory) {
    const Categorizer categorizer = withoutModel();
    EXPECT_EQ(
        categorizer.categorize(u"someone@example.com"_s, std::nullopt, u"https://example.com/a"_s),
        std::nullopt);
    EXPECT_EQ(categorizer.categorize(u"python compiler notes"_s, std::nullopt,
                                     u"https://example.com/a"_s),
              u"Code"_s);
    // No host: the site step is skipped, and the structural step still is not run.
    EXPECT_EQ(categorizer.categorize(u"/usr/local/bin"_s, std::nullopt, u"not a url"_s),
              std::nullopt);
    EXPECT_EQ(categorizer.categorize(u"/usr/local/bin"_s, std::nullopt, std::nullopt), u"Files"_s);
}

TEST(CategorizerKeywords, TwoHitsMakeACandidateAndTiesKeepTheEarlierRule) {
    EXPECT_EQ(Categorizer::keywordCategory(u"notes"_s, u"python and a compiler"_s), u"Code"_s);
    EXPECT_EQ(Categorizer::keywordCategory(u"notes"_s, u"only python here"_s), std::nullopt);
    // Two AI and two Code keywords: AI comes first.
    EXPECT_EQ(Categorizer::keywordCategory(u"llm"_s, u"neural python compiler"_s), u"AI"_s);
    // Two AI and three Code keywords: Code has strictly more.
    EXPECT_EQ(Categorizer::keywordCategory(u"llm"_s, u"neural python compiler backend"_s),
              u"Code"_s);
    // A keyword found twice counts once.
    EXPECT_EQ(Categorizer::keywordCategory(u"python"_s, u"python python"_s), std::nullopt);
    // Letter case does not matter, and the title is joined with one space.
    EXPECT_EQ(Categorizer::keywordCategory(u"Great AI"_s, u"Tools for LLM work"_s), u"AI"_s);
}

TEST(CategorizerKeywords, OnlyTheFirst4000CharactersOfTheTextCount) {
    const QString padding(3990, u'x');
    EXPECT_EQ(Categorizer::keywordCategory(u"t"_s, padding + u" recipe cooking"_s), std::nullopt);
    EXPECT_EQ(Categorizer::keywordCategory(u"t"_s, padding.left(3900) + u" recipe cooking"_s),
              u"Food"_s);
}

TEST(CategorizerArticle, LongPagesOfUnplacedLinksAreArticles) {
    const Categorizer categorizer = withoutModel();
    const QString url = u"https://example.com/post"_s;
    EXPECT_EQ(categorizer.categorize(u"t"_s, QString(3001, u'a'), url), u"Article"_s);
    EXPECT_EQ(categorizer.categorize(u"t"_s, QString(3000, u'a'), url), std::nullopt);
    EXPECT_EQ(categorizer.categorize(u"t"_s, QString(3001, u'a'), std::nullopt), std::nullopt);
}

TEST(CategorizerMeaning, PicksTheClosestSeedWithinTheThreshold) {
    auto model = std::make_shared<TableEmbedding>(
        QHash<QString, double>{{u"Travel"_s, 0.9}, {u"Food"_s, 0.7}, {u"Work"_s, 1.0}});
    Categorizer categorizer([model] { return std::make_unique<TableEmbedding>(model->distances); });
    EXPECT_EQ(categorizer.meaningCategory(eightWords, std::nullopt), u"Food"_s);
    EXPECT_EQ(categorizer.categorize(eightWords, std::nullopt, std::nullopt), u"Food"_s);
}

TEST(CategorizerMeaning, ThresholdIsInclusiveAndTiesKeepTheEarlierSeed) {
    Categorizer atThreshold([] {
        return std::make_unique<TableEmbedding>(QHash<QString, double>{{u"Mindset"_s, 1.08}});
    });
    EXPECT_EQ(atThreshold.meaningCategory(eightWords, std::nullopt), u"Mindset"_s);

    Categorizer beyond([] {
        return std::make_unique<TableEmbedding>(QHash<QString, double>{{u"Mindset"_s, 1.0801}});
    });
    EXPECT_EQ(beyond.meaningCategory(eightWords, std::nullopt), std::nullopt);

    Categorizer tie([] {
        return std::make_unique<TableEmbedding>(
            QHash<QString, double>{{u"Health"_s, 0.5}, {u"AI"_s, 0.5}});
    });
    EXPECT_EQ(tie.meaningCategory(eightWords, std::nullopt), u"AI"_s);
}

TEST(CategorizerMeaning, FewerThanEightWordsOrNoModelGiveNothing) {
    std::atomic<int> loads{0};
    Categorizer categorizer([&loads] {
        ++loads;
        return std::make_unique<TableEmbedding>(QHash<QString, double>{{u"AI"_s, 0.1}});
    });
    EXPECT_EQ(categorizer.meaningCategory(u"one two three"_s, u"four five six seven"_s),
              std::nullopt);
    EXPECT_EQ(loads.load(), 0) << "the model is loaded only when a text needs it";
    EXPECT_EQ(categorizer.meaningCategory(u"one two three"_s, u"four five six seven eight"_s),
              u"AI"_s);

    const Categorizer none = withoutModel();
    EXPECT_EQ(none.meaningCategory(eightWords, std::nullopt), std::nullopt);
    EXPECT_EQ(none.categorize(eightWords, std::nullopt, std::nullopt), std::nullopt);
}

TEST(CategorizerMeaning, ModelIsCreatedOnceAndUsableFromManyThreads) {
    std::atomic<int> loads{0};
    Categorizer categorizer([&loads] {
        ++loads;
        return std::make_unique<TableEmbedding>(QHash<QString, double>{{u"Ideas"_s, 0.3}});
    });
    std::vector<std::thread> threads;
    std::atomic<int> right{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                if (categorizer.categorize(eightWords, std::nullopt, std::nullopt) == u"Ideas"_s)
                    ++right;
                if (categorizer.categorize(u"~/a/b"_s, std::nullopt, std::nullopt) != u"Files"_s)
                    --right;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(loads.load(), 1);
    EXPECT_EQ(right.load(), 200);
}

TEST(CategorizerOrder, EarlierStepsWinOverLaterOnes) {
    Categorizer categorizer([] {
        return std::make_unique<TableEmbedding>(QHash<QString, double>{{u"Work"_s, 0.1}});
    });
    // Site beats keywords and meaning.
    EXPECT_EQ(categorizer.categorize(u"recipe cooking one two three four five six"_s, std::nullopt,
                                     u"https://github.com/a"_s),
              u"Code"_s);
    // Shape beats keywords: two e-mail addresses in a text full of AI words.
    EXPECT_EQ(categorizer.categorize(u"t"_s, u"llm gpt a@b.com c@d.org"_s, std::nullopt),
              u"Contacts"_s);
    // Keywords beat meaning.
    EXPECT_EQ(categorizer.categorize(u"recipe and cooking"_s, eightWords, std::nullopt), u"Food"_s);
    // The structural step looks at the text when there is one, not the title.
    EXPECT_EQ(categorizer.categorize(u"~/a/b"_s, u"hello"_s, std::nullopt), std::nullopt);
}

namespace {
// The plain rule: one substring search per keyword.
std::optional<QString> referenceKeywordCategory(const QString& title, const QString& text) {
    const QString haystack = (title + u' ' + text.left(4000)).toLower();
    std::optional<QString> best;
    qsizetype bestHits = 0;
    for (const auto& rule : CategoryTables::keywordRules()) {
        qsizetype hits = 0;
        for (QLatin1StringView keyword : rule.keywords)
            hits += haystack.contains(keyword) ? 1 : 0;
        if (hits >= 2 && hits > bestHits) {
            best = QString(rule.category);
            bestHits = hits;
        }
    }
    return best;
}
} // namespace

TEST(CategorizerKeywords, OnePassMatcherAgreesWithPlainSearchOnRandomTexts) {
    // Texts stitched from keyword fragments, so partial and overlapping
    // matches ("api" without its space, "gitlab", " ai " at the edges) occur.
    QStringList pieces{u" "_s,   u"a"_s,   u"i"_s,  u"AI "_s, u"api"_s, u"API "_s,
                       u"git"_s, u"Lab"_s, u"ui"_s, u"x "_s,  u"é"_s,   u"\U0001F600"_s};
    for (const auto& rule : CategoryTables::keywordRules()) {
        for (QLatin1StringView keyword : rule.keywords) {
            pieces.append(QString(keyword));
            pieces.append(QString(keyword).left(keyword.size() - 1));
        }
    }
    std::mt19937 random(42);
    int categorized = 0;
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int count = 1 + int(random() % 12);
        for (int i = 0; i < count; ++i)
            text += pieces[random() % pieces.size()];
        const std::optional<QString> expected = referenceKeywordCategory(u"t"_s, text);
        categorized += expected ? 1 : 0;
        ASSERT_EQ(Categorizer::keywordCategory(u"t"_s, text), expected) << text.toStdString();
    }
    EXPECT_GT(categorized, 300) << "the corpus should exercise the candidate rule";
}
