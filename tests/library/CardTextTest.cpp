#include "library/CardText.h"

#include "common/ReferenceDate.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

Item item(ItemKind kind) {
    Item item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    item.title = u"title"_s;
    return item;
}

} // namespace

TEST(CardText, FooterNamesTheSiteTheSourceOrTheKind) {
    Item www = item(ItemKind::link);
    www.detail = u"https://www.nytimes.com/section/travel"_s;
    www.source = u"Firefox"_s;
    Item subdomain = item(ItemKind::link);
    subdomain.detail = u"https://docs.www.example.org/x"_s;
    Item pasted = item(ItemKind::text);
    pasted.source = u"Terminal"_s;
    struct Case {
        const char* name;
        Item item;
        QString label;
    };
    const QList<Case> cases{
        {"link without www.", www, u"nytimes.com"_s},
        {"every www. goes", subdomain, u"docs.example.org"_s},
        {"pasted text", pasted, u"Terminal"_s},
        {"dropped image", item(ItemKind::image), u"Image"_s},
        {"file", item(ItemKind::file), u"File"_s},
        {"text", item(ItemKind::text), u"Text"_s},
        {"link without address", item(ItemKind::link), u""_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CardText::footerLabel(c.item), c.label);
    }
}

TEST(CardText, RelativeTimeInTheLocalesShortUnits) {
    const QDateTime now = ReferenceDate::toDateTime(800'000'000);
    struct Case {
        QLocale locale;
        double ago;
        QString text;
    };
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale french(QLocale::French, QLocale::France);
    for (const Case& c :
         {Case{us, 0, u"Just now"_s}, Case{us, 30, u"Just now"_s}, Case{us, 59.9, u"Just now"_s},
          Case{us, -120, u"Just now"_s}, Case{us, 60, u"1 min. ago"_s},
          Case{us, 45 * 60, u"45 min. ago"_s}, Case{us, 3 * 3600 + 5, u"3 hr. ago"_s},
          Case{us, 86400, u"1 day ago"_s}, Case{us, 3 * 86400, u"3 days ago"_s},
          Case{us, 14 * 86400, u"2 wk. ago"_s}, Case{us, 60 * 86400, u"2 mo. ago"_s},
          Case{us, 800 * 86400, u"2 yr. ago"_s}, Case{german, 5 * 60, u"vor 5 Min."_s},
          Case{german, 2 * 86400, u"vor 2 Tagen"_s}, Case{french, 3 * 3600, u"il y a 3\u00A0h"_s},
          Case{QLocale::c(), 86400, u"1 day ago"_s}}) {
        SCOPED_TRACE(c.locale.name().toStdString() + " " + std::to_string(c.ago));
        EXPECT_EQ(CardText::relativeTime(800'000'000 - c.ago, now, c.locale), c.text);
    }
}

TEST(CardText, TagChipShowsTheFirstTagAndHowManyMore) {
    Item automatic = item(ItemKind::text);
    automatic.category = u"Code"_s;
    EXPECT_EQ(CardText::tagChip(automatic), u"Code"_s);
    EXPECT_EQ(CardText::tagChipHelp(automatic), u"Sorted automatically. Click to change."_s);

    Item tagged = automatic;
    tagged.tags = QStringList{u"Work"_s, u"Ideas"_s, u"Home"_s};
    EXPECT_EQ(CardText::tagChip(tagged), u"Work +2"_s);
    EXPECT_EQ(CardText::tagChipHelp(tagged), u"Work, Ideas, Home"_s);

    Item cleared = automatic;
    cleared.tags = QStringList{};
    EXPECT_EQ(CardText::tagChip(cleared), u""_s) << "an empty own list shows no tag";
    EXPECT_EQ(CardText::tagChip(item(ItemKind::text)), u""_s);
}

TEST(CardText, FileSymbolFollowsTheExtension) {
    const QList<QPair<QString, QString>> cases{
        {u"a.PDF"_s, u"doc.richtext"_s},  {u"b.mp3"_s, u"music.note"_s},
        {u"c.m4a"_s, u"music.note"_s},    {u"d.mkv"_s, u"film"_s},
        {u"e.tar.gz"_s, u"archivebox"_s}, {u"f.dmg"_s, u"archivebox"_s},
        {u"g.docx"_s, u"doc"_s},          {u"noextension"_s, u"doc"_s},
    };
    for (const auto& [name, symbol] : cases) {
        Item file = item(ItemKind::file);
        file.fileName = name;
        EXPECT_EQ(CardText::fileSymbol(file), symbol) << name.toStdString();
    }
    EXPECT_EQ(CardText::fileSymbol(item(ItemKind::file)), u"doc"_s);
    EXPECT_EQ(CardText::stackHelp(4), u"Click to expand 4 items"_s);
}
