// Changes acknowledged before the whole index is written: journaled, replayed
// over the index when the store opens, and let go once the index holds them.
#include "store/IndexJournal.h"

#include "store/IndexFile.h"
#include "store/IndexWriter.h"
#include "support/StoreFixture.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

Item note(const QString& text, double savedAt) {
    Item item;
    item.id = QUuid::createUuid();
    item.kind = ItemKind::text;
    item.title = text;
    item.detail = u"Text snippet"_s;
    item.text = text;
    item.savedAt = savedAt;
    return item;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void append(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes);
}

class IndexJournalTest : public StoreFixture {
protected:
    QString index() const { return lumavex() + u"/items.json"_s; }
    QString journalPath() const { return lumavex() + u"/items.journal"_s; }
    void writeIndex(const QList<Item>& items) {
        QDir().mkpath(lumavex());
        QFile file(index());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(IndexFile::encode(items));
    }
};

} // namespace

TEST_F(IndexJournalTest, ChangesNotYetInTheIndexAreReplayedAndThenLetGo) {
    const Item kept = note(u"kept before"_s, 100);
    const Item gone = note(u"removed since"_s, 90);
    writeIndex({kept, gone});
    Item tagged = kept;
    tagged.tags = QStringList{u"Later"_s};
    const Item added = note(u"added since"_s, 200);
    {
        IndexJournal journal(journalPath());
        ASSERT_TRUE(journal.append({added, tagged}, {}));
        ASSERT_TRUE(journal.append({}, {gone.id}));
    }
    // A crash in the middle of the next append left half a line.
    append(journalPath(), R"({"put":{"id":"5D0)");

    std::unique_ptr<Store> store = openStore();
    ASSERT_TRUE(store);
    EXPECT_EQ(store->items(), (QList<Item>{added, tagged}));
    EXPECT_FALSE(store->setAsideJournal()) << "a torn last line is no damage";

    // The next change starts a line of its own; the index write then takes
    // everything and the journal is emptied.
    store->toggleTag(u"Read"_s, added.id);
    ASSERT_TRUE(store->ensureDurable());
    ASSERT_TRUE(store->flush());
    EXPECT_EQ(contents(journalPath()), QByteArray());
    const std::optional<QList<Item>> onDisk = IndexFile::decode(contents(index()));
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(*onDisk, store->items());
    store.reset();
    EXPECT_EQ(openStore()->items(), *onDisk);
}

TEST_F(IndexJournalTest, EntriesAfterTheWrittenIndexAreKept) {
    QDir().mkpath(lumavex());
    const Item first = note(u"first"_s, 1);
    const Item second = note(u"second"_s, 2);
    const Item third = note(u"third"_s, 3);
    const auto replayed = [this] {
        QList<Item> items;
        IndexJournal::replay(journalPath(), items, true);
        return items;
    };
    IndexJournal journal(journalPath());
    ASSERT_TRUE(journal.append({first}, {}));
    const qint64 withFirst = journal.mark();
    ASSERT_TRUE(journal.append({second}, {}));
    const qint64 withSecond = journal.mark();
    // The index holding the first entry is written while the second waits
    // for the next one.
    journal.dropThrough(withFirst);
    EXPECT_EQ(replayed(), QList<Item>{second});
    // Another entry comes in; then the index of the second is on disk. Its
    // mark, taken before the first was dropped, must not reach the third.
    ASSERT_TRUE(journal.append({third}, {}));
    journal.dropThrough(withSecond);
    EXPECT_EQ(replayed(), QList<Item>{third});
    journal.dropThrough(journal.mark());
    EXPECT_EQ(contents(journalPath()), QByteArray());
    // Appends go on in the emptied journal.
    ASSERT_TRUE(journal.append({}, {third.id}));
    QList<Item> items{third};
    EXPECT_EQ(IndexJournal::replay(journalPath(), items, true).applied, 1);
    EXPECT_TRUE(items.isEmpty());
}

TEST_F(IndexJournalTest, AnUnreadableLineIsSkippedAndTheJournalKeptAside) {
    writeIndex({});
    const Item before = note(u"before the damage"_s, 1);
    const Item after = note(u"after the damage"_s, 2);
    {
        IndexJournal journal(journalPath());
        ASSERT_TRUE(journal.append({before}, {}));
    }
    append(journalPath(), "{\"put\": 42}\n");
    {
        IndexJournal journal(journalPath());
        ASSERT_TRUE(journal.append({after}, {}));
    }
    const QByteArray original = contents(journalPath());

    std::unique_ptr<Store> store = openStore();
    ASSERT_TRUE(store);
    EXPECT_EQ(store->items(), (QList<Item>{after, before}));
    ASSERT_TRUE(store->setAsideJournal());
    EXPECT_EQ(contents(*store->setAsideJournal()), original);
}

TEST_F(IndexJournalTest, SpacedIndexWritesLandWithoutAFlushAndAFlushTakesTheLast) {
    QDir().mkpath(lumavex());
    IndexJournal journal(journalPath());
    IndexWriter writer(index(), &journal);
    QList<Item> items;
    for (int i = 0; i < 3; ++i) {
        items.prepend(note(u"note %1"_s.arg(i), i));
        ASSERT_TRUE(journal.append({items.first()}, {}));
        writer.write(items, {}, journal.mark());
    }
    // The last of a burst reaches the index by itself, and the journal is
    // let go after it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return IndexFile::decode(contents(index())) == items; },
                                5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return contents(journalPath()).isEmpty(); }, 5000));
    // Right after a write the next one waits its turn; a flush takes it now.
    items.prepend(note(u"last"_s, 10));
    ASSERT_TRUE(journal.append({items.first()}, {}));
    writer.write(items, {}, journal.mark());
    ASSERT_TRUE(writer.flush());
    EXPECT_EQ(IndexFile::decode(contents(index())), items);
}
