#include "organise/AutoSortNote.h"

#include "platform/memory/MemoryScheduler.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QList<Item> library(int count, int handTagged) {
    QList<Item> items;
    for (int i = 0; i < count; ++i) {
        Item item;
        item.id = QUuid::createUuid();
        if (i < handTagged)
            item.tags = QStringList{};
        items.append(item);
    }
    return items;
}

} // namespace

TEST(AutoSortNote, TextNamesAnalysedSortedAndKeptTags) {
    EXPECT_EQ(autoSortNote(12, 5, 2), u"Analysed 12 items · 5 auto-sorted · 2 kept your tags"_s);
    EXPECT_EQ(autoSortNote(1000, 0, 0), u"Analysed 1000 items · 0 auto-sorted"_s);
}

TEST(AutoSortNote, ShowsForThreeSecondsUnlessANewerNoteReplacesIt) {
    MemoryScheduler scheduler;
    AutoSortNote note(scheduler);
    QSignalSpy changed(&note, &AutoSortNote::changed);

    // Hand-tagged items count even when their tag list is empty.
    note.show(library(12, 2), 5);
    EXPECT_EQ(note.note(), u"Analysed 12 items · 5 auto-sorted · 2 kept your tags"_s);
    scheduler.advance(2999);
    EXPECT_TRUE(note.note().has_value());
    scheduler.advance(1);
    EXPECT_EQ(note.note(), std::nullopt);
    EXPECT_EQ(changed.count(), 2);

    // A second pass at 2 s keeps its note for its own 3 s, even with the same words.
    note.show(library(12, 2), 5);
    scheduler.advance(2000);
    note.show(library(12, 2), 5);
    scheduler.advance(1500);
    EXPECT_TRUE(note.note().has_value());
    scheduler.advance(1500);
    EXPECT_EQ(note.note(), std::nullopt);
}

TEST(MemoryScheduler, RunsDueActionsInTimeOrderAndDropsThoseOfDestroyedContexts) {
    MemoryScheduler scheduler;
    QObject context;
    QStringList ran;
    scheduler.singleShot(300, &context, [&] { ran.append(u"late"_s); });
    scheduler.singleShot(100, &context, [&] {
        ran.append(u"early"_s);
        scheduler.singleShot(50, &context, [&] { ran.append(u"chained"_s); });
    });
    scheduler.singleShot(100, &context, [&] { ran.append(u"same time"_s); });
    {
        QObject gone;
        scheduler.singleShot(10, &gone, [&] { ran.append(u"never"_s); });
    }
    scheduler.advance(200);
    EXPECT_EQ(ran, (QStringList{u"early"_s, u"same time"_s, u"chained"_s}));
    EXPECT_EQ(scheduler.elapsed(), 200);
    scheduler.advance(100);
    EXPECT_EQ(ran.last(), u"late"_s);
    EXPECT_EQ(scheduler.pendingCount(), 0);
}
