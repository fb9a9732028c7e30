#include "common/Graphemes.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// A family emoji (four people joined by zero-width joiners) is one character.
const QString family = u"\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466"_s;
// e followed by a combining acute accent is one character.
const QString eAcute = u"e\u0301"_s;
} // namespace

TEST(Graphemes, CountsUserPerceivedCharactersNotCodeUnits) {
    EXPECT_EQ(Graphemes::count(u""_s), 0);
    EXPECT_EQ(Graphemes::count(u"abc"_s), 3);
    EXPECT_EQ(Graphemes::count(family), 1);
    EXPECT_EQ(Graphemes::count(eAcute + eAcute), 2);
    EXPECT_EQ(Graphemes::count(u"\r\n"_s), 1);
}

TEST(Graphemes, PrefixNeverSplitsACharacter) {
    EXPECT_EQ(Graphemes::prefix(family + u"ab"_s, 1), family);
    EXPECT_EQ(Graphemes::prefix(eAcute + u"x"_s, 1), eAcute);
    EXPECT_EQ(Graphemes::prefix(u"abc"_s, 10), u"abc"_s);
    EXPECT_EQ(Graphemes::prefix(u"abc"_s, 0), u""_s);
}

TEST(Graphemes, HasAtLeastStopsAtTheBoundary) {
    EXPECT_TRUE(Graphemes::hasAtLeast(u"abc"_s, 3));
    EXPECT_FALSE(Graphemes::hasAtLeast(u"abc"_s, 4));
    // Eight UTF-16 units, but two characters.
    EXPECT_FALSE(Graphemes::hasAtLeast(family + eAcute, 3));
    EXPECT_TRUE(Graphemes::hasAtLeast(family + eAcute, 2));
}

TEST(Graphemes, FastPathAgreesWithTheBoundaryFinderOnMixedText) {
    // Plain letters next to combining marks, CR LF, emoji sequences, flags and
    // Hangul: every prefix length must end where the boundary finder says.
    const QString mixed = u"ab\r\ncd"_s + eAcute + u"x"_s + family + u"\U0001F1EB\U0001F1F7"_s +
                          u"\u1100\u1161\u11A8"_s + u"z\u0308\u0301 tail"_s;
    QString text;
    for (int i = 0; i < 40; ++i)
        text += mixed;
    QList<qsizetype> boundaries;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype b = finder.toNextBoundary(); b > 0; b = finder.toNextBoundary())
        boundaries.append(b);
    EXPECT_EQ(Graphemes::count(text), boundaries.size());
    for (qsizetype n = 1; n <= boundaries.size(); ++n)
        ASSERT_EQ(Graphemes::endOfFirst(text, n), boundaries[n - 1]) << n;
    EXPECT_TRUE(Graphemes::hasAtLeast(text, boundaries.size()));
    EXPECT_FALSE(Graphemes::hasAtLeast(text, boundaries.size() + 1));
}

TEST(Graphemes, ClustersLongerThanTheWindowStayWhole) {
    // One base letter with 500 combining marks is a single character.
    const QString zalgo = u"a"_s + QString(500, QChar(0x0301)) + u"b"_s;
    EXPECT_EQ(Graphemes::count(zalgo), 2);
    EXPECT_EQ(Graphemes::endOfFirst(zalgo, 1), 501);
}
