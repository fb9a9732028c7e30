#include "platform/integration/LocalHttpServer.h"
#include "platform/linux/XcbGlobalHotKey.h"
#include "support/AppHome.h"
#include "support/GuiApplication.h"
#include "support/TovikProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QUuid>
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
        env = home.environment();
        ASSERT_TRUE(home.start(app, env));
    }
    void TearDown() override { AppHome::stop(app); }
    TovikRun tovik(const QStringList& arguments, const QByteArray& input = {}) {
        return runTovik(arguments, input, env);
    }
    QJsonArray items() {
        return QJsonDocument::fromJson(tovik({u"list"_s, u"--json"_s}).out).array();
    }
    // Keeps a link to a page that answers after delayMs, and waits until the
    // app has started reading it.
    void keepSlowLink(LocalHttpServer& server, int delayMs, const QByteArray& title) {
        LocalHttpServer::Response slow;
        slow.delayMs = delayMs;
        slow.body = "<title>" + title + "</title>";
        server.route("/slow", slow);
        ASSERT_EQ(tovik({u"add"_s, u"link"_s, server.url("/slow").toString()}).exitStatus, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 10000));
    }

    AppHome home;
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
    QDir().mkpath(home.path(u"work"_s));
    QFile note(home.path(u"work/note.txt"_s));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("x");
    note.close();
    QProcess relative;
    relative.setProcessEnvironment(env);
    relative.setWorkingDirectory(home.path(u"work"_s));
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

TEST_F(RunningApp, WhatACommandAcknowledgedIsListedAtOnceAndSurvivesTheAppBeingKilled) {
    // Each add answers once its item is safe, before the whole index is
    // rewritten; at 5,000 notes that takes long enough that a kill right
    // after the last answer comes first, and that a command reading the
    // folder meanwhile meets an index being replaced.
    app.terminate();
    ASSERT_TRUE(app.waitForFinished(10000));
    QJsonArray library;
    for (int i = 0; i < 5000; ++i) {
        library.append(
            QJsonObject{{u"id"_s, QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()},
                        {u"kind"_s, u"text"_s},
                        {u"title"_s, u"older note %1"_s.arg(i)},
                        {u"detail"_s, u"Text snippet"_s},
                        {u"text"_s, u"older note %1 "_s.arg(i) + QString(2500, u'x')},
                        {u"savedAt"_s, 700'000'000.0 + i},
                        {u"category"_s, u"Ideas"_s}});
    }
    // The app makes its data folder only once it keeps something.
    ASSERT_TRUE(QDir().mkpath(home.path(u"data/Lumavex"_s)));
    QFile index(home.path(u"data/Lumavex/items.json"_s));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly | QIODevice::Truncate));
    index.write(QJsonDocument(library).toJson(QJsonDocument::Compact));
    index.close();
    ASSERT_TRUE(home.start(app, env));

    QStringList texts;
    for (int i = 0; i < 30; ++i) {
        texts.prepend(u"note %1 "_s.arg(i) + QString(2000, QChar(u'a' + i % 26)));
        ASSERT_EQ(tovik({u"add"_s, u"text"_s, texts.first()}).exitStatus, 0);
        if (i % 3 == 0 && i < 29) {
            ASSERT_EQ(items().size(), texts.size() + library.size()) << "after add " << i;
        }
    }
    app.kill();
    app.waitForFinished();
    const QJsonArray after = items();
    ASSERT_EQ(after.size(), texts.size() + library.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        EXPECT_EQ(after[i].toObject().value(u"text"_s).toString(), texts[i]) << i;
}

TEST_F(RunningApp, StartedWhileTheDataFolderIsBusyItKeepsNothingUntilItIsTheWriter) {
    TearDown();
    const QString folder = home.path(u"data/Lumavex"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    // Another process holds the folder (a command, an app that is quitting).
    QProcess holder;
    holder.start(u"flock"_s, {u"-o"_s, folder + u"/.lock"_s, u"sleep"_s, u"60"_s});
    ASSERT_TRUE(holder.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(folder + u"/.lock"_s); }, 5000));
    // The socket the first app left would pass for the new one's.
    QDir(home.path(u"runtime"_s)).removeRecursively();
    SetUp();

    const TovikRun refused = tovik({u"add"_s, u"text"_s, u"kept while busy"_s});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_TRUE(refused.err.contains("another Tovik process")) << refused.err.toStdString();
    EXPECT_TRUE(refused.out.isEmpty()) << "no answer says it was kept";
    EXPECT_EQ(refused.err.count('\n'), 1);

    holder.kill();
    holder.waitForFinished();
    // The app takes the folder over as soon as it is free.
    TovikRun kept;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            kept = tovik({u"add"_s, u"text"_s, u"kept once free"_s});
            return kept.exitStatus == 0;
        },
        10000))
        << kept.err.toStdString();
    TearDown();
    const QJsonArray stored = items();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].toObject().value(u"text"_s).toString(), u"kept once free"_s);
}

TEST_F(RunningApp, QuittingWhileAPageIsReadEndsCleanlyAndKeepsEveryChange) {
    LocalHttpServer server;
    keepSlowLink(server, 30000, "Too late");
    ASSERT_EQ(tovik({u"add"_s, u"text"_s, u"the last change"_s}).exitStatus, 0);

    app.terminate(); // what a session logging out sends
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << "not a crash";
    EXPECT_EQ(app.exitCode(), 0);
    const QJsonArray kept = items();
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[0].toObject().value(u"text"_s).toString(), u"the last change"_s);
}

TEST_F(RunningApp, AnEnrichHandedToTheAppAnswersWhenDoneWhileOtherCommandsGoOn) {
    LocalHttpServer server;
    keepSlowLink(server, 3000, "Slow but there");

    QProcess enrich;
    enrich.setProcessEnvironment(env);
    enrich.start(QStringLiteral(TOVIK_BINARY), {u"enrich"_s, u"--wait"_s});
    ASSERT_TRUE(enrich.waitForStarted());
    // The app is not stuck inside the waiting command.
    const TovikRun added = tovik({u"add"_s, u"text"_s, u"meanwhile"_s});
    EXPECT_EQ(added.exitStatus, 0) << added.err.toStdString();
    EXPECT_EQ(enrich.state(), QProcess::Running) << "answered before the page was read";

    ASSERT_TRUE(enrich.waitForFinished(30000));
    EXPECT_EQ(enrich.exitCode(), 0) << enrich.readAllStandardError().toStdString();
    const QJsonObject counts = QJsonDocument::fromJson(enrich.readAllStandardOutput()).object();
    EXPECT_EQ(counts.value(u"handed"_s).toInt(), counts.value(u"finished"_s).toInt());
    const QJsonArray kept = items();
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[1].toObject().value(u"title"_s).toString(), u"Slow but there"_s);
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
    const QString entry = home.path(u"config/autostart/com.nivo.lumavex.desktop"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(entry); }, 5000));
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // A login starts `tovik`, which sets up what the app's launch relies on,
    // not the program it became.
    const QString launcher = QFileInfo(QStringLiteral(TOVIK_BINARY)).canonicalFilePath();
    EXPECT_TRUE(file.readAll().contains("Exec=\"" + launcher.toUtf8() + "\"\n"));
    QFile defaults(home.path(u"config/com.nivo.lumavex/defaults.json"_s));
    ASSERT_TRUE(defaults.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        QJsonDocument::fromJson(defaults.readAll()).object().value(u"didConfigureLoginItem"_s),
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
