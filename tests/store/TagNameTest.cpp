#include "store/TagName.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TagNameClean, CollapsesEveryKindOfWhiteSpaceAndKeepsCase) {
    EXPECT_EQ(TagName::clean(u"  machine\n  learning\tnotes "_s), u"machine learning notes"_s);
    EXPECT_EQ(TagName::clean(u"Deep\u2028Work\u0085Mode\u3000X"_s), u"Deep Work Mode X"_s);
    EXPECT_EQ(TagName::clean(u"MiXeD"_s), u"MiXeD"_s);
}

TEST(TagNameClean, WhiteSpaceOnlyGivesNoTag) {
    EXPECT_FALSE(TagName::clean(u""_s).has_value());
    EXPECT_FALSE(TagName::clean(u" \t\r\n \u2029"_s).has_value());
}

TEST(TagNameClean, CutsAt28UserPerceivedCharacters) {
    const QString forty = u"abcdefghijklmnopqrstuvwxyz0123456789ABCD"_s;
    EXPECT_EQ(TagName::clean(forty), forty.left(28));
    const QString exactly28 = forty.left(28);
    EXPECT_EQ(TagName::clean(exactly28), exactly28);

    // 30 flags are 60 code points; the cut keeps 28 whole flags.
    QString flags;
    for (int i = 0; i < 30; ++i)
        flags += u"\U0001F1EB\U0001F1F7"_s;
    const std::optional<QString> cut = TagName::clean(flags);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->size(), 28 * 4);
}
