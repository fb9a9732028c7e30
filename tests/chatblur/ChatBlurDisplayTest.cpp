// The display half of the chat blur: panels over the rows, the peek under
// the pointer, whole blocks while the wheel turns, and reuse of panels.
#include "chatblur/BlurSiteStore.h"
#include "chatblur/ChatBlur.h"
#include "platform/DefaultsKeys.h"
#include "platform/memory/MemoryPlatform.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

struct ChatBlurDisplayTest : ::testing::Test {
    int argc = 0;
    QCoreApplication app{argc, nullptr};
    MemoryPlatform platform;
    BlurSiteStore sites{platform.memoryUserDefaults};
    ChatBlur::Clock::time_point time{std::chrono::seconds(50)};
    std::unique_ptr<ChatBlur> blur;

    const ChatCover cover{{QRect(4, 120, 248, 30), QRect(4, 154, 248, 32), QRect(4, 300, 248, 32)},
                          {QRect(0, 120, 260, 66), QRect(0, 300, 260, 32)}};

    void SetUp() override {
        blur = std::make_unique<ChatBlur>(
            platform.accessibility(), platform.frontmostApplication(), platform.environment(),
            platform.userDefaults(), platform.pointerMonitor(), platform.overlayPanels(), sites);
        blur->setClock([this] { return time; });
    }

    QList<QRect> visibleFrames() const {
        QList<QRect> frames;
        for (const auto& state : platform.memoryOverlayPanels.states) {
            if (state->visible)
                frames.append(state->frame);
        }
        return frames;
    }
};

} // namespace

TEST_F(ChatBlurDisplayTest, RowsAreCoveredAndTheRowUnderThePointerIsUncovered) {
    platform.memoryPointerMonitor.pointer = QPoint(900, 500);
    blur->show(cover);
    EXPECT_EQ(visibleFrames(), cover.rows);

    platform.memoryPointerMonitor.pointer = QPoint(100, 170);
    blur->layout();
    EXPECT_EQ(visibleFrames(), (QList<QRect>{cover.rows[0], cover.rows[2]}));

    platform.memoryPointerMonitor.pointer = QPoint(900, 500);
    blur->layout();
    EXPECT_EQ(visibleFrames().size(), 3);
    // Three panels made once and reused, each moved only when its rectangle changed.
    EXPECT_EQ(platform.memoryOverlayPanels.states.size(), 3);
    int moves = 0;
    for (const auto& state : platform.memoryOverlayPanels.states)
        moves += state->moves;
    EXPECT_LE(moves, 5);
}

TEST_F(ChatBlurDisplayTest, WhileTheWheelTurnsWholeBlocksAreCoveredEvenUnderThePointer) {
    platform.memoryPointerMonitor.pointer = QPoint(100, 130);
    blur->show(cover);
    ASSERT_TRUE(platform.memoryPointerMonitor.monitoring());
    platform.memoryPointerMonitor.wheel();
    EXPECT_EQ(visibleFrames(), cover.blocks);
    time += 400ms;
    blur->layout();
    EXPECT_EQ(visibleFrames(), cover.blocks);
    time += 100ms;
    blur->layout();
    EXPECT_EQ(visibleFrames(), (QList<QRect>{cover.rows[1], cover.rows[2]}));
}

TEST_F(ChatBlurDisplayTest, AnEmptyCoverOrSwitchingOffHidesEveryPanel) {
    blur->show(cover);
    blur->show({});
    EXPECT_TRUE(visibleFrames().isEmpty());
    blur->show(cover);
    EXPECT_EQ(visibleFrames().size(), 3);
    blur->setEnabled(false);
    EXPECT_TRUE(visibleFrames().isEmpty());
    EXPECT_FALSE(blur->enabled());
    EXPECT_EQ(platform.userDefaults().object(DefaultsKeys::chatBlurEnabled), QVariant(false));
    // Switched off, a scan finds nothing even with a chat page in front.
    EXPECT_TRUE(blur->scanOnce().rows.isEmpty());
}

TEST_F(ChatBlurDisplayTest, FailedScansKeepTheLastCoverForAMomentButLeavingTheBrowserDoesNot) {
    EXPECT_EQ(blur->coverAfterScan(cover, false), cover);
    time += 2000ms;
    // A read timed out with the browser still in front: leave the panels be.
    EXPECT_EQ(blur->coverAfterScan({}, true), std::nullopt);
    time += 1000ms;
    EXPECT_EQ(blur->coverAfterScan({}, true), std::nullopt);
    time += 100ms;
    EXPECT_EQ(blur->coverAfterScan({}, true), ChatCover{});

    EXPECT_EQ(blur->coverAfterScan(cover, false), cover);
    // Another application in front, or a page with nothing to cover: at once.
    EXPECT_EQ(blur->coverAfterScan({}, false), ChatCover{});
    // Then, with nothing covered, scans that find nothing hand nothing over.
    EXPECT_EQ(blur->coverAfterScan({}, true), std::nullopt);
    EXPECT_EQ(blur->coverAfterScan({}, false), std::nullopt);
    EXPECT_EQ(blur->coverAfterScan(cover, false), cover);
}
