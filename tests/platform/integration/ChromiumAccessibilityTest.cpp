// The accessibility seam against a real Chromium in the test's desktop
// session: what `tovik a11y focus` reports for real form fields, typing any
// text through XTest, and a browser that stops answering.
#include "platform/integration/ChromiumSession.h"
#include "platform/integration/LocalHttpServer.h"
#include "platform/linux/QtOverlayPanels.h"
#include "platform/linux/X11FrontmostApplication.h"
#include "platform/linux/XcbDesktopInput.h"
#include "support/GuiApplication.h"
#include "support/TovikProcess.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QByteArray kForm = R"(<!doctype html>
<html><head><title>Sign up</title></head><body>
<form>
  <p><label for="we">Work email</label> <input id="we" type="email"></p>
  <p><label for="pw">Password</label> <input id="pw" type="password" value="hunter22"></p>
  <p><label for="q">Find</label> <input id="q" type="search"></p>
  <p>Tell us more <textarea id="ta"></textarea></p>
  <p><input id="typed" type="text" aria-label="Typing target"></p>
</form></body></html>)";

class ChromiumAccessibility : public ::testing::Test {
protected:
    void SetUp() override {
        if (const QString reason = ChromiumSession::unavailableReason(); !reason.isEmpty())
            GTEST_SKIP() << reason.toStdString();
        guiApplication();
        server.routeHtml("/form", kForm);
        ASSERT_TRUE(browser.open(server.url("/form"))) << "Chromium's tree never showed the page";
    }

    QJsonObject focusJson() {
        const TovikRun run = runTovik(
            {u"a11y"_s, u"focus"_s, u"--pid"_s, QString::number(browser.pid()), u"--json"_s});
        EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out).object();
    }

    void focusField(const QString& id) {
        const AXElement field = browser.byDomId(id);
        ASSERT_TRUE(field) << id.toStdString();
        // A click that lands while the new window is still being mapped and
        // activated can be lost; a person would click again.
        bool focused = false;
        for (int attempt = 0; attempt < 3 && !focused; ++attempt) {
            ASSERT_TRUE(browser.click(field));
            focused = browser.waitForFocus(id, 4000);
        }
        ASSERT_TRUE(focused) << id.toStdString();
    }

    LocalHttpServer server;
    ChromiumSession browser;
};
} // namespace

TEST_F(ChromiumAccessibility, FocusReportsRolesLabelsAndKeepsPasswordsToItself) {
    focusField(u"we"_s);
    QJsonObject json = focusJson();
    EXPECT_EQ(json.value(u"app"_s).toString(), u"org.chromium.Chromium"_s);
    EXPECT_EQ(json.value(u"pid"_s).toInteger(), browser.pid());
    EXPECT_EQ(json.value(u"role"_s).toString(), u"AXTextField"_s);
    EXPECT_TRUE(json.value(u"subrole"_s).isNull());
    EXPECT_EQ(json.value(u"label"_s).toString(), u"Work email"_s);
    EXPECT_EQ(json.value(u"domId"_s).toString(), u"we"_s);
    EXPECT_EQ(json.value(u"web"_s).toBool(), true);

    focusField(u"pw"_s);
    json = focusJson();
    EXPECT_EQ(json.value(u"role"_s).toString(), u"AXTextField"_s);
    EXPECT_EQ(json.value(u"subrole"_s).toString(), u"AXSecureTextField"_s);
    EXPECT_TRUE(json.value(u"value"_s).isNull());
    EXPECT_FALSE(QJsonDocument(json).toJson().contains("hunter22"));

    focusField(u"q"_s);
    json = focusJson();
    EXPECT_EQ(json.value(u"subrole"_s).toString(), u"AXSearchField"_s);

    focusField(u"ta"_s);
    json = focusJson();
    EXPECT_EQ(json.value(u"role"_s).toString(), u"AXTextArea"_s);
    EXPECT_EQ(json.value(u"before"_s).toString(), u"Tell us more"_s);
}

TEST_F(ChromiumAccessibility, TypesAnyTextWhateverTheKeyboardLayout) {
    // Chromium takes every character of the Basic Multilingual Plane typed
    // this way, but no emoji (it reads a keysym as one UTF-16 unit).
    focusField(u"typed"_s);
    const QString text = u"Zoë café — 東京 «ok» ∑ 3½"_s;
    XcbKeyboardTyper typer;
    ASSERT_TRUE(typer.type(text));
    const AXElement field = browser.byDomId(u"typed"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return field.string(AX::value) == text; }, 10000))
        << field.string(AX::value).value_or(u"(absent)"_s).toStdString();
}

TEST_F(ChromiumAccessibility, AStoppedBrowserCostsOneTimeOutNotAFreeze) {
    focusField(u"we"_s);
    const AXElement field = browser.byDomId(u"we"_s);
    ASSERT_TRUE(field.frame());
    ::kill(pid_t(browser.pid()), SIGSTOP);
    QElapsedTimer clock;
    clock.start();
    // Many reads in a row: the first waits for the time-out, the rest are
    // refused at once while the browser stays silent.
    for (int i = 0; i < 40; ++i)
        EXPECT_FALSE(field.frame());
    const qint64 elapsed = clock.elapsed();
    const TovikRun run =
        runTovik({u"a11y"_s, u"tree"_s, u"--pid"_s, QString::number(browser.pid())}, {},
                 QProcessEnvironment::systemEnvironment(), 60000);
    ::kill(pid_t(browser.pid()), SIGCONT);
    // Forty reads at 0.25 s each would take 10 s.
    EXPECT_LT(elapsed, 3000);
    EXPECT_NE(run.exitStatus, -1) << "tovik a11y tree did not finish";
    // Awake again, the browser answers after the back-off.
    EXPECT_TRUE(QTest::qWaitFor([&] { return field.frame().has_value(); }, 10000));
}

TEST_F(ChromiumAccessibility, OverlayPanelsLetClicksThroughAndTakeNoFocus) {
    X11FrontmostApplication desktop({});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto front = desktop.frontmost();
            return front && front->pid == browser.pid();
        },
        10000));
    const AXElement field = browser.byDomId(u"we"_s);
    const auto frame = field.frame();
    ASSERT_TRUE(frame);
    QtOverlayPanels panels;
    const auto panel = panels.makeFrostedPanel();
    panel->setFrame(frame->adjusted(-20, -10, 20, 10));
    panel->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->isVisible(); }, 5000));
    // A click on the panel reaches the field beneath it. (Every click lands
    // on the panel, so a lost first click may be repeated, as a person would.)
    bool focused = false;
    for (int attempt = 0; attempt < 3 && !focused; ++attempt) {
        ASSERT_TRUE(browser.click(field));
        focused = browser.waitForFocus(u"we"_s, 4000);
    }
    EXPECT_TRUE(focused);
    const auto front = desktop.frontmost();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->pid, browser.pid()) << "the panel took the active window";
    panel->hide();
}

TEST(DesktopInput, PointerPositionAndWheelStepsAnywhereOnTheDesktop) {
    if (!hasDisplay())
        GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
    guiApplication();
    XcbPointerMonitor pointer;
    ASSERT_EQ(QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"321"_s, u"234"_s}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pointer.position() == QPoint(321, 234); }, 5000));

    int steps = 0;
    ASSERT_TRUE(pointer.startWheelMonitor([&] { steps++; }));
    ASSERT_EQ(QProcess::execute(u"xdotool"_s, {u"click"_s, u"5"_s}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return steps > 0; }, 5000));
    pointer.stopWheelMonitor();
    const int before = steps;
    // A plain click is no wheel step; a monitor started again reports anew.
    ASSERT_TRUE(pointer.startWheelMonitor([&] { steps += 100; }));
    ASSERT_EQ(QProcess::execute(u"xdotool"_s, {u"click"_s, u"1"_s}), 0);
    ASSERT_EQ(QProcess::execute(u"xdotool"_s, {u"click"_s, u"4"_s}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return steps == before + 100; }, 5000)) << steps;
}
