// `tovik a11y` over a substitute tree: the JSON contract, what it keeps to
// itself, and what it says when there is nothing to read.
#include "app/cli/A11yCommand.h"

#include "app/cli/CommandStreams.h"
#include "platform/memory/MemoryAccessibility.h"
#include "platform/memory/MemoryFrontmostApplication.h"

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

struct A11yCommandTest : ::testing::Test {
    MemoryAccessibility a11y;
    MemoryFrontmostApplication apps;

    void SetUp() override {
        a11y.load(u"AXApplication pid=42 title=Chromium\n"
                  "  AXWindow title=\"Sign up\" focusedWindow frame=0,0,800,600\n"
                  "    AXWebArea url=\"http://forms.test/\" frame=0,80,800,520\n"
                  "      AXGroup id=lab\n"
                  "        AXStaticText value=\"Work email\"\n"
                  "      AXTextField id=we label=lab value=\"\"\n"
                  "      AXTextField sub=AXSecureTextField id=pw value=\"hunter2\"\n"
                  "      AXLink title=\"Terms\" url=\"http://forms.test/terms\"\n"_s);
        apps.application = RunningApplication{42, u"org.chromium.Chromium"_s};
    }

    CommandRun run(const QStringList& args) {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        CommandStreams streams{in, out, err};
        A11yCommand command(&a11y, &apps);
        const int status = command.run(args, streams);
        return {status, out.str(), err.str()};
    }

    QJsonObject focusJson() {
        const CommandRun r = run({u"focus"_s, u"--json"_s});
        EXPECT_EQ(r.status, 0) << r.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    }
};
} // namespace

TEST_F(A11yCommandTest, FocusReportsTheFieldAsTheAutofillEngineSeesIt) {
    a11y.focus(a11y.byId(u"we"_s));
    const QJsonObject json = focusJson();
    const QStringList keys{u"app"_s,    u"pid"_s,         u"role"_s,        u"subrole"_s,
                           u"label"_s,  u"title"_s,       u"description"_s, u"before"_s,
                           u"picker"_s, u"placeholder"_s, u"value"_s,       u"domId"_s,
                           u"web"_s};
    for (const QString& key : keys)
        EXPECT_TRUE(json.contains(key)) << key.toStdString();
    EXPECT_EQ(json.size(), keys.size());
    EXPECT_EQ(json.value(u"app"_s).toString(), u"org.chromium.Chromium"_s);
    EXPECT_EQ(json.value(u"pid"_s).toInteger(), 42);
    EXPECT_EQ(json.value(u"role"_s).toString(), u"AXTextField"_s);
    EXPECT_TRUE(json.value(u"subrole"_s).isNull());
    EXPECT_EQ(json.value(u"label"_s).toString(), u"Work email"_s);
    EXPECT_TRUE(json.value(u"title"_s).isNull());
    EXPECT_EQ(json.value(u"value"_s).toString(u"null"_s), u""_s);
    EXPECT_EQ(json.value(u"domId"_s).toString(), u"we"_s);
    EXPECT_EQ(json.value(u"web"_s).toBool(), true);
    EXPECT_EQ(json.value(u"picker"_s).toBool(true), false);
}

TEST_F(A11yCommandTest, APasswordIsNeverPrinted) {
    a11y.focus(a11y.byId(u"pw"_s));
    const QJsonObject json = focusJson();
    EXPECT_EQ(json.value(u"subrole"_s).toString(), u"AXSecureTextField"_s);
    EXPECT_TRUE(json.value(u"value"_s).isNull());
    const CommandRun plain = run({u"focus"_s});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out.find("hunter2"), std::string::npos);
    EXPECT_NE(plain.out.find("value: -"), std::string::npos) << plain.out;
}

TEST_F(A11yCommandTest, TreePrintsOneIndentedElementALine) {
    const CommandRun r = run({u"tree"_s, u"--depth"_s, u"3"_s});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("AXApplication \"Chromium\"\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  AXWindow \"Sign up\" [0,0 800×600]\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    AXWebArea <http://forms.test/> [0,80 800×520]\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("      AXTextField/AXSecureTextField\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("      AXLink \"Terms\" <http://forms.test/terms>\n"), std::string::npos);
    // Depth 3 stops above the label's text.
    EXPECT_EQ(r.out.find("AXStaticText"), std::string::npos) << r.out;
}

TEST_F(A11yCommandTest, SaysWhyWhenThereIsNothingToRead) {
    struct Case {
        const char* name;
        std::function<void(A11yCommandTest&)> arrange;
        QStringList args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"no accessibility bus",
         [](A11yCommandTest& t) { t.a11y.reachable = false; },
         {u"focus"_s},
         1,
         "no accessibility bus"},
        {"no active window",
         [](A11yCommandTest& t) { t.apps.application.reset(); },
         {u"tree"_s},
         1,
         "no window is active"},
        {"no such process",
         [](A11yCommandTest&) {},
         {u"focus"_s, u"--pid"_s, u"99"_s},
         1,
         "no process 99"},
        {"a process without a tree",
         [](A11yCommandTest& t) {
             t.apps.others.insert(5, {5, u"gedit"_s});
         },
         {u"tree"_s, u"--pid"_s, u"5"_s},
         1,
         "has no accessibility tree"},
        {"nothing focused", [](A11yCommandTest&) {}, {u"focus"_s}, 1, "has no focused element"},
        {"unknown action", [](A11yCommandTest&) {}, {u"list"_s}, 2, "focus or tree"},
        {"a bad depth", [](A11yCommandTest&) {}, {u"tree"_s, u"--depth"_s, u"-1"_s}, 2, "--depth"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange(*this);
        const CommandRun r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        a11y.reachable = true;
        apps.application = RunningApplication{42, u"org.chromium.Chromium"_s};
    }
}
