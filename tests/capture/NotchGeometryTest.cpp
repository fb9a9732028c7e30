#include "capture/NotchGeometry.h"

#include <QList>
#include <gtest/gtest.h>

TEST(NotchGeometry, PanelsSitAtTheTopCentreOfEachScreenWithTheSizeOfTheirMode) {
    struct Case {
        QRect screen;
        PanelMode mode;
        QRect expected;
    };
    const QList<Case> cases{
        {{0, 0, 1920, 1080}, PanelMode::collapsed, {875, 0, 170, 30}},
        {{0, 0, 1920, 1080}, PanelMode::dropHover, {790, 0, 340, 160}},
        {{0, 0, 1920, 1080}, PanelMode::keepPrompt, {745, 0, 430, 94}},
        // A second screen to the right, lower down.
        {{1920, 200, 1280, 1024}, PanelMode::keepPrompt, {2345, 200, 430, 94}},
        // A screen to the left of the primary one has negative coordinates.
        {{-1366, 0, 1366, 768}, PanelMode::collapsed, {-768, 0, 170, 30}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NotchGeometry::frame(c.screen, c.mode), c.expected);
}

TEST(NotchGeometry, LargerBasesGrowByTheFixedAmounts) {
    // The rule on a screen with a notch: 185 wide, 38 high.
    EXPECT_EQ(NotchGeometry::size(PanelMode::dropHover, {185, 38}), QSize(340, 168));
    EXPECT_EQ(NotchGeometry::size(PanelMode::keepPrompt, {185, 38}), QSize(430, 102));
    EXPECT_EQ(NotchGeometry::size(PanelMode::keepPrompt, {300, 38}), QSize(450, 102));
}
