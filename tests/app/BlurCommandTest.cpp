// `tovik blur`: the JSON shapes, the refusals with the page's words, and
// what each action changes.
#include "app/cli/BlurCommand.h"

#include "app/cli/CommandStreams.h"
#include "chatblur/BlurSiteStore.h"
#include "platform/memory/MemoryAccessibility.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFrontmostApplication.h"
#include "platform/memory/MemoryUserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <sstream>

using namespace Qt::StringLiterals;

namespace {
struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

struct BlurCommandTest : ::testing::Test {
    MemoryUserDefaults defaults;
    BlurSiteStore store{defaults};
    MemoryAccessibility a11y;
    MemoryFrontmostApplication apps;
    MemoryEnvironment environment;

    CommandRun run(const QStringList& args) {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        CommandStreams streams{in, out, err};
        BlurCommand command(&store, &a11y, &apps, &environment);
        const int status = command.run(args, streams);
        return {status, out.str(), err.str()};
    }
};
} // namespace

TEST_F(BlurCommandTest, SitesListsBuiltInsFirstWithTheirSwitches) {
    ASSERT_EQ(run({u"add"_s, u"https://www.my.chat/x"_s, u"talk"_s}).status, 0);
    ASSERT_EQ(run({u"disable"_s, u"claude.ai"_s}).status, 0);
    const CommandRun r = run({u"sites"_s, u"--json"_s});
    ASSERT_EQ(r.status, 0) << r.err;
    // Keys in the record's order, then "enabled".
    EXPECT_NE(
        r.out.find(
            R"({"name":"ChatGPT","host":"chatgpt.com","paths":["/c/"],"builtIn":true,"enabled":true})"),
        std::string::npos);
    const QJsonArray sites = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array();
    ASSERT_EQ(sites.size(), 16);
    EXPECT_EQ(sites[1].toObject().value(u"enabled"_s), false);
    const QJsonObject mine = sites[15].toObject();
    EXPECT_EQ(mine.value(u"host"_s), u"my.chat"_s);
    EXPECT_EQ(mine.value(u"paths"_s).toArray(), QJsonArray{u"/talk"_s});
    EXPECT_EQ(mine.value(u"builtIn"_s), false);
    EXPECT_EQ(mine.value(u"enabled"_s), true);
}

TEST_F(BlurCommandTest, EachActionAnswersAsThePageWould) {
    const struct {
        QStringList args;
        int status;
        std::string out;
        std::string err;
    } steps[] = {
        {{u"add"_s, u"dev.local:8080"_s},
         0,
         "{\"name\":\"dev.local:8080\",\"host\":\"dev.local:8080\",\"paths\":[],\"builtIn\":false}"
         "\n",
         ""},
        {{u"add"_s, u"DEV.local:8080/x"_s}, 1, "", "That site is already in the list.\n"},
        {{u"add"_s, u"chatgpt.com"_s}, 1, "", "That site is already in the list.\n"},
        {{u"add"_s, u"localhost:3000"_s}, 1, "", "That does not look like a website address.\n"},
        {{u"site"_s, u"www.chatgpt.com"_s},
         0,
         "{\"name\":\"ChatGPT\",\"host\":\"chatgpt.com\",\"paths\":[\"/c/\"],\"builtIn\":true}\n",
         ""},
        {{u"site"_s, u"dev.local:8080"_s},
         0,
         "{\"name\":\"dev.local:8080\",\"host\":\"dev.local:8080\",\"paths\":[],\"builtIn\":false}"
         "\n",
         ""},
        {{u"site"_s, u"notchatgpt.com"_s}, 1, "", ""},
        {{u"disable"_s, u"chatgpt.com"_s}, 0, "", ""},
        {{u"site"_s, u"chatgpt.com"_s}, 1, "", ""},
        {{u"enable"_s, u"https://chatgpt.com/"_s}, 0, "", ""},
        {{u"site"_s, u"chatgpt.com"_s},
         0,
         "{\"name\":\"ChatGPT\",\"host\":\"chatgpt.com\",\"paths\":[\"/c/\"],\"builtIn\":true}\n",
         ""},
        {{u"disable"_s, u"dev.local:8080"_s}, 0, "", ""},
        {{u"remove"_s, u"dev.local:8080"_s}, 0, "", ""},
        {{u"site"_s, u"dev.local:8080"_s}, 1, "", ""},
    };
    for (const auto& step : steps) {
        const CommandRun r = run(step.args);
        EXPECT_EQ(r.status, step.status) << step.args.join(u' ').toStdString() << r.err;
        EXPECT_EQ(r.out, step.out) << step.args.join(u' ').toStdString();
        EXPECT_EQ(r.err, step.err) << step.args.join(u' ').toStdString();
    }
    // Removed while switched off, then added again: it starts switched on.
    EXPECT_TRUE(store.disabled().isEmpty());
}

TEST_F(BlurCommandTest, RefusalsAndMistakesExitNonZeroWithOneLine) {
    const struct {
        QStringList args;
        int status;
    } cases[] = {
        {{u"remove"_s, u"chatgpt.com"_s}, 1},
        {{u"remove"_s, u"never.added"_s}, 1},
        {{u"enable"_s, u"never.added"_s}, 1},
        {{}, 2},
        {{u"frobnicate"_s}, 2},
        {{u"add"_s}, 2},
        {{u"site"_s}, 2},
        {{u"remove"_s, u"a.b"_s, u"c.d"_s}, 2},
        {{u"site"_s, u"chatgpt.com"_s, u"--json"_s}, 2},
        {{u"scan"_s, u"--pid"_s, u"x"_s}, 2},
    };
    for (const auto& c : cases) {
        const CommandRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(u' ').toStdString();
        if (c.status != 0) {
            EXPECT_FALSE(r.err.empty());
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    }
    EXPECT_TRUE(store.site(u"chatgpt.com"_s));
}

TEST_F(BlurCommandTest, ScanPrintsRowsAndBlocksInScreenPixels) {
    a11y.load(u"AXApplication pid=42 title=Chromium\n"
              "  AXWindow title=\"Chat\" focusedWindow frame=0,0,1600,1000\n"
              "    AXWebArea url=\"https://chatgpt.com/\" frame=0,80,1600,920\n"
              "      AXGroup sub=AXLandmarkNavigation frame=0,80,260,800\n"
              "        AXLink url=\"https://chatgpt.com/c/1\" frame=8,120,240,28\n"
              "        AXLink url=\"https://chatgpt.com/c/2\" frame=8,156,240,28\n"_s);
    apps.application = RunningApplication{42, u"org.chromium.Chromium"_s};
    CommandRun r = run({u"scan"_s, u"--json"_s});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"rows\":[[4,118,248,32],[4,154,248,32]],\"blocks\":[[0,80,260,800]]}\n");

    apps.application = RunningApplication{7, u"org.gnome.TextEditor"_s};
    r = run({u"scan"_s, u"--json"_s});
    EXPECT_EQ(r.out, "{\"rows\":[],\"blocks\":[]}\n");
    r = run({u"scan"_s, u"--pid"_s, u"99"_s, u"--json"_s});
    EXPECT_EQ(r.status, 1);
}
