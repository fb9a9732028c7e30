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
