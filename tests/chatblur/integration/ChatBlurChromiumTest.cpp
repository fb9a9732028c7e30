// The chat blur end to end: a real Chromium showing a chat site's page
// (served from 127.0.0.1 under the site's host name), the real tovik app,
// and OCR of real screenshots deciding what a person looking at the screen
// could read.
#include "platform/integration/ChromiumSession.h"
#include "platform/integration/LocalHttpServer.h"
#include "platform/linux/TesseractTextRecognizer.h"
#include "support/GuiApplication.h"
#include "support/TovikProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// One distinctive word per chat title, so OCR can tell which it reads.
const QStringList kWords{
    u"pelican"_s, u"harbour"_s,  u"lantern"_s, u"granite"_s, u"meadow"_s,   u"biscuit"_s,
    u"compass"_s, u"thunder"_s,  u"velvet"_s,  u"cactus"_s,  u"falcon"_s,   u"orchid"_s,
    u"tractor"_s, u"walnut"_s,   u"glacier"_s, u"pumpkin"_s, u"saddle"_s,   u"trumpet"_s,
    u"blanket"_s, u"coconut"_s,  u"dolphin"_s, u"emerald"_s, u"fountain"_s, u"gondola"_s,
    u"hammock"_s, u"iceberg"_s,  u"jasmine"_s, u"kettle"_s,  u"lobster"_s,  u"mustard"_s,
    u"napkin"_s,  u"octopus"_s,  u"pepper"_s,  u"quilted"_s, u"raisin"_s,   u"sparrow"_s,
    u"teapot"_s,  u"umbrella"_s, u"vulture"_s, u"wizard"_s,  u"yogurt"_s,   u"zeppelin"_s,
    u"anchor"_s,  u"badger"_s,   u"candle"_s,  u"dragon"_s,  u"eclipse"_s,  u"feather"_s,
    u"giraffe"_s, u"hazelnut"_s, u"igloo"_s,   u"jigsaw"_s,  u"koala"_s,    u"lemonade"_s,
    u"magnet"_s,  u"nutmeg"_s,   u"oyster"_s,  u"parrot"_s,  u"quartz"_s,   u"rocket"_s,
};

QByteArray chatPage() {
    QByteArray links;
    for (int i = 0; i < kWords.size(); ++i) {
        QString title = kWords[i];
        title[0] = title[0].toUpper();
        links += u"<a id=\"chat-%1\" href=\"/c/chat-%1\">%2 budget notes</a>\n"_s
                     .arg(QString::number(i), title)
                     .toUtf8();
    }
    return R"(<!doctype html><html><head><title>Chats</title><style>
body { margin: 0; font: 18px sans-serif; background: #fff; color: #111; }
nav { position: fixed; left: 0; top: 0; bottom: 0; width: 280px; overflow-y: auto;
      background: #f1f1f1; }
nav a { display: block; padding: 8px 14px; color: #111; text-decoration: none; }
main { margin-left: 320px; padding: 40px; font-size: 22px; }
</style></head><body>
<nav aria-label="Chats">
<a href="/">New chat</a>
)" + links +
           R"(</nav>
<main><h1>Orchard cooperative</h1>
<p>Quarterly harvest summary for the orchard cooperative.</p></main>
</body></html>)";
}

class ChatBlurChromium : public ::testing::Test {
protected:
    void SetUp() override {
        if (const QString reason = ChromiumSession::unavailableReason(); !reason.isEmpty())
            GTEST_SKIP() << reason.toStdString();
        guiApplication();
        server.routeHtml("/", chatPage());
        host = u"chat.example.test:"_s + QString::number(server.port());
        const QUrl url(u"http://"_s + host + u"/"_s);
        ASSERT_TRUE(browser.open(url, {u"--host-resolver-rules=MAP chat.example.test 127.0.0.1"_s}))
            << "Chromium's tree never showed the page";

        // A runtime folder of its own: the app's single-instance socket lives
        // there, and without it the app would meet any other tovik on the
        // machine.
        ASSERT_TRUE(QDir().mkpath(home.filePath(u"runtime"_s)));
        QFile::setPermissions(home.filePath(u"runtime"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"runtime"_s));
        env.insert(u"TOVIK_AUTOFILL_DEBUG"_s, u"1"_s);
        // One recognition thread: the browser under test needs the rest.
        qputenv("OMP_THREAD_LIMIT", "1");
    }

    void TearDown() override {
        if (app.state() != QProcess::NotRunning) {
            app.terminate();
            if (!app.waitForFinished(10000))
                app.kill();
            app.waitForFinished(5000);
        }
        if (HasFailure()) {
            QFile log(home.filePath(u"tovik.log"_s));
            if (log.open(QIODevice::ReadOnly))
                std::cerr << "tovik's diagnostics:\n" << log.readAll().toStdString();
        }
    }

    void startTovik() {
        app.setProcessEnvironment(env);
        app.setStandardErrorFile(home.filePath(u"tovik.log"_s));
        app.setStandardOutputFile(QProcess::nullDevice());
        app.start(QStringLiteral(TOVIK_BINARY), {});
        ASSERT_TRUE(app.waitForStarted(10000));
    }

    // The diagnostic lines tovik wrote so far.
    QStringList logLines() {
        QFile log(home.filePath(u"tovik.log"_s));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    // Waits for a scan that covers rows (reading the log is cheap; OCR on a
    // busy machine would slow the browser the scan waits for).
    bool waitForCoveringScan(int timeoutMs) {
        return QTest::qWaitFor(
            [&] {
                const QStringList lines = logLines();
                return !lines.isEmpty() && lines.last().contains(u" rows="_s) &&
                       !lines.last().contains(u" rows=0 "_s);
            },
            timeoutMs);
    }

    // Waits until the area looks different from `before` and has stopped
    // changing (the panels are separate windows, mapped one after another).
    bool waitForSettledChange(const QRect& area, const QImage& before, int timeoutMs = 5000) {
        QImage previous;
        return QTest::qWaitFor(
            [&] {
                const QImage now = screenshot(area);
                const bool settled = now != before && now == previous;
                previous = now;
                return settled;
            },
            timeoutMs);
    }

    QImage screenshot(const QRect& area) {
        return QGuiApplication::primaryScreen()->grabWindow(0).copy(area).toImage();
    }

    // The chat words OCR reads in the area.
    QStringList readableTitles(const QRect& area) {
        const QString text =
            recognizer.recognizeLines(screenshot(area), TextRecognizer::Level::accurate)
                .join(u' ')
                .toLower();
        QStringList found;
        for (const QString& word : kWords) {
            if (text.contains(word))
                found.append(word);
        }
        return found;
    }

    QString readText(const QRect& area) {
        return recognizer.recognizeLines(screenshot(area), TextRecognizer::Level::accurate)
            .join(u' ')
            .toLower();
    }

    QRect frameOf(int chat) {
        const AXElement link = browser.byDomId(u"chat-"_s + QString::number(chat));
        return link ? link.frame().value_or(QRect()) : QRect();
    }

    // The sidebar's visible part and the conversation beside it.
    QRect sidebarArea() {
        const QRect first = frameOf(0);
        return QRect(0, first.top() - 60, 300, 900 - first.top());
    }
    QRect mainArea() { return QRect(320, sidebarArea().top(), 1000, 300); }

    LocalHttpServer server;
    ChromiumSession browser;
    TesseractTextRecognizer recognizer;
    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess app;
    QString host;
};

} // namespace

TEST_F(ChatBlurChromium, TitlesAreCoveredTheMainAreaStaysReadableAndThePointerPeeks) {
    // Without Tovik a person reads the titles: the test's OCR can tell.
    const QRect sidebar = sidebarArea();
    ASSERT_FALSE(frameOf(0).isEmpty());
    const QStringList before = readableTitles(sidebar);
    const QImage uncovered = screenshot(sidebar);
    ASSERT_GE(before.size(), 8) << before.join(u' ').toStdString();

    // A site added with its port, as a developer would for a local server.
    const TovikRun added = runTovik({u"blur"_s, u"add"_s, host, u"/c/"_s}, {}, env);
    ASSERT_EQ(added.exitStatus, 0) << added.err.toStdString();

    QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"1300"_s, u"850"_s});
    QElapsedTimer sinceStart;
    sinceStart.start();
    startTovik();
    ASSERT_TRUE(waitForCoveringScan(20000));
    std::cout << "first covering scan " << sinceStart.elapsed() << " ms after tovik started\n";
    // The panels are drawn a moment after the scan that placed them.
    ASSERT_TRUE(waitForSettledChange(sidebar, uncovered));
    QStringList readable = readableTitles(sidebar);
    EXPECT_TRUE(readable.isEmpty()) << "still readable: " << readable.join(u' ').toStdString();
    std::cout << "every title covered " << sinceStart.elapsed() << " ms after tovik started\n";
    const QString main = readText(mainArea());
    EXPECT_TRUE(main.contains(u"harvest"_s) && main.contains(u"orchard"_s)) << main.toStdString();

    // The scan command sees what the app covers.
    const TovikRun scan = runTovik(
        {u"blur"_s, u"scan"_s, u"--pid"_s, QString::number(browser.pid()), u"--json"_s}, {}, env);
    EXPECT_EQ(scan.exitStatus, 0) << scan.err.toStdString();
    EXPECT_TRUE(scan.out.startsWith("{\"rows\":[[")) << scan.out.toStdString();

    // Pointing at a title uncovers that one title only. Recognition is
    // slow and would starve the browser: wait for the picture to change,
    // then read it once.
    const QRect third = frameOf(3);
    ASSERT_FALSE(third.isEmpty());
    const QRect row = third.adjusted(-4, -6, 4, 6);
    const QImage covered = screenshot(row);
    QProcess::execute(u"xdotool"_s, {u"mousemove"_s, QString::number(third.center().x() + 60),
                                     QString::number(third.center().y())});
    ASSERT_TRUE(waitForSettledChange(row, covered));
    EXPECT_TRUE(readableTitles(row).contains(kWords[3]));
    readable = readableTitles(sidebar);
    EXPECT_EQ(readable, QStringList{kWords[3]});

    // Moving away covers it again.
    const QImage peeked = screenshot(row);
    QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"1300"_s, u"850"_s});
    ASSERT_TRUE(waitForSettledChange(row, peeked));
    EXPECT_TRUE(readableTitles(row).isEmpty());
}

TEST_F(ChatBlurChromium, ScrollingKeepsTheListCoveredAndAnotherWindowInFrontHidesThePanels) {
    const QRect sidebar = sidebarArea();
    ASSERT_EQ(runTovik({u"blur"_s, u"add"_s, host, u"/c/"_s}, {}, env).exitStatus, 0);
    QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"1300"_s, u"850"_s});
    const QImage uncovered = screenshot(sidebar);
    startTovik();
    ASSERT_TRUE(waitForCoveringScan(20000));
    ASSERT_TRUE(waitForSettledChange(sidebar, uncovered));
    QStringList readable = readableTitles(sidebar);
    EXPECT_TRUE(readable.isEmpty()) << readable.join(u' ').toStdString();

    // Wheel over the list: while it moves, whole blocks cover it.
    const QRect listArea = sidebar.adjusted(20, 80, -20, -80);
    QProcess::execute(u"xdotool"_s, {u"mousemove"_s, QString::number(listArea.center().x()),
                                     QString::number(listArea.center().y())});
    QList<QImage> whileScrolling;
    for (int step = 0; step < 4; ++step) {
        QProcess::execute(u"xdotool"_s, {u"click"_s, u"5"_s});
        whileScrolling.append(screenshot(sidebar));
    }
    for (const QImage& image : whileScrolling) {
        const QString text =
            recognizer.recognizeLines(image, TextRecognizer::Level::accurate).join(u' ').toLower();
        for (const QString& word : kWords)
            EXPECT_FALSE(text.contains(word)) << "while scrolling: " << word.toStdString();
    }
    // The list did move.
    ASSERT_TRUE(QTest::qWaitFor([&] { return frameOf(0).top() < sidebar.top(); }, 5000));
    // Once it rests, the rows follow the titles now in view.
    QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"1300"_s, u"850"_s});
    const qsizetype scansBefore = logLines().size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return logLines().size() > scansBefore + 4; }, 10000));
    ASSERT_TRUE(waitForCoveringScan(10000));
    readable = readableTitles(sidebar);
    EXPECT_TRUE(readable.isEmpty()) << readable.join(u' ').toStdString();

    // Another application's window in front: the panels go.
    const QImage covered = screenshot(sidebar);
    QWidget other;
    other.setWindowTitle(u"Other application"_s);
    other.setGeometry(1450, 100, 400, 300);
    other.show();
    // On a busy machine the browser sometimes takes the focus back (and is
    // rightly covered again); the other window is then brought forward
    // again, as a person would click it.
    qsizetype readableInFront = 0;
    for (int attempt = 0; attempt < 3 && readableInFront < 8; ++attempt) {
        other.activateWindow();
        QProcess::execute(u"xdotool"_s, {u"search"_s, u"--name"_s, u"^Other application$"_s,
                                         u"windowactivate"_s});
        // Within a scan the log says there is nothing to cover...
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const QStringList lines = logLines();
                return !lines.isEmpty() && lines.last().contains(u" rows=0 "_s);
            },
            5000));
        // ...and the titles can be read again.
        ASSERT_TRUE(waitForSettledChange(sidebar, covered));
        readableInFront = readableTitles(sidebar).size();
    }
    EXPECT_GE(readableInFront, 8) << "titles still covered with another window in front";
}
