#include "library/MasonryLayout.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

Item item(ItemKind kind, QString title = u"t"_s) {
    Item item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    item.title = std::move(title);
    return item;
}

Item text(qsizetype characters) {
    Item i = item(ItemKind::text);
    i.text = QString(characters, u'a');
    return i;
}

} // namespace

TEST(MasonryLayout, ColumnsFollowTheWidth) {
    struct Case {
        qreal width;
        int columns;
    };
    for (const Case& c : {Case{200, 2}, Case{839, 2}, Case{840, 3}, Case{1119, 3}, Case{1120, 4},
                          Case{2400, 4}, Case{0, 2}}) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(MasonryLayout::columnCount(c.width), c.columns);
    }
    EXPECT_DOUBLE_EQ(MasonryLayout::columnWidth(1120, 4), (1120 - 32 - 36) / 4.0);
    EXPECT_DOUBLE_EQ(MasonryLayout::columnWidth(840, 3), (840 - 32 - 24) / 3.0);
    EXPECT_DOUBLE_EQ(MasonryLayout::columnWidth(150, 2), 120) << "a very narrow grid keeps 120";
}

TEST(MasonryLayout, EstimatesByKindAndLength) {
    Item file = item(ItemKind::file);
    Item fileWithThumb = file;
    fileWithThumb.thumbFileName = u"t.png"_s;
    Item fileEmptyThumb = file;
    fileEmptyThumb.thumbFileName = u""_s;
    Item link = item(ItemKind::link);
    Item linkWithThumb = link;
    linkWithThumb.thumbFileName = u"p.png"_s;
    Item titleOnly = item(ItemKind::text, QString(100, u'b'));
    Item crlf = item(ItemKind::text);
    crlf.text = u"ab\r\ncd"_s; // a line-break pair is one character
    Item accents = item(ItemKind::text);
    accents.text = u"e\u0301e\u0301"_s;
    Item emoji = item(ItemKind::text);
    emoji.text = QString(10, u'x') + u"👍🏽"_s; // one character with its skin tone

    struct Case {
        const char* name;
        Item item;
        qreal height;
    };
    const QList<Case> cases{
        {"image", item(ItemKind::image), 250},
        {"file", file, 92},
        {"file with thumbnail", fileWithThumb, 240},
        {"file with empty thumbnail name", fileEmptyThumb, 92},
        {"link", link, 130},
        {"link with preview", linkWithThumb, 260},
        {"10 characters", text(10), 77},
        {"700 characters", text(700), 284},
        {"5000 characters", text(5000), 284},
        {"title when text is absent", titleOnly, 104},
        {"grapheme clusters counted once", emoji, 74 + 0.3 * 11},
        {"line-break pair", crlf, 74 + 0.3 * 5},
        {"combining accents", accents, 74 + 0.3 * 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(MasonryLayout::estimatedHeight(c.item), c.height);
    }
    EXPECT_DOUBLE_EQ(
        MasonryLayout::estimatedHeight(GridEntry::stack(u"k"_s, {item(ItemKind::image), text(10)})),
        266);
    GridEntry emptyStack = GridEntry::stack(u"k"_s, {});
    EXPECT_DOUBLE_EQ(MasonryLayout::estimatedHeight(emptyStack), 136);
}

TEST(MasonryLayout, EachEntryGoesToTheShortestColumnFirstOnTies) {
    QList<GridEntry> equal;
    for (int i = 0; i < 5; ++i)
        equal.append(GridEntry::single(item(ItemKind::image)));
    const auto columns = MasonryLayout::distribute(equal, 3);
    ASSERT_EQ(columns.size(), 3);
    EXPECT_EQ(columns[0], (QList<int>{0, 3}));
    EXPECT_EQ(columns[1], (QList<int>{1, 4}));
    EXPECT_EQ(columns[2], (QList<int>{2}));

    // A tall first card leaves its column behind until the others catch up.
    const QList<GridEntry> mixed{GridEntry::single(text(700)),              // 284
                                 GridEntry::single(item(ItemKind::file)),   // 92
                                 GridEntry::single(item(ItemKind::file)),   // 92 → 184
                                 GridEntry::single(item(ItemKind::link)),   // 130 → 314
                                 GridEntry::single(item(ItemKind::image))}; // to column 0
    const auto two = MasonryLayout::distribute(mixed, 2);
    EXPECT_EQ(two[0], (QList<int>{0, 4}));
    EXPECT_EQ(two[1], (QList<int>{1, 2, 3}));
    EXPECT_TRUE(MasonryLayout::distribute(QList<GridEntry>{}, 4).at(3).isEmpty());
}

TEST(MasonryLayout, PlacementStacksCardsWithSpacingAndFindsTheVisibleOnes) {
    QList<GridEntry> entries;
    for (int i = 0; i < 40; ++i)
        entries.append(GridEntry::single(item(ItemKind::image)));
    const auto placement = MasonryLayout::place(entries, 1120);
    EXPECT_EQ(placement.columns, 4);
    EXPECT_EQ(placement.cards[0], QRectF(16, 14, placement.columnWidth, 250));
    EXPECT_EQ(placement.cards[4], QRectF(16, 14 + 250 + 12, placement.columnWidth, 250));
    EXPECT_DOUBLE_EQ(placement.cards[1].left(), 16 + placement.columnWidth + 12);
    EXPECT_DOUBLE_EQ(placement.contentHeight, 14 + 10 * 250 + 9 * 12 + 92);

    const QList<int> visible = MasonryLayout::visibleCards(placement, 0, 300);
    EXPECT_EQ(visible, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(MasonryLayout::visibleCards(placement, 5000, 6000).isEmpty());

    // The view's own heights place the cards; the estimates still balance them.
    const auto custom =
        MasonryLayout::place(entries, 840, [](const GridEntry&, qreal width) { return width / 2; });
    EXPECT_DOUBLE_EQ(custom.cards[0].height(), custom.columnWidth / 2);
    EXPECT_EQ(MasonryLayout::place(QList<GridEntry>{}, 900).contentHeight, 14 + 92);
}

TEST(MasonryLayout, PicturesFillTheWidthAtTheirOwnAspectWithinBounds) {
    struct Case {
        const char* name;
        QSizeF picture;
        qreal height;
    };
    for (const Case& c :
         {Case{"landscape photo", {4000, 3000}, 150},
          Case{"portrait photo", {3000, 4000}, 200 * 4.0 / 3}, Case{"square icon", {16, 16}, 200},
          Case{"phone screenshot", {1080, 2160}, 400},
          Case{"long receipt, cut at twice the width", {600, 4000}, 400},
          Case{"panorama, at least half the width", {8000, 1000}, 100},
          Case{"no size", {0, 0}, 200}}) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(MasonryLayout::pictureHeight(c.picture, 200), c.height);
    }
}
