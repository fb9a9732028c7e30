// The fast search, topics and grid against the direct algorithms on generated
// libraries: many seeds, ties, duplicate labels, chains of linked items,
// letter case outside ASCII, and items that change between calls (so stale
// cached fields would show).

#include "organise/ItemSearch.h"
#include "organise/LibraryState.h"
#include "organise/OrganisePrinters.h"
#include "organise/ReferenceAlgorithms.h"
#include "organise/TopicClusterer.h"

#include <gtest/gtest.h>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// Words chosen to collide: topic islands that share one word ("garden"),
// words differing only in case, letters outside ASCII whose lower case is
// longer or shorter, combining marks, letters outside the BMP, stop words,
// two-letter words, digits inside words and the kinds' own names.
const QStringList vocabulary{u"tomatoes"_s,
                             u"garden"_s,
                             u"compost"_s,
                             u"Garden"_s,
                             u"GARDEN"_s,
                             u"violin"_s,
                             u"concerto"_s,
                             u"orchestra"_s,
                             u"python"_s,
                             u"compiler"_s,
                             u"parser"_s,
                             u"rust"_s,
                             u"borrow"_s,
                             u"Straße"_s,
                             u"STRASSE"_s,
                             u"Ärger"_s,
                             u"ärger"_s,
                             u"ΣΟΦΙΑ"_s,
                             u"σοφια"_s,
                             u"İstanbul"_s,
                             u"istanbul"_s,
                             u"café"_s,
                             u"cafe\u0301"_s,
                             u"naïve"_s,
                             u"𐐀𐐁𐐂"_s,
                             u"𐐨𐐩𐐪"_s,
                             u"日本語"_s,
                             u"\u212Aelvin"_s,
                             u"ǅungla"_s,
                             u"web3"_s,
                             u"e-mail"_s,
                             u"ai"_s,
                             u"ux"_s,
                             u"the"_s,
                             u"and"_s,
                             u"youtube"_s,
                             u"image"_s,
                             u"images"_s,
                             u"file"_s,
                             u"link"_s,
                             u"text"_s,
                             u"blog"_s,
                             u"log"_s,
                             u"🌱sprout"_s,
                             u"zebra"_s,
                             u"apple"_s,
                             u"banana"_s,
                             u"cherry"_s,
                             u"quick"_s,
                             u"note"_s,
                             u"\uFB01sh"_s,
                             u"ﬀoo"_s,
                             u"x"_s + QChar(0xD800) + u"y"_s,
                             u"abc"_s,
                             u"abd"_s,
                             u"abe"_s,
                             u"abf"_s,
                             u"abg"_s,
                             u"abh"_s,
                             u"abi"_s,
                             u"abj"_s,
                             u"abk"_s};

const QStringList separators{u" "_s, u" "_s,      u" "_s,      u", "_s, u"\t"_s, u"\n"_s, u"\r\n"_s,
                             u"—"_s, u"\u00A0"_s, u"\u3000"_s, u"7"_s,  u"_"_s,  u". "_s};

const QStringList tagPool{u"Garden"_s, u"garden"_s, u"Work"_s, u"Design"_s, u"Ärger"_s, u"Quick"_s};

const QStringList sourcePool{u"Quick Note"_s, u"Firefox"_s, u"Notes App"_s, u"Terminal"_s};

struct Generator {
    explicit Generator(std::uint32_t seed) : random(seed) {}

    int below(int n) { return int(random() % std::uint32_t(n)); }
    bool chance(int percent) { return below(100) < percent; }

    QString word() {
        // Small islands of words make most of the text, so items link; most
        // islands share "garden", which sorts first in them, so separate
        // topics often get the same label.
        if (chance(88)) {
            static const QList<QStringList> islands{{u"garden"_s, u"tomatoes"_s, u"zucchini"_s},
                                                    {u"garden"_s, u"violin"_s, u"viola"_s},
                                                    {u"garden"_s, u"python"_s, u"parser"_s},
                                                    {u"garden"_s, u"rust"_s, u"ruby"_s},
                                                    {u"apple"_s, u"banana"_s, u"cherry"_s}};
            const QStringList& island = islands[island_];
            return island[below(int(island.size()))];
        }
        return vocabulary[below(int(vocabulary.size()))];
    }

    QString phrase(int words) {
        QString text;
        for (int i = 0; i < words; ++i) {
            if (i > 0)
                text += separators[below(int(separators.size()))];
            QString w = word();
            if (chance(10))
                w = w.toUpper();
            else if (chance(10))
                w = w.left(1).toUpper() + w.mid(1);
            text += w;
        }
        return text;
    }

    QUuid uuid() {
        return QUuid(uint(random()), ushort(random()), ushort(random()), uchar(random()),
                     uchar(random()), uchar(random()), uchar(random()), uchar(random()),
                     uchar(random()), uchar(random()), uchar(random()));
    }

    Item item() {
        island_ = below(5);
        Item item;
        item.id = uuid();
        item.kind = std::array{ItemKind::file, ItemKind::image, ItemKind::link,
                               ItemKind::text}[size_t(below(4))];
        item.title = phrase(1 + below(4));
        item.detail = chance(50) ? phrase(1 + below(2)) : u"Text snippet"_s;
        if (chance(80)) {
            QString text = phrase(below(14));
            if (chance(15)) {
                // Past the 1500-character cut: these words must not count.
                text += QString(u"x "_s).repeated(800) + phrase(10);
            }
            item.text = text;
        }
        if (chance(75))
            item.source = sourcePool[below(int(sourcePool.size()))];
        if (chance(50))
            item.category = chance(10) ? QString() : tagPool[below(int(tagPool.size()))];
        const int tagRoll = below(10);
        if (tagRoll < 3) {
            QStringList tags;
            for (int i = below(3); i >= 0; --i)
                tags.append(tagPool[below(int(tagPool.size()))]);
            item.tags = tags;
        } else if (tagRoll == 3) {
            item.tags = QStringList{};
        }
        return item;
    }

    QList<Item> items(int count) {
        QList<Item> result;
        for (int i = 0; i < count; ++i) {
            if (!result.isEmpty() && chance(5)) {
                // A copy under a new id: same title, same text, equal scores.
                Item copy = result[below(int(result.size()))];
                copy.id = uuid();
                result.append(copy);
            } else {
                result.append(item());
            }
        }
        return result;
    }

    QString query() {
        static const QStringList spaces{u" "_s,      u"\t"_s, u"\u00A0"_s,
                                        u"\u3000"_s, u"\n"_s, u"  "_s};
        if (chance(5))
            return QString(u" "_s).repeated(below(4));
        QString query;
        if (chance(30))
            query += spaces[below(int(spaces.size()))];
        const int words = 1 + below(3);
        for (int i = 0; i < words; ++i) {
            if (i > 0)
                query += chance(80) ? u" "_s : u"  "_s;
            QString w = chance(20) ? tagPool[below(int(tagPool.size()))] : word();
            if (chance(30) && w.size() > 2) {
                const int start = below(int(w.size()) - 1);
                w = w.mid(start, 2 + below(int(w.size()) - start - 1));
            }
            if (chance(20))
                w = w.toUpper();
            query += w;
        }
        if (chance(30))
            query += spaces[below(int(spaces.size()))];
        return query;
    }

    // Changes some items in place, as enrichment and tag edits do.
    void mutate(QList<Item>& items) {
        for (Item& item : items) {
            if (!chance(10))
                continue;
            switch (below(6)) {
            case 0:
                item.title = phrase(1 + below(3));
                break;
            case 1:
                item.text = phrase(below(20));
                break;
            case 2:
                item.tags = QStringList{tagPool[below(int(tagPool.size()))]};
                break;
            case 3:
                // Same length, other words: a cache must not go by sizes.
                std::reverse(item.title.begin(), item.title.end());
                break;
            case 4:
                if (item.text)
                    std::reverse(item.text->begin(), item.text->end());
                break;
            default:
                item.source.reset();
                break;
            }
        }
        if (!items.isEmpty() && chance(50))
            items.removeAt(below(int(items.size())));
    }

    std::mt19937 random;
    int island_ = 0;
};

std::string describe(const QList<Item>& items) {
    std::string out;
    for (const Item& item : items)
        out += item.title.toStdString() + " | ";
    return out;
}

} // namespace

TEST(FastEqualsReference, SearchAnswersTheSameItemsInTheSameOrder) {
    ItemSearch search; // one instance throughout, so its cache is exercised
    for (std::uint32_t seed = 1; seed <= 150; ++seed) {
        Generator generate(seed);
        QList<Item> items = generate.items(generate.below(60));
        for (int round = 0; round < 4; ++round) {
            for (int q = 0; q < 8; ++q) {
                const QString query = generate.query();
                ASSERT_EQ(search.results(items, query), Reference::search(items, query))
                    << "seed " << seed << " query '" << query.toStdString() << "'";
            }
            generate.mutate(items);
        }
    }
}

// Large enough that the scan is split between threads: the order of equal
// scores must still be the library's order across the slices.
TEST(FastEqualsReference, SearchOfALargeLibraryScannedInParallelIsTheSame) {
    ItemSearch search;
    Generator generate(11);
    QList<Item> items = generate.items(20000);
    for (int q = 0; q < 6; ++q) {
        const QString query = generate.query();
        ASSERT_EQ(search.results(items, query), Reference::search(items, query))
            << "query '" << query.toStdString() << "'";
    }
}

TEST(FastEqualsReference, KeywordsAndClustersAreTheSame) {
    TopicClusterer clusterer;
    int clustered = 0;
    int suffixed = 0;
    for (std::uint32_t seed = 1; seed <= 150; ++seed) {
        Generator generate(seed);
        QList<Item> items = generate.items(generate.below(70));
        for (int round = 0; round < 3; ++round) {
            for (const Item& item : items)
                ASSERT_EQ(TopicClusterer::keywords(item), Reference::keywords(item))
                    << "seed " << seed << " title '" << item.title.toStdString() << "'";
            const QList<TopicCluster> expected = Reference::clusters(items);
            ASSERT_EQ(clusterer.clusters(items), expected)
                << "seed " << seed << ": " << describe(items);
            clustered += int(expected.size());
            for (const TopicCluster& cluster : expected)
                suffixed += cluster.label.endsWith(u" ·"_s);
            generate.mutate(items);
        }
    }
    // The corpora must reach the cases that matter, or the test proves little.
    EXPECT_GT(clustered, 300);
    EXPECT_GT(suffixed, 20) << clustered;
}

// Large enough that new items are read on several threads, with edits that
// leave some items cached and some stale between the rounds.
TEST(FastEqualsReference, ClustersOfALargeLibraryReadInParallelAreTheSame) {
    TopicClusterer clusterer;
    Generator generate(7);
    QList<Item> items = generate.items(1100);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(clusterer.clusters(items), Reference::clusters(items)) << "round " << round;
        for (int edit = 0; edit < 40; ++edit)
            generate.mutate(items);
        items += generate.items(200);
    }
}

TEST(FastEqualsReference, LibraryGridTagsAndCountsAreTheSame) {
    LibraryState state;
    int stacks = 0;
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        Generator generate(seed);
        QList<Item> items = generate.items(generate.below(50));
        for (int round = 0; round < 3; ++round) {
            Reference::View view;
            view.filter = allLibraryFilters[size_t(generate.below(6))];
            view.grouping = allLibraryGroupings[size_t(generate.below(3))];
            view.query = generate.chance(50) ? QString() : generate.query();
            const int tagRoll = generate.below(4);
            if (tagRoll == 1)
                view.tagFilter = LibraryState::untaggedMarker();
            else if (tagRoll >= 2)
                view.tagFilter = tagPool[generate.below(int(tagPool.size()))];
            state.filter = view.filter;
            state.grouping = view.grouping;
            state.query = view.query;
            state.tagFilter = view.tagFilter;

            const std::string where = "seed " + std::to_string(seed) + " round " +
                                      std::to_string(round) + " query '" +
                                      view.query.toStdString() + "'";
            const LibraryState::Grid grid = state.grid(items);
            ASSERT_EQ(grid.filtered, Reference::filtered(items, view)) << where;
            ASSERT_EQ(grid.entries, Reference::entries(items, view)) << where;
            ASSERT_EQ(grid.tagCounts, Reference::tagCounts(items, view)) << where;
            ASSERT_EQ(grid.untaggedCount, Reference::untaggedCount(items, view)) << where;
            ASSERT_EQ(state.filtered(items), grid.filtered) << where;
            ASSERT_EQ(state.entries(items), grid.entries) << where;
            ASSERT_EQ(state.topicClusters(items), Reference::topicClusters(items, view)) << where;
            for (const GridEntry& entry : grid.entries)
                stacks += entry.isStack();
            generate.mutate(items);
        }
    }
    EXPECT_GT(stacks, 50);
}
