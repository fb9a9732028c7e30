#include "store/Item.h"

#include "common/ReferenceDate.h"
#include "support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

Item itemWith(std::optional<QString> category, std::optional<QStringList> tags) {
    Item item;
    item.id = QUuid::createUuid();
    item.title = u"t"_s;
    item.detail = u"d"_s;
    item.category = std::move(category);
    item.tags = std::move(tags);
    return item;
}

QJsonObject parse(const char* json) {
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

} // namespace

TEST(ItemTags, UserTagsReplaceTheAutomaticCategory) {
    EXPECT_EQ(itemWith(u"Design"_s, std::nullopt).displayTags(), QStringList{u"Design"_s});
    EXPECT_EQ(itemWith(u"Design"_s, QStringList{}).displayTags(), QStringList{});
    EXPECT_EQ(itemWith(u"Design"_s, QStringList{u"Work"_s}).displayTags(), QStringList{u"Work"_s});
    EXPECT_EQ(itemWith(u""_s, std::nullopt).displayTags(), QStringList{});
    EXPECT_EQ(itemWith(std::nullopt, std::nullopt).displayTags(), QStringList{});
}

TEST(ItemTags, HasTagIgnoresLetterCaseButNotPartialNames) {
    const Item item = itemWith(u"Design"_s, std::nullopt);
    EXPECT_TRUE(item.hasTag(u"design"_s));
    EXPECT_TRUE(item.hasTag(u"DESIGN"_s));
    EXPECT_FALSE(item.hasTag(u"Des"_s));
    EXPECT_FALSE(itemWith(u"Design"_s, QStringList{}).hasTag(u"Design"_s));
}

TEST(ItemJson, WritesExactlyTheKnownKeysAndLeavesAbsentOnesOut) {
    Item item = itemWith(std::nullopt, std::nullopt);
    item.id = QUuid(u"{6f1c2d3e-4b5a-4c6d-8e7f-0a1b2c3d4e5f}"_s);
    item.kind = ItemKind::link;
    item.savedAt = 12.5;
    const QJsonObject json = item.toJson();
    EXPECT_EQ(json.keys(),
              (QStringList{u"detail"_s, u"id"_s, u"kind"_s, u"savedAt"_s, u"title"_s}));
    EXPECT_EQ(json.value(u"id"_s).toString(), u"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F"_s);
    EXPECT_EQ(json.value(u"kind"_s).toString(), u"link"_s);
    EXPECT_EQ(json.value(u"savedAt"_s).toDouble(), 12.5);
}

TEST(ItemJson, RoundTripKeepsEveryFieldAndTheEmptyTagList) {
    Item item = itemWith(u"Code"_s, QStringList{});
    item.kind = ItemKind::file;
    item.fileName = u"A.pdf"_s;
    item.text = u"hello\nworld"_s;
    item.savedAt = 786543210.123456;
    item.source = u"Quick Note"_s;
    item.thumbFileName = u"B.png"_s;
    item.iconFileName = u"C.png"_s;

    const QByteArray written = QJsonDocument(item.toJson()).toJson(QJsonDocument::Compact);
    EXPECT_TRUE(written.contains("\"tags\":[]"));
    const std::optional<Item> back = Item::fromJson(QJsonDocument::fromJson(written).object());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, item);
    ASSERT_TRUE(back->tags.has_value());
    EXPECT_TRUE(back->tags->isEmpty());
}

TEST(ItemJson, ReadsLowerCaseIdsAndNullOptionalsAndIgnoresUnknownKeys) {
    const std::optional<Item> item = Item::fromJson(parse(
        R"({"id":"6f1c2d3e-4b5a-4c6d-8e7f-0a1b2c3d4e5f","kind":"text","title":"a","detail":"b",)"
        R"("savedAt":0,"text":null,"thumbFileName":null,"somethingNew":true})"));
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(idString(item->id), u"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F"_s);
    EXPECT_FALSE(item->text.has_value());
    EXPECT_FALSE(item->tags.has_value());
    const QJsonObject back = item->toJson();
    EXPECT_FALSE(back.contains(u"thumbFileName"_s));
    EXPECT_FALSE(back.contains(u"somethingNew"_s));
}

TEST(ItemJson, RejectsObjectsMissingOrMistypingARequiredField) {
    const char* valid =
        R"({"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"image","title":"a","detail":"b","savedAt":1})";
    ASSERT_TRUE(Item::fromJson(parse(valid)).has_value());

    const char* unreadable[] = {
        R"({"kind":"image","title":"a","detail":"b","savedAt":1})",
        R"({"id":"not-a-uuid","kind":"image","title":"a","detail":"b","savedAt":1})",
        R"({"id":"{6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F}","kind":"image","title":"a","detail":"b","savedAt":1})",
        R"({"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"note","title":"a","detail":"b","savedAt":1})",
        R"({"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"image","detail":"b","savedAt":1})",
        R"({"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"image","title":3,"detail":"b","savedAt":1})",
        R"({"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"image","title":"a","savedAt":1})",
        R"({"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"image","title":"a","detail":"b","savedAt":"2024-01-01"})",
        R"({"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"image","title":"a","detail":"b"})",
    };
    for (const char* json : unreadable)
        EXPECT_FALSE(Item::fromJson(parse(json)).has_value()) << json;
}

TEST(ReferenceDate, ZeroIsTheFirstSecondOf2001InUtc) {
    EXPECT_EQ(ReferenceDate::toDateTime(0).toString(Qt::ISODate), u"2001-01-01T00:00:00Z"_s);
    const QDateTime later = QDateTime::fromString(u"2024-03-01T12:30:00.250Z"_s, Qt::ISODateWithMs);
    EXPECT_DOUBLE_EQ(ReferenceDate::secondsFrom(later), 730989000.25);
    EXPECT_EQ(ReferenceDate::toDateTime(ReferenceDate::secondsFrom(later)), later);
}
