#include "support/GuiApplication.h"
#include "support/TovikProcess.h"

#include "platform/linux/XcbGlobalHotKey.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The desktop app running in the test's desktop session, with its own data,
// settings and runtime folders.
class RunningApp : public ::testing::Test {
protected:
    void SetUp() override {
        if (!hasDisplay())
            GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
        QDir().mkpath(home.filePath(u"runtime"_s));
        QFile::setPermissions(home.filePath(u"runtime"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"runtime"_s));
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(TOVIK_BINARY), {});
        ASSERT_TRUE(app.waitForStarted());
        // The app is ready once its socket answers.
        ASSERT_TRUE(QTest::qWaitFor(
            [this] {
                return !QDir(home.filePath(u"runtime"_s))
                            .entryList({u"com.nivo.lumavex.*.socket"_s}, QDir::System)
                            .isEmpty();
            },
            10000));
    }
    void TearDown() override {
        if (app.state() != QProcess::NotRunning) {
            app.terminate();
            if (!app.waitForFinished(5000))
                app.kill();
            app.waitForFinished();
        }
    }
    TovikRun tovik(const QStringList& arguments, const QByteArray& input = {}) {
        return runTovik(arguments, input, env);
    }

    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess app;
};

} // namespace

TEST_F(RunningApp, ChangesFromTheCommandLineAreCarriedOutByTheApp) {
    const TovikRun added = tovik({u"add"_s, u"text"_s, u"hello"_s});
    ASSERT_EQ(added.exitStatus, 0) << added.err.toStdString();
    const QJsonObject answer = QJsonDocument::fromJson(added.out).object();
    EXPECT_TRUE(answer.value(u"isNew"_s).toBool());

    // Standard input and relative paths travel with the command.
    QDir().mkpath(home.filePath(u"work"_s));
    QFile note(home.filePath(u"work/note.txt"_s));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("x");
    note.close();
    QProcess relative;
    relative.setProcessEnvironment(env);
    relative.setWorkingDirectory(home.filePath(u"work"_s));
    relative.start(QStringLiteral(TOVIK_BINARY), {u"add"_s, u"file"_s, u"note.txt"_s});
    ASSERT_TRUE(relative.waitForFinished(30000));
    EXPECT_EQ(relative.exitCode(), 0) << relative.readAllStandardError().toStdString();
    EXPECT_EQ(tovik({u"add"_s, u"text"_s, u"-"_s}, "from a pipe\n").exitStatus, 0);

    const QJsonArray items = QJsonDocument::fromJson(tovik({u"list"_s, u"--json"_s}).out).array();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].toObject().value(u"text"_s).toString(), u"from a pipe"_s);
    EXPECT_EQ(items[1].toObject().value(u"title"_s).toString(), u"note.txt"_s);
    EXPECT_EQ(items[2].toObject().value(u"id"_s).toString(), answer.value(u"id"_s).toString());

    // Errors come back as the command's own.
    const TovikRun wrong = tovik({u"remove"_s, u"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F"_s});
    EXPECT_EQ(wrong.exitStatus, 1);
    EXPECT_TRUE(wrong.err.startsWith("tovik remove: no item")) << wrong.err.toStdString();
}

TEST_F(RunningApp, ASecondStartHandsOverAndLeaves) {
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(TOVIK_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(10000)) << "the second start must not stay";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(app.state(), QProcess::Running);
}

namespace {

// Whether a window titled like the main window is mapped on the display.
bool mainWindowShown() {
    QProcess search;
    search.start(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^lumavex$"_s});
    search.waitForFinished(3000);
    return !search.readAllStandardOutput().trimmed().isEmpty();
}

// Whether the main window has the keyboard.
bool mainWindowActive() {
    QProcess active;
    active.start(u"xdotool"_s, {u"getactivewindow"_s, u"getwindowname"_s});
    active.waitForFinished(3000);
    return active.readAllStandardOutput().trimmed() == "lumavex";
}

} // namespace

TEST_F(RunningApp, ASecondStartAndAltSpaceShowTheMainWindowAndAltSpaceHidesIt) {
    ASSERT_FALSE(mainWindowShown());
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(TOVIK_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    ASSERT_TRUE(QTest::qWaitFor(mainWindowShown, 5000)) << "the second start shows the window";

    // Once the window is active, the hot key hides it, and brings it back.
    ASSERT_TRUE(QTest::qWaitFor(mainWindowActive, 5000));
    QProcess::execute(u"xdotool"_s, {u"key"_s, u"alt+space"_s});
    EXPECT_TRUE(QTest::qWaitFor([] { return !mainWindowShown(); }, 5000));
    QProcess::execute(u"xdotool"_s, {u"key"_s, u"alt+space"_s});
    EXPECT_TRUE(QTest::qWaitFor(mainWindowShown, 5000));
}

TEST_F(RunningApp, CtrlQInTheMainWindowQuitsTheApp) {
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(TOVIK_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    ASSERT_TRUE(QTest::qWaitFor(mainWindowActive, 5000)) << "the second start shows the window";
    QProcess::execute(u"xdotool"_s, {u"key"_s, u"ctrl+q"_s});
    ASSERT_TRUE(app.waitForFinished(5000)) << "the app is still running";
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
}

TEST_F(RunningApp, FirstLaunchRegistersTheAutostartEntry) {
    const QString entry = home.filePath(u"config/autostart/com.nivo.lumavex.desktop"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(entry); }, 5000));
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Exec=\""));
    QFile defaults(home.filePath(u"config/com.nivo.lumavex/defaults.json"_s));
    ASSERT_TRUE(defaults.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(defaults.readAll()).object().value(u"didConfigureLoginItem"_s),
              QJsonValue(true));
}

TEST(GlobalHotKey, AltSpaceFromTheKeyboardReachesTheApp) {
    if (!hasDisplay())
        GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
    guiApplication();
    XcbGlobalHotKey hotKey;
    int presses = 0;
    ASSERT_TRUE(hotKey.registerAltSpace([&presses] { ++presses; }));
    QProcess::execute(u"xdotool"_s, {u"key"_s, u"alt+space"_s});
    EXPECT_TRUE(QTest::qWaitFor([&] { return presses == 1; }, 3000));
    // With Num Lock on the grab still holds.
    QProcess::execute(u"xdotool"_s, {u"key"_s, u"Num_Lock"_s});
    QProcess::execute(u"xdotool"_s, {u"key"_s, u"alt+space"_s});
    EXPECT_TRUE(QTest::qWaitFor([&] { return presses == 2; }, 3000));
    QProcess::execute(u"xdotool"_s, {u"key"_s, u"Num_Lock"_s});
    // Plain Space is not ours.
    QProcess::execute(u"xdotool"_s, {u"key"_s, u"space"_s});
    QTest::qWait(300);
    EXPECT_EQ(presses, 2);

    // The shortcut is registered once for the life of the process.
    EXPECT_FALSE(hotKey.registerAltSpace([] {}));
}
