#include "organise/ItemSearch.h"

#include "organise/OrganisePrinters.h"
#include "organise/SearchText.h"

#include <gtest/gtest.h>
#include <random>

using namespace Qt::StringLiterals;

namespace {

Item item(QString title, ItemKind kind = ItemKind::text, std::optional<QString> text = {}) {
    Item item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    item.title = std::move(title);
    item.detail = u"Text snippet"_s;
    item.text = std::move(text);
    return item;
}

QStringList titles(const QList<Item>& items) {
    QStringList result;
    for (const Item& item : items)
        result.append(item.title);
    return result;
}

} // namespace

TEST(ItemSearch, BlankQueriesKeepEveryItemInOrder) {
    const QList<Item> items{item(u"b"_s), item(u"a"_s), item(u"c"_s)};
    ItemSearch search;
    for (const QString& query : {u""_s, u"   "_s, u"\t \u00A0\u3000"_s})
        EXPECT_EQ(search.results(items, query), items) << query.toStdString();
    EXPECT_TRUE(ItemSearch::words(u" \t "_s).isEmpty());
}

TEST(ItemSearch, WordsAreSplitAtSpacesOnlyAfterTrimmingHorizontalSpace) {
    struct Case {
        QString query;
        QStringList words;
    } cases[] = {
        {u"  Swift  UI "_s, {u"swift"_s, u"ui"_s}},
        {u"\u00A0garden\u3000"_s, {u"garden"_s}},
        {u"a\tb"_s, {u"a\tb"_s}},         // a tab inside stays in the word
        {u"garden\n"_s, {u"garden\n"_s}}, // line breaks are not trimmed
        {u"ÄRGER"_s, {u"ärger"_s}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ItemSearch::words(c.query), c.words) << c.query.toStdString();
}

TEST(ItemSearch, KindMustBeEqualNotContained) {
    Item photo = item(u"holiday"_s, ItemKind::image);
    Item note = item(u"imagery"_s);
    const QList<Item> items{note, photo};
    ItemSearch search;
    // note: title contains "image" (6); photo: only its kind (2).
    EXPECT_EQ(search.results(items, u"image"_s), (QList<Item>{note, photo}));
    EXPECT_EQ(search.results(items, u"images"_s), QList<Item>{});
}

TEST(ItemSearch, WeightsDecideTheOrder) {
    Item textOnly = item(u"misc"_s, ItemKind::text, u"about gardens"_s); // 2
    Item titleOnly = item(u"Garden plan"_s);                             // 6
    Item titleAndText = item(u"garden"_s, ItemKind::text, u"garden"_s);  // 8
    Item titleAndTag = item(u"garden"_s);                                // 6 + 4
    titleAndTag.tags = QStringList{u"Tools"_s};
    Item detailAndSource = item(u"x"_s); // 3 + 2 + 2 (tools in detail, source, text)
    detailAndSource.detail = u"garden tools"_s;
    detailAndSource.source = u"Toolshed"_s;
    Item tagTwice = item(u"y"_s); // a tag adds 4 once, however many tags match
    tagTwice.tags = QStringList{u"tools"_s, u"Power Tools"_s};

    const QList<Item> items{textOnly,    titleOnly,       titleAndText,
                            titleAndTag, detailAndSource, tagTwice};
    ItemSearch search;
    // garden tools: titleAndTag 10, detailAndSource 3+3+2 = 8, titleAndText 8
    // (equal: input order), titleOnly 6, tagTwice 4, textOnly 2.
    EXPECT_EQ(titles(search.results(items, u"garden tools"_s)),
              (QStringList{u"garden"_s, u"garden"_s, u"x"_s, u"Garden plan"_s, u"y"_s, u"misc"_s}));
    const QList<Item> found = search.results(items, u"garden tools"_s);
    EXPECT_EQ(found[0], titleAndTag);
    EXPECT_EQ(found[1], titleAndText);
    EXPECT_EQ(found[2], detailAndSource);
}

TEST(ItemSearch, LetterCaseNeverMattersAndWordsMatchInsideWords) {
    Item a = item(u"Learning SWIFT"_s);
    Item b = item(u"my blog"_s);
    Item c = item(u"Ärgerlich"_s);
    const QList<Item> items{a, b, c};
    ItemSearch search;
    EXPECT_EQ(search.results(items, u"Swift"_s), search.results(items, u"swift"_s));
    EXPECT_EQ(search.results(items, u"swift"_s), QList<Item>{a});
    EXPECT_EQ(search.results(items, u"LOG"_s), QList<Item>{b});
    EXPECT_EQ(search.results(items, u"ärger"_s), QList<Item>{c});
}

TEST(ItemSearch, SourceCountsOnlyWhenPresent) {
    Item note = item(u"a"_s);
    note.source = u"Quick Note"_s;
    Item pasted = item(u"b"_s);
    const QList<Item> items{pasted, note};
    ItemSearch search;
    EXPECT_EQ(search.results(items, u"quick"_s), QList<Item>{note});
}

TEST(ItemSearch, EqualScoresKeepTheirInputOrder) {
    QList<Item> items;
    for (int i = 0; i < 6; ++i)
        items.append(item(u"garden %1"_s.arg(i)));
    ItemSearch search;
    EXPECT_EQ(search.results(items, u"garden"_s), items);
}

TEST(ItemSearch, ChangedItemsAreReadAgain) {
    QList<Item> items{item(u"apples"_s)};
    ItemSearch search;
    EXPECT_EQ(search.results(items, u"pears"_s).size(), 0);
    items[0].title = u"pears"_s;
    EXPECT_EQ(search.results(items, u"pears"_s), items);
    items[0].tags = QStringList{u"Fruit"_s};
    EXPECT_EQ(search.results(items, u"fruit"_s), items);
    // The same id with other content, as after an item is replaced.
    Item replaced = items[0];
    replaced.title = u"plums"_s;
    replaced.tags.reset();
    EXPECT_EQ(search.results({replaced}, u"pears"_s).size(), 0);
    EXPECT_EQ(search.results({replaced}, u"plums"_s).size(), 1);
    // Both at once, as a damaged index may hold them: each is judged by its own fields.
    const QList<Item> both{items[0], replaced};
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(titles(search.results(both, u"pears"_s)), QStringList{u"pears"_s});
        EXPECT_EQ(titles(search.results(both, u"plums"_s)), QStringList{u"plums"_s});
    }
}

TEST(SearchText, ContainsExactlyWhatTheStringContains) {
    // Random strings over an alphabet of one-, two- and three-byte units and
    // both halves of a surrogate pair, at lengths around the vector widths.
    const QList<QChar> alphabet{u'a',          u'b',          u' ',          QChar(0xE4),
                                QChar(0x3B1),  QChar(0x65E5), QChar(0xD801), QChar(0xDC00),
                                QChar(0xFFFD), QChar(0x80)};
    std::mt19937 random(5);
    auto randomString = [&](int length) {
        QString s;
        for (int i = 0; i < length; ++i)
            s += alphabet[int(random() % alphabet.size())];
        return s;
    };
    int found = 0;
    for (int round = 0; round < 20000; ++round) {
        const QString hay = randomString(int(random() % 80));
        QString needle;
        if (round % 2 == 0 && hay.size() > 0) {
            const int start = int(random() % hay.size());
            needle = hay.mid(start, 1 + int(random() % 6));
            if (random() % 3 == 0 && !needle.isEmpty())
                needle[needle.size() - 1] = alphabet[int(random() % alphabet.size())];
        } else {
            needle = randomString(1 + int(random() % 4));
        }
        const bool expected = hay.contains(needle);
        found += expected;
        ASSERT_EQ(SearchText(hay).contains(SearchText(needle)), expected) << "round " << round;
    }
    EXPECT_GT(found, 5000);
    EXPECT_TRUE(SearchText(u"abc"_s).contains(SearchText()));
    EXPECT_FALSE(SearchText().contains(SearchText(u"a"_s)));
}

TEST(SearchText, FindsMatchesAtEveryPositionOfALongText) {
    QString hay(300, u'x');
    for (int position = 0; position + 5 <= hay.size(); position += 1) {
        QString text = hay;
        text.replace(position, 5, u"gárd\u65E5"_s);
        ASSERT_TRUE(SearchText(text).contains(SearchText(u"gárd\u65E5"_s))) << position;
        ASSERT_FALSE(SearchText(text).contains(SearchText(u"gárdx\u65E5"_s))) << position;
    }
}
