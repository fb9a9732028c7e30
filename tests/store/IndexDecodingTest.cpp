#include "store/IndexDecoding.h"

#include "store/IndexFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const char* const id = R"("id":"0F0E0D0C-0B0A-4908-8706-050403020100")";

QByteArray object(const char* fields) {
    return QByteArray("[{") + id + R"(,"kind":"text","title":"T","detail":"D","savedAt":1)" +
           (fields[0] ? "," : "") + fields + "}]";
}

} // namespace

// The fast reader must never read an index differently from Qt's parser, which
// wrote it: where it answers at all, its items are Qt's, field for field, and
// where it cannot, IndexFile::decode still gives Qt's answer.
TEST(IndexDecoding, TheFastReaderAgreesWithQtOrStepsAside) {
    struct Case {
        const char* what;
        QByteArray bytes;
        bool fastAnswers;
    };
    const Case cases[] = {
        {"every field",
         object(R"("fileName":"f","text":"x\u00e9\n","source":"S",)"
                R"("thumbFileName":"t","iconFileName":"i","category":"Code",)"
                R"("tags":["A","\u2603"])"),
         true},
        {"a repeated key keeps its last value", object(R"("text":"first","text":"second")"), true},
        {"a repeated key whose last value is not a string",
         object(R"("category":"Code","category":5)"), true},
        {"tags that are not all strings", object(R"("tags":["A",1,null,"B"])"), true},
        {"tags then something else", object(R"("tags":["A"],"tags":"A")"), true},
        {"an empty tag list", object(R"("tags":[])"), true},
        {"nulls and unknown keys", object(R"("text":null,"extra":{"deep":[1,2]})"), true},
        {"savedAt as a fraction",
         R"([{"id":"0f0e0d0c-0b0a-4908-8706-050403020100",)"
         R"("kind":"link","title":"","detail":"","savedAt":-1.5e3}])",
         true},
        {"the all-zero id",
         R"([{"id":"00000000-0000-0000-0000-000000000000",)"
         R"("kind":"file","title":"","detail":"","savedAt":0}])",
         true},
        {"an empty index", "[]", true},
        // Qt writes a lone surrogate this way and reads it back.
        {"an escaped lone surrogate", object(R"("text":"\ud800x")"), false},
        {"a raw control character", object("\"text\":\"a\x01\""), false},
        {"an id in braces",
         R"([{"id":"{0F0E0D0C-0B0A-4908-8706-050403020100}",)"
         R"("kind":"text","title":"T","detail":"D","savedAt":1}])",
         false},
        {"an unknown kind",
         R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100",)"
         R"("kind":"note","title":"T","detail":"D","savedAt":1}])",
         false},
        {"a string savedAt",
         R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100",)"
         R"("kind":"text","title":"T","detail":"D","savedAt":"1"}])",
         false},
        {"not an array", R"({"items":[]})", false},
        {"an element that is not an object", R"([1])", false},
        {"cut short", object("").chopped(3), false},
        {"invalid UTF-8", object("\"text\":\"\xff\xfe\""), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<QList<Item>> qt = IndexDecoding::withQt(c.bytes);
        const std::optional<QList<Item>> fast = IndexDecoding::fast(c.bytes);
        EXPECT_EQ(fast.has_value(), c.fastAnswers);
        if (fast) {
            ASSERT_TRUE(qt.has_value());
            EXPECT_EQ(*fast, *qt);
        }
        EXPECT_EQ(IndexFile::decode(c.bytes), qt);
    }
}

// What was read when both answer: a field-by-field check of one case, so an
// agreement on a wrong reading cannot pass unseen.
TEST(IndexDecoding, ReadsTheFieldsItWasGiven) {
    const std::optional<QList<Item>> items = IndexDecoding::fast(
        object(R"("text":"x\u00e9","tags":["A",1,"B"],"category":"Code","category":5)"));
    ASSERT_TRUE(items && items->size() == 1);
    const Item& item = items->front();
    EXPECT_EQ(idString(item.id), u"0F0E0D0C-0B0A-4908-8706-050403020100"_s);
    EXPECT_EQ(item.kind, ItemKind::text);
    EXPECT_EQ(item.savedAt, 1.0);
    EXPECT_EQ(item.text, u"x\u00e9"_s);
    EXPECT_EQ(item.tags, (QStringList{u"A"_s, u"B"_s}));
    EXPECT_FALSE(item.category.has_value());
    EXPECT_FALSE(item.source.has_value());
}

// A file is read where the page cache holds it, and the fast reader looks up
// to padding() bytes past its end: sizes on either side of a page's end must
// read like any other, and so must an index only Qt's parser takes.
TEST(IndexDecoding, AFileIsReadInPlaceWhereverItEnds) {
    QTemporaryDir folder;
    const QString path = folder.filePath(u"items.json"_s);
    const qsizetype page = 4096;
    const QByteArray plain = object(R"("text":"kept")");
    const QByteArray loneSurrogate = object(R"("text":"\ud800")");
    const qsizetype sizes[] = {page - IndexDecoding::padding() - 1, page - 1, page, page + 1,
                               2 * page - 1};
    for (const QByteArray& bytes : {plain, loneSurrogate}) {
        for (const qsizetype size : sizes) {
            SCOPED_TRACE(size);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes + QByteArray(size - bytes.size(), ' ')); // JSON allows trailing space
            file.close();
            const IndexFile::ReadResult read = IndexFile::read(path, QDateTime(), false);
            EXPECT_FALSE(read.blocked);
            EXPECT_EQ(read.items, IndexDecoding::withQt(bytes).value());
        }
    }
}
