#include "capture/ClipboardWatcher.h"

#include "capture/AppState.h"
#include "platform/memory/MemoryFrontmostApplication.h"
#include "platform/memory/MemoryPasteboard.h"
#include "platform/memory/MemoryScheduler.h"
#include "platform/memory/MemoryUserDefaults.h"
#include "support/QtPrinters.h"

#include <QMimeData>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A watcher on a memory clipboard, offering into a state whose keeps are
// counted but not stored.
class ClipboardWatcherTest : public ::testing::Test {
protected:
    ClipboardWatcherTest() {
        pasteboard.setText(u"on the clipboard before launch"_s);
        watcher = std::make_unique<ClipboardWatcher>(pasteboard, frontmost, scheduler, state);
        frontmost.name = u"Text Editor"_s;
        watcher->start();
    }

    // Lets the next poll (and the prompt it queues) run, and answers what
    // the prompt then offers.
    std::optional<ClipContent> offered() {
        scheduler.advance(ClipboardWatcher::intervalMs);
        scheduler.advance(0);
        std::optional<ClipContent> clip = state.pendingClip();
        state.collapse();
        return clip;
    }

    MemoryPasteboard pasteboard;
    MemoryFrontmostApplication frontmost;
    MemoryScheduler scheduler;
    MemoryUserDefaults defaults;
    AppState state{scheduler, defaults,
                   [](const ClipContent&, const std::optional<QString>&) { return SaveResult{}; }};
    std::unique_ptr<ClipboardWatcher> watcher;
};

} // namespace

TEST_F(ClipboardWatcherTest, WhatWasCopiedBeforeLaunchIsNeverOffered) {
    EXPECT_FALSE(offered());
    scheduler.advance(10'000);
    EXPECT_FALSE(state.pendingClip());
}

TEST_F(ClipboardWatcherTest, ACopyIsOfferedAtTheNextPollWithTheFrontApplication) {
    pasteboard.setText(u"  meeting notes \n"_s);
    scheduler.advance(ClipboardWatcher::intervalMs - 1);
    scheduler.advance(0);
    EXPECT_FALSE(state.pendingClip()) << "not before the poll";
    const std::optional<ClipContent> clip = offered();
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->string, u"meeting notes"_s);
    EXPECT_EQ(clip->sourceApp, u"Text Editor"_s);
    EXPECT_FALSE(offered()) << "the same change is offered once";
}

TEST_F(ClipboardWatcherTest, WhatACopyYields) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    struct Case {
        const char* name;
        std::function<void(MemoryPasteboard&)> copy;
        std::function<void(const std::optional<ClipContent>&)> check;
    };
    const QList<Case> cases{
        {"address with a space is text",
         [](MemoryPasteboard& p) { p.setText(u"https://example.com/a b"_s); },
         [](const auto& clip) {
             ASSERT_TRUE(clip);
             EXPECT_FALSE(clip->url);
             EXPECT_EQ(clip->string, u"https://example.com/a b"_s);
         }},
        {"upper-case scheme with spaces around is a link",
         [](MemoryPasteboard& p) { p.setText(u"  HTTP://Example.com/x  "_s); },
         [](const auto& clip) {
             ASSERT_TRUE(clip);
             ASSERT_TRUE(clip->url);
             EXPECT_EQ(clip->url->host(), u"example.com"_s);
             EXPECT_FALSE(clip->string);
         }},
        {"mail address link is text",
         [](MemoryPasteboard& p) { p.setText(u"mailto:someone@example.com"_s); },
         [](const auto& clip) {
             ASSERT_TRUE(clip);
             EXPECT_FALSE(clip->url);
         }},
        {"only white space is no clip", [](MemoryPasteboard& p) { p.setText(u" \n\t "_s); },
         [](const auto& clip) { EXPECT_FALSE(clip); }},
        {"the owner quitting leaves nothing to offer", [](MemoryPasteboard& p) { p.clear(); },
         [](const auto& clip) { EXPECT_FALSE(clip); }},
        {"files from a file manager, with their names as text",
         [](MemoryPasteboard& p) {
             p.setFormats({{u"text/uri-list"_s,
                            "file:///home/u/a.pdf\r\nfile:///home/u/b.txt\r\nhttps://x.org/\r\n"},
                           {u"text/plain"_s, "a.pdf\nb.txt"}});
         },
         [](const auto& clip) {
             ASSERT_TRUE(clip);
             EXPECT_EQ(clip->fileURLs.size(), 2);
             EXPECT_EQ(clip->previewTitle(), u"2 files"_s);
             EXPECT_EQ(clip->kindLabel(), u"File"_s);
         }},
        {"an image", [image](MemoryPasteboard& p) { p.setImage(image); },
         [](const auto& clip) {
             ASSERT_TRUE(clip);
             ASSERT_TRUE(clip->image);
             EXPECT_EQ(clip->image->size(), QSize(8, 8));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.copy(pasteboard);
        c.check(offered());
    }
}

TEST_F(ClipboardWatcherTest, SecretsAreNeverReadNorOfferedNorOfferedLater) {
    struct Case {
        const char* name;
        QList<QPair<QString, QByteArray>> formats;
    };
    const QList<Case> cases{
        {"concealed", {{u"text/plain"_s, "hunter2"}, {u"org.nspasteboard.ConcealedType"_s, ""}}},
        {"transient", {{u"text/plain"_s, "one-time"}, {u"org.nspasteboard.TransientType"_s, ""}}},
        {"password manager marker",
         {{u"text/plain;charset=utf-8"_s, "hunter2"},
          {u"text/plain"_s, "hunter2"},
          {u"x-kde-passwordManagerHint"_s, "secret"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pasteboard.setFormats(c.formats);
        pasteboard.resetReads();
        EXPECT_FALSE(offered());
        for (const QString& type : pasteboard.readTypes())
            EXPECT_EQ(type, u"x-kde-passwordManagerHint"_s) << "only the marker may be read";
        scheduler.advance(10'000);
        EXPECT_FALSE(state.pendingClip()) << "and it is not offered later";
    }
}

TEST_F(ClipboardWatcherTest, APasswordManagerMarkerThatIsNotSecretDoesNotHideTheCopy) {
    pasteboard.setFormats(
        {{u"text/plain"_s, "a user name"}, {u"x-kde-passwordManagerHint"_s, "public"}});
    const std::optional<ClipContent> clip = offered();
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->string, u"a user name"_s);
}

TEST_F(ClipboardWatcherTest, OwnWritesAreNotOfferedButTheNextUserCopyIs) {
    auto* own = new QMimeData;
    own->setText(u"copied from a card"_s);
    watcher->writeOwn(own);
    EXPECT_EQ(pasteboard.plainText(), u"copied from a card"_s);
    EXPECT_FALSE(offered());

    pasteboard.setText(u"the user's own copy"_s);
    const std::optional<ClipContent> clip = offered();
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->string, u"the user's own copy"_s);
}

TEST_F(ClipboardWatcherTest, ACopyMadeWhileSwitchedOffIsOfferedWhenSwitchedOn) {
    state.setWatcherEnabled(false);
    pasteboard.setText(u"copied while off"_s);
    const int readsBefore = pasteboard.changeCountReads();
    EXPECT_FALSE(offered());
    scheduler.advance(5000);
    EXPECT_EQ(pasteboard.changeCountReads(), readsBefore) << "not even the count is read";

    state.setWatcherEnabled(true);
    const std::optional<ClipContent> clip = offered();
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->string, u"copied while off"_s);
}

TEST_F(ClipboardWatcherTest, IdlePollingReadsOnlyTheCount) {
    pasteboard.resetReads();
    const int readsBefore = pasteboard.changeCountReads();
    scheduler.advance(60'000);
    EXPECT_EQ(pasteboard.changeCountReads() - readsBefore, 60'000 / ClipboardWatcher::intervalMs);
    EXPECT_TRUE(pasteboard.readTypes().isEmpty());
}

TEST_F(ClipboardWatcherTest, NoTickRunsAfterTheWatcherIsGone) {
    watcher.reset();
    pasteboard.setText(u"after"_s);
    scheduler.advance(5000);
    EXPECT_FALSE(state.pendingClip());
    EXPECT_EQ(scheduler.pendingCount(), 0);
}
