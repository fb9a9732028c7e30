#include "organise/LibraryState.h"

#include "organise/KeywordPass.h"
#include "organise/OrganisePrinters.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

Item item(QString title, ItemKind kind = ItemKind::text) {
    Item item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    item.title = std::move(title);
    item.detail = u"Text snippet"_s;
    return item;
}

Item tagged(QString title, QStringList tags) {
    Item i = item(std::move(title));
    i.tags = std::move(tags);
    return i;
}

QStringList identities(const QList<GridEntry>& entries) {
    QStringList result;
    for (const GridEntry& entry : entries)
        result.append(entry.identity());
    return result;
}

} // namespace

TEST(LibraryFilter, TabsSplitItemsByKindAndNotesBySource) {
    Item note = item(u"note"_s);
    note.source = u"Quick Note"_s;
    Item pasted = item(u"pasted"_s);
    pasted.source = u"Firefox"_s;
    const Item unknownSource = item(u"plain"_s);
    const Item image = item(u"img"_s, ItemKind::image);
    const Item file = item(u"doc"_s, ItemKind::file);
    const Item link = item(u"web"_s, ItemKind::link);
    const QList<Item> items{note, pasted, unknownSource, image, file, link};

    struct Case {
        LibraryFilter filter;
        QList<Item> shown;
    } cases[] = {
        {LibraryFilter::all, items},
        {LibraryFilter::notes, {note}},
        {LibraryFilter::text, {pasted, unknownSource}},
        {LibraryFilter::images, {image}},
        {LibraryFilter::documents, {file}},
        {LibraryFilter::links, {link}},
    };
    LibraryState state;
    state.grouping = LibraryGrouping::none;
    for (const Case& c : cases) {
        state.filter = c.filter;
        EXPECT_EQ(state.filtered(items), c.shown) << label(c.filter).toStdString();
        EXPECT_EQ(state.admittedCount(items), c.shown.size());
    }
    EXPECT_EQ(libraryFilterNamed(u"documents"_s), LibraryFilter::documents);
    EXPECT_EQ(libraryFilterNamed(u"Notes"_s), LibraryFilter::notes);
    EXPECT_EQ(libraryFilterNamed(u"docs"_s), std::nullopt);
}

TEST(LibraryGrouping, StoredValuesAndTheirFallback) {
    EXPECT_EQ(libraryGroupingFromStoredValue(u"tags"_s), LibraryGrouping::tags);
    EXPECT_EQ(libraryGroupingFromStoredValue(u"none"_s), LibraryGrouping::none);
    EXPECT_EQ(libraryGroupingFromStoredValue(u"Tags"_s), LibraryGrouping::topics);
    EXPECT_EQ(libraryGroupingFromStoredValue(QString()), LibraryGrouping::topics);
    EXPECT_EQ(label(LibraryGrouping::topics), u"Smart Topics"_s);
}

TEST(LibraryState, StacksStandAtTheirFirstMemberAndOnlyWithoutAQuery) {
    const Item lone = item(u"violin lessons"_s);
    const Item a = item(u"garden tomatoes"_s);
    const Item other = item(u"tax forms"_s);
    const Item b = item(u"tomatoes garden"_s);
    const QList<Item> items{lone, a, other, b};
    LibraryState state;

    const QString stackId = u"stack-Garden"_s;
    EXPECT_EQ(identities(state.entries(items)),
              (QStringList{idString(lone.id), stackId, idString(other.id)}));
    const QList<GridEntry> entries = state.entries(items);
    EXPECT_EQ(entries[1].items, (QList<Item>{a, b}));
    EXPECT_EQ(entries[0].identity(), idString(lone.id));
    EXPECT_EQ(entries[0].identity(), entries[0].identity().toUpper());

    // While searching there are no stacks; a query of spaces shows everything,
    // still without stacks; clearing it brings the stack back.
    state.query = u"garden"_s;
    EXPECT_EQ(identities(state.entries(items)), (QStringList{idString(a.id), idString(b.id)}));
    state.query = u"  "_s;
    EXPECT_EQ(state.entries(items).size(), 4);
    state.query.clear();
    EXPECT_EQ(state.entries(items).size(), 3);

    state.grouping = LibraryGrouping::none;
    EXPECT_EQ(state.entries(items).size(), 4);
    EXPECT_TRUE(state.topicClusters(items).isEmpty());
}

TEST(LibraryState, TagGroupingStacksByFirstTagOnly) {
    const Item designWork = tagged(u"a"_s, {u"Design"_s, u"Work"_s});
    const Item work = tagged(u"b"_s, {u"Work"_s});
    const Item design = tagged(u"c"_s, {u"Design"_s});
    const Item single = tagged(u"d"_s, {u"Home"_s});
    Item categorised = item(u"e"_s);
    categorised.category = u"Work"_s;
    const QList<Item> items{designWork, work, design, single, categorised};
    LibraryState state;
    state.grouping = LibraryGrouping::tags;

    EXPECT_EQ(state.topicClusters(items), (QList<TopicCluster>{{u"Design"_s, {designWork, design}},
                                                               {u"Work"_s, {work, categorised}}}));
    EXPECT_EQ(identities(state.entries(items)),
              (QStringList{u"stack-Design"_s, u"stack-Work"_s, idString(single.id)}));

    // With a tag chip chosen nothing is stacked.
    state.tagFilter = u"work"_s;
    EXPECT_TRUE(state.topicClusters(items).isEmpty());
    EXPECT_EQ(state.entries(items).size(), 3);
}

TEST(LibraryState, TagChipsCountDisplayTagsOfTheTabIgnoringTheQuery) {
    Item linkNews = item(u"n"_s, ItemKind::link);
    linkNews.tags = QStringList{u"News"_s};
    const QList<Item> items{tagged(u"newest"_s, {u"Work"_s}),
                            tagged(u"x"_s, {u"Home"_s, u"work"_s}),
                            tagged(u"y"_s, {u"Home"_s}),
                            tagged(u"z"_s, {u"Work"_s}),
                            tagged(u"empty"_s, {}),
                            item(u"auto"_s),
                            linkNews};
    LibraryState state;
    state.query = u"newest"_s;
    state.tagFilter = u"Home"_s;
    // Work and Home both have 2: Work first, as the newest item shows it first;
    // spellings are counted apart.
    EXPECT_EQ(state.tagCounts(items),
              (QList<TagCount>{{u"Work"_s, 2}, {u"Home"_s, 2}, {u"work"_s, 1}, {u"News"_s, 1}}));
    EXPECT_EQ(state.untaggedCount(items), 2);
    state.filter = LibraryFilter::links;
    EXPECT_EQ(state.tagCounts(items), (QList<TagCount>{{u"News"_s, 1}}));
    EXPECT_EQ(state.untaggedCount(items), 0);
}

TEST(LibraryState, TagFilterKeepsMatchingItemsIgnoringCase) {
    const Item work = tagged(u"a"_s, {u"Work"_s});
    const Item none = tagged(u"b"_s, {});
    Item category = item(u"c"_s);
    category.category = u"work"_s;
    const QList<Item> items{work, none, category};
    LibraryState state;
    state.tagFilter = u"WORK"_s;
    EXPECT_EQ(state.filtered(items), (QList<Item>{work, category}));
    state.tagFilter = LibraryState::untaggedMarker();
    EXPECT_EQ(state.filtered(items), QList<Item>{none});
    EXPECT_EQ(LibraryState::untaggedMarker().size(), 9);
    EXPECT_EQ(LibraryState::untaggedMarker()[0], QChar(0));
}

TEST(LibraryState, TagFilterIsClearedWhenItsChipDisappears) {
    QList<Item> items{tagged(u"a"_s, {u"Work"_s}), item(u"b"_s)};
    LibraryState state;

    state.tagFilter = LibraryState::untaggedMarker();
    EXPECT_FALSE(state.keepTagFilterValid(items));
    EXPECT_EQ(state.tagFilter, LibraryState::untaggedMarker());
    items.removeLast(); // the last untagged item is deleted
    EXPECT_TRUE(state.keepTagFilterValid(items));
    EXPECT_EQ(state.tagFilter, std::nullopt);

    state.tagFilter = u"Work"_s;
    EXPECT_FALSE(state.keepTagFilterValid(items));
    items[0].tags = QStringList{u"Jobs"_s}; // renamed away
    EXPECT_TRUE(state.keepTagFilterValid(items));
    EXPECT_EQ(state.tagFilter, std::nullopt);

    // Chips compare exactly: "work" is not the chip "Jobs" nor "Work".
    state.tagFilter = u"jobs"_s;
    EXPECT_TRUE(state.keepTagFilterValid(items));

    // The Untagged chip is offered only beside a tag chip: with no tags left
    // its selection goes back to All too.
    items = {item(u"x"_s), item(u"y"_s)};
    state.tagFilter = LibraryState::untaggedMarker();
    EXPECT_TRUE(state.keepTagFilterValid(items));
}

TEST(LibraryState, GridGathersEverythingTheViewDraws) {
    const QList<Item> items{tagged(u"garden tomatoes"_s, {u"Home"_s}), item(u"tomatoes garden"_s),
                            item(u"music"_s, ItemKind::image)};
    LibraryState state;
    const LibraryState::Grid grid = state.grid(items);
    EXPECT_EQ(grid.filtered, items);
    EXPECT_EQ(identities(grid.entries), (QStringList{u"stack-Garden"_s, idString(items[2].id)}));
    EXPECT_EQ(grid.tagCounts, (QList<TagCount>{{u"Home"_s, 1}}));
    EXPECT_EQ(grid.untaggedCount, 2);
    EXPECT_EQ(grid.admittedCount, 3);
}

namespace {

// Two items per topic, each pair sharing two made-up words of its own.
QList<Item> pairedTopics(int count) {
    const auto word = [](int n) {
        QString letters;
        for (int i = 0; i < 3; ++i, n /= 26)
            letters.append(QChar(u'a' + n % 26));
        return letters;
    };
    QList<Item> items;
    for (int i = 0; i < count; ++i) {
        const QString topic = word(i / 2);
        items.append(item(u"orchard%1 harvest%1"_s.arg(topic)));
    }
    return items;
}

} // namespace

// The first grouping of a large library reads its keywords on another
// thread; what it adopts must group exactly as reading in place would,
// including for an item that changed while the keywords were being read.
TEST(LibraryState, KeywordsReadInTheBackgroundGroupAsIfReadInPlace) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QList<Item> items = pairedTopics(int(LibraryState::keywordPassSize) + 100);
    LibraryState state;
    ASSERT_TRUE(state.needsKeywordPass(items));
    state.topicsDeferred = true;
    const QList<GridEntry> deferred = state.entries(items);
    EXPECT_EQ(deferred.size(), items.size()) << "no stacks while their keywords are being read";

    KeywordPass pass;
    bool ready = false;
    QObject receiver;
    ASSERT_TRUE(pass.start(items, &receiver, [&ready] { ready = true; }));
    EXPECT_FALSE(pass.start(items, &receiver, [] {})) << "one read at a time";
    // Changed meanwhile: it no longer shares its words with its pair.
    items[1].title = u"something else entirely"_s;
    for (int i = 0; i < 2000 && !ready; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    ASSERT_TRUE(ready);
    state.adoptKeywords(pass.take());
    state.topicsDeferred = false;
    EXPECT_FALSE(pass.running());
    EXPECT_FALSE(state.needsKeywordPass(items));

    LibraryState inPlace;
    const QList<GridEntry> expected = inPlace.entries(items);
    EXPECT_EQ(identities(state.entries(items)), identities(expected));
    EXPECT_FALSE(expected.front().isStack()) << "the changed item stands alone";
    EXPECT_TRUE(expected.back().isStack());
}
