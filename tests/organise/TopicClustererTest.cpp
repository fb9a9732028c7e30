#include "organise/TopicClusterer.h"

#include "organise/OrganisePrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

Item item(QString title, std::optional<QString> text = {}) {
    Item item;
    item.id = QUuid::createUuid();
    item.kind = ItemKind::text;
    item.title = std::move(title);
    item.detail = u"Text snippet"_s;
    item.text = std::move(text);
    return item;
}

QSet<QString> set(const QStringList& words) {
    return QSet<QString>(words.begin(), words.end());
}

} // namespace

TEST(TopicKeywords, WordsAreLettersOfThreeOrMoreCharactersOutsideTheStopList) {
    struct Case {
        QString title;
        QStringList keywords;
    } cases[] = {
        {u"AI and UX for the web3 crowd"_s, {u"web"_s, u"crowd"_s}},
        {u"The YouTube video of this photo"_s, {}},
        {u"e-mail: café, naïve Ärger"_s, {u"mail"_s, u"café"_s, u"naïve"_s, u"ärger"_s}},
        {u"cafe\u0301 ab\u0301c"_s, {u"cafe\u0301"_s, u"ab\u0301c"_s}}, // accents stay in words
        {u"日本語 ΣΟΦΙΑ 𐐀𐐁𐐂"_s, {u"日本語"_s, u"σοφια"_s, u"𐐨𐐩𐐪"_s}},
        {u"snake_case 42nd"_s, {u"snake"_s, u"case"_s}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TopicClusterer::keywords(item(c.title)), set(c.keywords))
            << c.title.toStdString();
}

TEST(TopicKeywords, TitleWeighsThreeTimesTheTextAndTiesGoAlphabetically) {
    // Eight text words twice each (weight 2) lose to any title word (weight 3);
    // among words of weight 1 the alphabetically first win the remaining places.
    const Item i = item(u"zebra"_s, u"alpha alpha bravo bravo charlie charlie delta delta echo "
                                    "echo foxtrot foxtrot golf golf hotel hotel india juliet"_s);
    EXPECT_EQ(TopicClusterer::keywords(i), set({u"zebra"_s, u"alpha"_s, u"bravo"_s, u"charlie"_s,
                                                u"delta"_s, u"echo"_s, u"foxtrot"_s, u"golf"_s}));
}

TEST(TopicKeywords, OnlyTheFirst1500CharactersOfTheTextCount) {
    // A CR LF pair is one character: "tulip" ends exactly at character 1500
    // (unit 1501), and "orchid" comes after the cut.
    const QString text = u"\r\n"_s + QString(u"x "_s).repeated(747) + u"tulip orchid"_s;
    const QSet<QString> keywords = TopicClusterer::keywords(item(u"x"_s, text));
    EXPECT_TRUE(keywords.contains(u"tulip"_s));
    EXPECT_FALSE(keywords.contains(u"tuli"_s));
    EXPECT_FALSE(keywords.contains(u"orchid"_s));
}

TEST(TopicKeywords, TheStopListHas199DistinctLowerCaseWords) {
    const QStringList words = TopicClusterer::stopWords();
    EXPECT_EQ(words.size(), 199);
    EXPECT_EQ(set(words).size(), 199);
    for (const QString& word : {u"the"_s, u"youtube"_s, u"untitled"_s, u"https"_s, u"people"_s})
        EXPECT_TRUE(words.contains(word)) << word.toStdString();
    for (const QString& word : words)
        EXPECT_EQ(word, word.toLower());
}

TEST(TopicClusterer, TwoSharedKeywordsLinkItemsAndTheSmallerWordLabels) {
    const Item a = item(u"Tomatoes in the garden"_s);
    const Item b = item(u"garden tomatoes, late"_s);
    const Item c = item(u"Garden party"_s); // shares only one keyword
    TopicClusterer clusterer;
    EXPECT_EQ(clusterer.clusters({a, c, b}), (QList<TopicCluster>{{u"Garden"_s, {a, b}}}));
}

TEST(TopicClusterer, LinkingIsTransitive) {
    const Item a = item(u"violin concerto"_s);
    const Item b = item(u"violin concerto orchestra tuning"_s);
    const Item c = item(u"orchestra tuning"_s);
    const Item d = item(u"unrelated tulips"_s);
    TopicClusterer clusterer;
    const QList<TopicCluster> clusters = clusterer.clusters({a, d, b, c});
    ASSERT_EQ(clusters.size(), 1);
    EXPECT_EQ(clusters[0].items, (QList<Item>{a, b, c}));
    // Each of the four words is in two members: the alphabetically first wins.
    EXPECT_EQ(clusters[0].label, u"Concerto"_s);
}

TEST(TopicClusterer, SameLabelsGetSuffixesAndLargerClustersComeFirst) {
    const QList<Item> items{
        item(u"garden tomatoes"_s),        item(u"garden tomatoes"_s), // Garden
        item(u"garden roses"_s),           item(u"garden roses"_s),    // Garden ·
        item(u"python compiler"_s),        item(u"python compiler"_s), // Compiler, three
        item(u"python compiler parser"_s), item(u"garden zucchini"_s), item(u"garden zucchini"_s),
    };
    TopicClusterer clusterer;
    QStringList labels;
    QList<qsizetype> sizes;
    for (const TopicCluster& cluster : clusterer.clusters(items)) {
        labels.append(cluster.label);
        sizes.append(cluster.items.size());
    }
    EXPECT_EQ(labels, (QStringList{u"Compiler"_s, u"Garden"_s, u"Garden ·"_s, u"Garden · ·"_s}));
    EXPECT_EQ(sizes, (QList<qsizetype>{3, 2, 2, 2}));
}

TEST(TopicClusterer, ItemsWithoutKeywordsAndTinyListsFormNothing) {
    TopicClusterer clusterer;
    EXPECT_TRUE(clusterer.clusters({}).isEmpty());
    EXPECT_TRUE(clusterer.clusters({item(u"garden tomatoes"_s)}).isEmpty());
    EXPECT_TRUE(clusterer.clusters({item(u"the and for"_s), item(u"the and for"_s)}).isEmpty());
    EXPECT_TRUE(TopicClusterer::keywords(item(u"the and for"_s)).isEmpty());
}

TEST(TopicClusterer, LabelsCapitaliseTheirFirstCharacter) {
    TopicClusterer clusterer;
    const QList<TopicCluster> clusters =
        clusterer.clusters({item(u"ärger über"_s), item(u"Ärger ÜBER"_s)});
    ASSERT_EQ(clusters.size(), 1);
    EXPECT_EQ(clusters[0].label, u"Ärger"_s);
}

TEST(TopicClusterer, EditedItemsAreReadAgain) {
    QList<Item> items{item(u"garden tomatoes"_s), item(u"garden tomatoes"_s)};
    TopicClusterer clusterer;
    EXPECT_EQ(clusterer.clusters(items).size(), 1);
    items[1].title = u"violin concerto"_s;
    EXPECT_TRUE(clusterer.clusters(items).isEmpty());
    items[1].text = u"garden tomatoes"_s;
    EXPECT_EQ(clusterer.clusters(items).size(), 1);
}
