// Finding and measuring chat titles over a substitute tree: which links
// count, how runs and bands are formed, and how few reads a quiet tick costs.
#include "chatblur/ChatLocator.h"

#include "chatblur/BlurSiteStore.h"
#include "platform/memory/MemoryAccessibility.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFrontmostApplication.h"
#include "platform/memory/MemoryUserDefaults.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// A browser window with a chat page: the navigation landmark holds a
// scrolling list whose visible part is y 120…552 (twelve rows of 36 px).
QString chatPage(const QString& url, const QString& listBody, const QString& mainBody = {}) {
    return u"AXApplication pid=42 title=Chromium\n"
           "  AXWindow title=\"Chat\" focusedWindow frame=0,0,1600,1000\n"
           "    AXWebArea url=\""_s +
           url +
           u"\" frame=0,80,1600,920\n"
           "      AXGroup sub=AXLandmarkNavigation frame=0,80,260,800\n"
           "        AXLink url=\"https://chatgpt.com/\" frame=8,88,240,24\n"
           "        AXGroup id=scroller frame=0,120,260,432\n"_s +
           listBody + u"      AXGroup sub=AXLandmarkMain frame=260,80,1340,920\n"_s + mainBody;
}

QString chatLinks(int count, int firstY, const QString& indent = u"          "_s,
                  const QString& prefix = u"https://chatgpt.com/c/"_s, int idBase = 0) {
    QString lines;
    for (int i = 0; i < count; ++i)
        lines +=
            indent + u"AXLink id=l%1 url=\"%2%1\" frame=8,%3,240,28\n"_s.arg(
                         QString::number(idBase + i), prefix, QString::number(firstY + 36 * i));
    return lines;
}

struct ChatLocatorTest : ::testing::Test {
    MemoryAccessibility a11y;
    MemoryFrontmostApplication apps;
    MemoryEnvironment environment;
    MemoryUserDefaults defaults;
    BlurSiteStore sites{defaults};
    ChatLocator::Clock::time_point time{};
    std::unique_ptr<ChatLocator> locator;

    void SetUp() override {
        apps.application = RunningApplication{42, u"org.chromium.Chromium"_s};
        time = ChatLocator::Clock::time_point(100s);
    }

    ChatLocator& make() {
        locator = std::make_unique<ChatLocator>(
            a11y, apps, environment,
            [this](const QString& host, std::optional<int> port) { return sites.site(host, port); },
            [this] { return time; });
        return *locator;
    }
};

} // namespace

TEST_F(ChatLocatorTest, AQuietTickReadsOnlyTheVisibleRowsAndTheBinarySearchProbes) {
    a11y.load(chatPage(u"https://chatgpt.com/c/l5"_s, chatLinks(300, 120)));
    ChatLocator& chats = make();
    const ChatCover first = chats.locateChats();
    ASSERT_EQ(first.rows.size(), 12);
    ASSERT_EQ(first.blocks.size(), 1);
    // The only block covers the whole visible list.
    EXPECT_EQ(first.blocks[0], QRect(0, 120, 260, 432));
    // Each row is the title widened by 4 px on either side, as high as the
    // pitch allows.
    EXPECT_EQ(first.rows[0], QRect(4, 120, 248, 30));
    EXPECT_EQ(first.rows[1], QRect(4, 154, 248, 32));

    a11y.resetCounts();
    time += 250ms;
    const ChatCover second = chats.locateChats();
    EXPECT_EQ(second, first);
    // Window, title, address; the list's and the viewport's frames; then,
    // the list resting, only the first and last rows in view and the one
    // after them (fewer than the 12 rows plus the binary search's ~9 probes).
    EXPECT_EQ(a11y.reads(AX::children), 0);
    EXPECT_EQ(a11y.reads(AX::role), 0);
    EXPECT_EQ(a11y.reads(AX::frame), 2 + 3);
    EXPECT_EQ(a11y.reads(), 3 + 2 + 3);
}

TEST_F(ChatLocatorTest, ALaterListScanOfTheSamePageReadsOnlyTheStructure) {
    a11y.load(chatPage(u"https://chatgpt.com/"_s, chatLinks(300, 120)));
    ChatLocator& chats = make();
    const ChatCover first = chats.locateChats();
    ASSERT_EQ(first.rows.size(), 12);
    a11y.resetCounts();
    time += 3100ms; // the list is searched again
    EXPECT_EQ(chats.locateChats(), first);
    EXPECT_EQ(a11y.reads(AX::url), 1); // the page's own address
    EXPECT_LE(a11y.reads(AX::role), 0);
    EXPECT_GE(a11y.reads(AX::children), 1);
    EXPECT_EQ(chats.runCount(), 1);
}

TEST_F(ChatLocatorTest, ListedTitlesAreFoundWhereverTheListIsScrolled) {
    // Scrolled so that 250 titles are above the viewport.
    a11y.load(chatPage(u"https://chatgpt.com/"_s, chatLinks(300, 120 - 36 * 250)));
    const ChatCover cover = make().locateChats();
    ASSERT_EQ(cover.rows.size(), 12);
    EXPECT_EQ(cover.rows[0].top(), 120);
    EXPECT_LE(cover.rows.last().bottom(), 551);
}

TEST_F(ChatLocatorTest, ARowIsCoveredOnlyWhenMoreThanSixtyPercentOfItsBandIsVisible) {
    // 28 px titles 36 px apart: bands are min(36 - 5, 28 + 8) = 31 px high,
    // from y - 1.5 to y + 29.5; the viewport starts at 120, so the first
    // row needs more than 18.6 px below 120.
    const struct {
        int firstY;
        bool firstCovered;
    } cases[] = {
        {120, true},  // wholly inside
        {110, true},  // 19.5 px visible
        {108, false}, // 17.5 px
        {105, false}, // 14.5 px
        {100, false}, // 9.5 px
    };
    for (const auto& c : cases) {
        MemoryAccessibility tree;
        tree.load(chatPage(u"https://chatgpt.com/"_s, chatLinks(2, c.firstY)));
        ChatLocator chats(tree, apps, environment,
                          [this](const QString& host, std::optional<int> port) {
                              return sites.site(host, port);
                          });
        const ChatCover cover = chats.locateChats();
        ASSERT_EQ(cover.rows.size(), c.firstCovered ? 2 : 1) << c.firstY;
        // A partly visible row is cut at the viewport's edge.
        EXPECT_GE(cover.rows[0].top(), 120);
        ASSERT_EQ(cover.blocks.size(), 1);
        EXPECT_EQ(cover.blocks[0].top(), 120);
    }
}

TEST_F(ChatLocatorTest, LinksThatAreNotChatsSplitTheListIntoRunsWithABlockEach) {
    const QString list =
        chatLinks(3, 120) +
        u"          AXLink url=\"https://chatgpt.com/c/\" frame=8,228,240,28\n"_s +
        chatLinks(4, 264, u"          "_s, u"https://chatgpt.com/c/"_s, 10) +
        u"          AXLink url=\"https://chatgpt.com/gpts\" frame=8,408,240,28\n"_s +
        // A heading between two chats does not end a run; only links do.
        u"          AXStaticText value=\"Yesterday\" frame=8,444,240,20\n"_s +
        chatLinks(1, 480, u"          "_s, u"https://chatgpt.com/c/"_s, 20) +
        u"          AXGroup frame=8,516,240,28\n"
        "            AXStaticText value=\"More\"\n"_s;
    a11y.load(chatPage(u"https://chatgpt.com/"_s, list));
    ChatLocator& chats = make();
    const ChatCover cover = chats.locateChats();
    EXPECT_EQ(chats.runCount(), 3);
    EXPECT_EQ(cover.rows.size(), 8);
    ASSERT_EQ(cover.blocks.size(), 3);
    // The blocks share the visible list: from its top, each down to the
    // next run's first row, the last to its bottom.
    EXPECT_EQ(cover.blocks[0], QRect(0, 120, 260, 264 + 14 - 15 - 120));
    EXPECT_EQ(cover.blocks[1].top(), cover.rows[3].top());
    EXPECT_EQ(cover.blocks[1].bottom() + 1, cover.blocks[2].top());
    EXPECT_EQ(cover.blocks[2].bottom(), 551);
    for (const QRect& block : cover.blocks) {
        EXPECT_EQ(block.left(), 0);
        EXPECT_EQ(block.width(), 260);
    }
}

TEST_F(ChatLocatorTest, WithoutALandmarkOnlyLinksLeftOfTheLimitCount) {
    // Web area 1600 wide: the limit is 0 + max(0.34 × 1600, 440) = 544.
    a11y.load(u"AXApplication pid=42 title=Chromium\n"
              "  AXWindow title=\"Chat\" focusedWindow frame=0,0,1600,1000\n"
              "    AXWebArea url=\"https://chatgpt.com/\" frame=0,80,1600,920\n"
              "      AXGroup frame=0,80,300,920\n"
              "        AXLink url=\"https://chatgpt.com/c/a\" frame=8,120,240,28\n"
              "        AXLink url=\"https://chatgpt.com/c/b\" frame=8,156,240,28\n"
              "        AXLink url=\"https://chatgpt.com/c/wide\" frame=8,192,600,28\n"
              "        AXLink url=\"https://chatgpt.com/c/c\" frame=8,228,240,28\n"
              "      AXGroup frame=600,80,1000,920\n"
              "        AXLink url=\"https://chatgpt.com/c/quoted\" frame=620,300,240,28\n"_s);
    ChatLocator& chats = make();
    const ChatCover cover = chats.locateChats();
    // The too-wide link is ignored without ending the run.
    EXPECT_EQ(chats.runCount(), 1);
    ASSERT_EQ(cover.rows.size(), 3);
    for (const QRect& row : cover.rows)
        EXPECT_LT(row.right(), 544);
}

TEST_F(ChatLocatorTest, OnlyAListedSiteInABrowserInFrontIsScanned) {
    const struct {
        QString applicationId;
        QString url;
        bool disable;
        bool covered;
    } cases[] = {
        {u"org.chromium.Chromium"_s, u"https://chatgpt.com/"_s, false, true},
        {u"com.google.Chrome.beta"_s, u"https://www.chatgpt.com/"_s, false, true},
        {u"org.mozilla.firefox"_s, u"https://chatgpt.com/"_s, false, false},
        {u"org.gnome.TextEditor"_s, u"https://chatgpt.com/"_s, false, false},
        {u"org.chromium.Chromium"_s, u"https://example.com/"_s, false, false},
        {u"org.chromium.Chromium"_s, u"https://chatgpt.com/"_s, true, false},
    };
    for (const auto& c : cases) {
        MemoryAccessibility tree;
        tree.load(chatPage(c.url, chatLinks(5, 120)));
        apps.application = RunningApplication{42, c.applicationId};
        MemoryUserDefaults settings;
        BlurSiteStore listed(settings);
        listed.setEnabled(!c.disable, u"chatgpt.com"_s);
        ChatLocator chats(tree, apps, environment,
                          [&listed](const QString& host, std::optional<int> port) {
                              return listed.site(host, port);
                          });
        EXPECT_EQ(chats.locateChats().rows.size(), c.covered ? 5 : 0)
            << c.applicationId.toStdString() << " " << c.url.toStdString();
        // Nothing failed: there is just nothing to cover.
        EXPECT_FALSE(chats.wasInterrupted());
    }
}

TEST_F(ChatLocatorTest, ASiteAddedWithAPortMatchesPagesOnThatPort) {
    ASSERT_TRUE(sites.add(u"dev.local:8080"_s, u"/chat/"_s));
    const struct {
        QString url;
        int rows;
    } cases[] = {
        {u"http://dev.local:8080/"_s, 3},
        {u"http://dev.local:9090/"_s, 0},
        {u"http://dev.local/"_s, 0},
    };
    for (const auto& c : cases) {
        MemoryAccessibility tree;
        tree.load(chatPage(c.url, chatLinks(3, 120, u"          "_s, c.url + u"chat/"_s)));
        ChatLocator chats(tree, apps, environment,
                          [this](const QString& host, std::optional<int> port) {
                              return sites.site(host, port);
                          });
        EXPECT_EQ(chats.locateChats().rows.size(), c.rows) << c.url.toStdString();
    }
}

TEST_F(ChatLocatorTest, AVanishedRowDropsTheRunsAndTheListIsFoundAgainLater) {
    a11y.load(chatPage(u"https://chatgpt.com/"_s, chatLinks(20, 120)));
    ChatLocator& chats = make();
    ASSERT_EQ(chats.locateChats().rows.size(), 12);
    EXPECT_FALSE(chats.wasInterrupted());
    a11y.remove(a11y.byId(u"l0"_s));
    time += 250ms;
    EXPECT_TRUE(chats.locateChats().rows.isEmpty());
    EXPECT_TRUE(chats.wasInterrupted());
    EXPECT_EQ(chats.runCount(), 0);
    time += 250ms;
    EXPECT_TRUE(chats.locateChats().rows.isEmpty()); // not before 1.5 s
    time += 1500ms;
    // The place the removed title left is not covered.
    EXPECT_EQ(chats.locateChats().rows.size(), 11);
}

TEST_F(ChatLocatorTest, ChatLinksNeedSomethingAfterThePattern) {
    const struct {
        QString path;
        QStringList patterns;
        bool chat;
    } cases[] = {
        {u"/c/abc"_s, {u"/c/"_s}, true},
        {u"/c/"_s, {u"/c/"_s}, false},
        {u"/chat/x"_s, {}, true},
        {u"/t/1"_s, {}, true},
        {u"/library"_s, {}, false},
        {u"/app/x"_s, {u"/app/"_s}, true},
        {u"/chat/x"_s, {u"/app/"_s}, false},
        {u"/chat/conversation/"_s, {u"/chat/conversation/"_s}, false},
        {u"/chat/conversation/7"_s, {u"/chat/conversation/"_s}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChatLocator::isChatPath(c.path, c.patterns), c.chat) << c.path.toStdString();
}
