#include "capture/AppState.h"

#include "capture/KeepPipeline.h"
#include "platform/DefaultsKeys.h"
#include "platform/memory/MemoryScheduler.h"
#include "platform/memory/MemoryUserDefaults.h"
#include "support/QtPrinters.h"
#include "support/StoreFixture.h"

#include <QDir>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class FakePanels final : public PanelHost {
public:
    bool pointerIsOverPanel() const override { return pointerOver; }
    void focusForTyping() override { ++focusRequests; }
    bool pointerOver = false;
    int focusRequests = 0;
};

ClipContent text(const QString& value) {
    return ClipContent::fromClipboard({}, value, std::nullopt);
}

// The keep flow against a real store in a temporary folder, with time moved
// by the test.
class AppStateTest : public StoreFixture {
protected:
    void SetUp() override {
        store = openStore();
        ASSERT_TRUE(store);
        state = std::make_unique<AppState>(
            scheduler, defaults,
            [this](const ClipContent& clip, const std::optional<QString>& tag) {
                ++saves;
                return KeepPipeline::save(*store, clip, tag);
            });
        state->setPanelHost(&panels);
    }

    // Starts a case of a table from an empty store.
    void fresh() {
        state.reset();
        store.reset();
        QDir(lumavex()).removeRecursively();
        SetUp();
    }

    // Runs everything due within msecs from now.
    void wait(qint64 msecs) { scheduler.advance(msecs); }

    MemoryScheduler scheduler;
    MemoryUserDefaults defaults;
    FakePanels panels;
    std::unique_ptr<Store> store;
    std::unique_ptr<AppState> state;
    int saves = 0;
};

} // namespace

TEST_F(AppStateTest, PromptClosesAfterThreeSecondsWithoutKeeping) {
    state->showKeepPrompt(text(u"a note"_s));
    EXPECT_EQ(state->mode(), PanelMode::keepPrompt);
    EXPECT_EQ(state->pendingClip(), text(u"a note"_s));
    wait(2999);
    EXPECT_EQ(state->mode(), PanelMode::keepPrompt);
    wait(1);
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
    EXPECT_FALSE(state->pendingClip());
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(store->items().isEmpty());
}

TEST_F(AppStateTest, ACopyWhileThePanelIsBusyIsDroppedForGood) {
    state->showKeepPrompt(text(u"first"_s));
    state->showKeepPrompt(text(u"second"_s));
    EXPECT_EQ(state->pendingClip(), text(u"first"_s));

    state->keep(*state->pendingClip(), std::nullopt);
    state->showKeepPrompt(text(u"during the flash"_s));
    EXPECT_FALSE(state->pendingClip()) << "a copy during the flash is not offered";
    wait(AppState::flashMs);
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
    EXPECT_FALSE(state->pendingClip()) << "and it is not queued for later";
}

TEST_F(AppStateTest, PointerRestingOnThePromptKeepsItOpenUntilItLeaves) {
    state->showKeepPrompt(text(u"a note"_s));
    panels.pointerOver = true;
    state->setPromptHover(true);
    wait(60'000);
    EXPECT_EQ(state->mode(), PanelMode::keepPrompt) << "re-checked every 1.5 s while hovered";

    panels.pointerOver = false;
    state->setPromptHover(false);
    wait(1499);
    EXPECT_EQ(state->mode(), PanelMode::keepPrompt);
    wait(1);
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
}

TEST_F(AppStateTest, KeepStoresTheClipAndFlashesTheResultThenCollapses) {
    struct Case {
        const char* name;
        std::function<void(AppState&)> keep;
        QString expectedFlash;
        QStringList expectedTags;
    };
    // Each case starts from a store that already holds "old note" tagged Work.
    const QList<Case> cases{
        {"new text, untagged",
         [](AppState& s) { s.keep(text(u"new note"_s), std::nullopt); },
         u"Saved"_s,
         {}},
        {"new text under a tag",
         [](AppState& s) { s.keep(text(u"new note"_s), u"Design"_s); },
         u"Saved · Design"_s,
         {u"Design"_s}},
        {"tag matched to the existing spelling",
         [](AppState& s) { s.keep(text(u"new note"_s), u"work"_s); },
         u"Saved · Work"_s,
         {u"Work"_s}},
        {"already stored, keeps its tag",
         [](AppState& s) { s.keep(text(u"old note"_s), std::nullopt); },
         u"Already saved · Work"_s,
         {u"Work"_s}},
        {"link categorised automatically",
         [](AppState& s) {
             s.keep(ClipContent::fromClipboard({}, u"https://github.com/a/b"_s, std::nullopt),
                    std::nullopt);
         },
         u"Saved · Code"_s,
         {u"Code"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        KeepPipeline::save(*store, text(u"old note"_s), u"Work"_s);
        state->showKeepPrompt(text(u"prompt"_s));
        c.keep(*state);
        EXPECT_EQ(state->flash(), c.expectedFlash);
        EXPECT_EQ(state->mode(), PanelMode::keepPrompt);
        EXPECT_FALSE(state->pendingClip());
        ASSERT_FALSE(store->items().isEmpty());
        EXPECT_EQ(store->items().first().displayTags(), c.expectedTags);
        wait(AppState::promptOpenMs + 1000);
        EXPECT_EQ(state->mode(), PanelMode::collapsed) << "the flash ends after 1.2 s";
        EXPECT_FALSE(state->flash());
    }
}

TEST_F(AppStateTest, AKeepThatStoresNothingNeverFlashesSaved) {
    // Another process holds the data folder: this store may not write.
    store->addText(u"kept earlier"_s, std::nullopt);
    ASSERT_TRUE(store->flush());
    store.reset();
    store = openStore(nullptr, /*readOnly=*/true);
    state->showKeepPrompt(text(u"new note"_s));
    state->keep(text(u"new note"_s), u"Design"_s);
    EXPECT_EQ(state->flash(), u"Not saved"_s);
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items().first().text, u"kept earlier"_s) << "nothing shown as kept";

    SaveResult partly;
    partly.ids = {QUuid::createUuid()};
    partly.failures = {u"/tmp/pipe is not a regular file or folder"_s};
    EXPECT_EQ(AppState::resultText(partly), u"Not all saved"_s);
}

TEST_F(AppStateTest, FlashStaysForItsFullTimeEvenWhenThePromptTimerRunsOut) {
    state->showKeepPrompt(text(u"a note"_s));
    wait(2900);
    state->keep(*state->pendingClip(), std::nullopt);
    wait(1000); // the prompt's 3 s pass meanwhile
    EXPECT_EQ(state->flash(), u"Saved"_s);
    EXPECT_EQ(state->mode(), PanelMode::keepPrompt);
    wait(200);
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
}

TEST_F(AppStateTest, NamingATagGivesTenSecondsFromTheLastKeystroke) {
    state->showKeepPrompt(text(u"a note"_s));
    state->beginNamingTag(*state->pendingClip());
    EXPECT_TRUE(state->namingTag());
    EXPECT_EQ(panels.focusRequests, 1) << "the panel takes the keyboard";
    EXPECT_EQ(state->mode(), PanelMode::keepPrompt);

    wait(9000);
    state->setNewTagText(u"Re"_s);
    wait(9000);
    state->setNewTagText(u"Rec"_s);
    wait(9000);
    state->setNewTagText(u"Rec"_s); // not an edit: no extra time
    wait(999);
    EXPECT_TRUE(state->namingTag());
    EXPECT_EQ(state->mode(), PanelMode::keepPrompt);
    wait(1);
    EXPECT_FALSE(state->namingTag()) << "10 s without typing dismisses";
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
    EXPECT_EQ(state->newTagText(), QString());
    EXPECT_EQ(saves, 0);
}

TEST_F(AppStateTest, PointerOverThePanelDoesNotHoldATagFieldOpen) {
    panels.pointerOver = true;
    state->showKeepPrompt(text(u"a note"_s));
    state->beginNamingTag(*state->pendingClip());
    wait(AppState::namingTagMs);
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
}

TEST_F(AppStateTest, CommitNewTagCleansTheNameAndKeepsWithoutOneWhenNothingIsLeft) {
    struct Case {
        QString typed;
        QString expectedFlash;
        QStringList expectedTags;
    };
    const QList<Case> cases{
        {u"  Reading   list \n"_s, u"Saved · Reading list"_s, {u"Reading list"_s}},
        {u"   "_s, u"Saved"_s, {}},
        {QString(), u"Saved"_s, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        fresh();
        state->showKeepPrompt(text(u"a note"_s));
        state->beginNamingTag(*state->pendingClip());
        state->setNewTagText(c.typed);
        state->commitNewTag();
        EXPECT_EQ(state->flash(), c.expectedFlash);
        EXPECT_FALSE(state->namingTag());
        EXPECT_EQ(state->newTagText(), QString());
        ASSERT_EQ(store->items().size(), 1);
        EXPECT_EQ(store->items().first().displayTags(), c.expectedTags);
    }
}

TEST_F(AppStateTest, CommitWithoutAPendingClipDoesNothing) {
    state->setNewTagText(u"Tag"_s);
    state->commitNewTag();
    EXPECT_EQ(saves, 0);
    EXPECT_FALSE(state->flash());
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
}

TEST_F(AppStateTest, BeginNamingTagReplacesAFlash) {
    state->showFlash(u"Filled 3 fields"_s);
    state->beginNamingTag(text(u"a note"_s));
    EXPECT_FALSE(state->flash());
    wait(AppState::flashMs + 100);
    EXPECT_EQ(state->mode(), PanelMode::keepPrompt) << "the old flash timer no longer closes it";
    EXPECT_TRUE(state->namingTag());
}

TEST_F(AppStateTest, DragOverTheNotchOnlyWithDropsSwitchedOn) {
    QSignalSpy modes(state.get(), &AppState::modeChanged);
    state->dragEntered();
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
    EXPECT_EQ(modes.count(), 0) << "with drops off a drag changes nothing";

    state->setDropOnNotchEnabled(true);
    state->showKeepPrompt(text(u"a note"_s));
    state->dragEntered();
    EXPECT_EQ(state->mode(), PanelMode::dropHover);
    EXPECT_FALSE(state->pendingClip()) << "the drop replaces the prompt";
    wait(AppState::promptOpenMs * 2);
    EXPECT_EQ(state->mode(), PanelMode::dropHover) << "the prompt's timer was stopped";

    state->dismissPrompt();
    EXPECT_EQ(state->mode(), PanelMode::dropHover) << "dismissing a prompt leaves the drop zone";
}

TEST_F(AppStateTest, LeavingAndComingBackWithinTheGraceKeepsTheDropZone) {
    state->setDropOnNotchEnabled(true);
    state->dragEntered();
    QSignalSpy modes(state.get(), &AppState::modeChanged);
    state->dragExited();
    wait(299);
    state->dragEntered();
    wait(1000);
    EXPECT_EQ(state->mode(), PanelMode::dropHover);
    EXPECT_EQ(modes.count(), 0) << "no collapse in between";

    state->dragExited();
    wait(299);
    EXPECT_EQ(state->mode(), PanelMode::dropHover);
    wait(1);
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
}

TEST_F(AppStateTest, CollapseClosesEverythingAndItsFlashTimerCannotCloseALaterPrompt) {
    state->showKeepPrompt(text(u"a note"_s));
    state->keep(*state->pendingClip(), std::nullopt);
    wait(500);
    state->collapse(); // Escape during the flash
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
    EXPECT_FALSE(state->flash());

    state->showKeepPrompt(text(u"next copy"_s));
    wait(2000); // past the end of the old flash
    EXPECT_EQ(state->mode(), PanelMode::keepPrompt);
    EXPECT_EQ(state->pendingClip(), text(u"next copy"_s));
    wait(1000);
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
}

TEST_F(AppStateTest, OpenLibraryCollapsesAndAsksForTheMainWindow) {
    QSignalSpy requests(state.get(), &AppState::libraryRequested);
    state->showKeepPrompt(text(u"a note"_s));
    state->openLibrary();
    EXPECT_EQ(requests.count(), 1);
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
    EXPECT_FALSE(state->pendingClip());
}

TEST_F(AppStateTest, DropOnNotchComesFromAndGoesToTheUserDefault) {
    EXPECT_FALSE(state->dropOnNotchEnabled()) << "off when absent";
    QSignalSpy changes(state.get(), &AppState::dropOnNotchEnabledChanged);
    state->setDropOnNotchEnabled(true);
    EXPECT_EQ(defaults.object(DefaultsKeys::dropOnNotch), QVariant(true));
    EXPECT_EQ(changes.count(), 1);

    AppState later(scheduler, defaults,
                   [](const ClipContent&, const std::optional<QString>&) { return SaveResult{}; });
    EXPECT_TRUE(later.dropOnNotchEnabled());
    EXPECT_TRUE(later.watcherEnabled()) << "the watcher is on at every launch";
}

TEST_F(AppStateTest, TimersDieWithTheState) {
    state->showKeepPrompt(text(u"a note"_s));
    state->showFlash(u"Saved"_s);
    state.reset();
    wait(20'000); // must not touch the destroyed state
    SUCCEED();
}
