#include "HelperApplication.h"
#include "capture/AppState.h"
#include "capture/ClipboardWatcher.h"
#include "capture/KeepPipeline.h"
#include "capture/NotchGeometry.h"
#include "capture/ui/NotchController.h"
#include "capture/ui/NotchPanel.h"
#include "capture/ui/PanelView.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/X11FrontmostApplication.h"
#include "platform/memory/MemoryUserDefaults.h"
#include "support/GuiApplication.h"
#include "support/QtPrinters.h"
#include "support/StoreFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The capture path wired as the app wires it, on the real clipboard, window
// manager and screen of the test session, saving into a temporary store.
// Copies come from other processes (xclip and a helper application).
class CaptureDesktopTest : public StoreFixture {
protected:
    void SetUp() override {
        if (!hasDisplay())
            GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
        guiApplication();
        store = openStore();
        ASSERT_TRUE(store);

        // The helper is known to the desktop by a .desktop file of its own.
        const QString applications = support.path() + u"/applications"_s;
        QDir().mkpath(applications);
        QFile entry(applications + u"/helper-editor.desktop"_s);
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Helper Editor\nExec=" +
                    QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() +
                    " %U\n");
        entry.close();
        frontmost = std::make_unique<X11FrontmostApplication>(QStringList{applications});

        state = std::make_unique<AppState>(
            scheduler, defaults,
            [this](const ClipContent& clip, const std::optional<QString>& tag) {
                return KeepPipeline::save(*store, clip, tag);
            });
        watcher = std::make_unique<ClipboardWatcher>(pasteboard, *frontmost, scheduler, *state);
        controller =
            std::make_unique<NotchController>(*state, *store, categorizer, scheduler, *frontmost);
        controller->setUp();
        // Clipboard news of earlier tests (an owner that quit) arrive first,
        // so that they are not mistaken for changes made during this one.
        QTest::qWait(200);
        watcher->start();
    }

    void TearDown() override {
        for (QProcess* copy : copies) {
            copy->kill();
            copy->waitForFinished(3000);
            delete copy;
        }
        controller.reset();
        watcher.reset();
        state.reset();
    }

    // Another program copies text, the way `xclip` does from a terminal.
    void copyWithXclip(const QString& text) {
        auto* copy = new QProcess;
        copies.append(copy);
        copy->start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s});
        ASSERT_TRUE(copy->waitForStarted(5000));
        copy->write(text.toUtf8());
        copy->closeWriteChannel();
    }

    NotchPanel* panel() const { return controller->panels().value(0); }
    PanelView* view() const { return panel()->view(); }

    QRect expectedFrame(PanelMode mode) const {
        return NotchGeometry::frame(QGuiApplication::primaryScreen()->geometry(), mode);
    }

    // The panel's frame as the X server has it, which the window manager
    // could have moved.
    static QRect serverFrame(const QWidget* window) {
        const QString out = runTool(
            u"xdotool"_s, {u"getwindowgeometry"_s, u"--shell"_s, QString::number(window->winId())});
        QHash<QString, int> values;
        for (const QString& line : out.split(u'\n')) {
            const QStringList pair = line.split(u'=');
            if (pair.size() == 2)
                values.insert(pair[0], pair[1].toInt());
        }
        return QRect(values.value(u"X"_s), values.value(u"Y"_s), values.value(u"WIDTH"_s),
                     values.value(u"HEIGHT"_s));
    }

    bool waitForPrompt(int timeoutMs = 5000) {
        return QTest::qWaitFor(
            [this] {
                return state->mode() == PanelMode::keepPrompt && panel()->isVisible() &&
                       panel()->geometry() == expectedFrame(PanelMode::keepPrompt);
            },
            timeoutMs);
    }

    // The X server has the panel where its animation ends: it can lag behind
    // the geometry Qt reports, most on a busy machine.
    bool waitForServerFrame(PanelMode mode, int timeoutMs = 3000) {
        return QTest::qWaitFor([&] { return serverFrame(panel()) == expectedFrame(mode); },
                               timeoutMs);
    }

    // The watcher has read the clipboard's latest change and whatever it
    // decided for it has run: a check made now sees the outcome, however
    // slowly the machine runs.
    bool waitUntilTheWatcherHasSeenTheClipboard(int timeoutMs = 5000) {
        const bool seen = QTest::qWaitFor(
            [this] { return watcher->lastChangeCount == pasteboard.changeCount(); }, timeoutMs);
        QCoreApplication::processEvents(); // the prompt, if any, is posted
        return seen;
    }

    static void click(const QWidget* widget) {
        const QPoint centre = widget->mapToGlobal(widget->rect().center());
        runTool(u"xdotool"_s, {u"mousemove"_s, QString::number(centre.x()),
                               QString::number(centre.y()), u"click"_s, u"1"_s});
    }

    std::unique_ptr<Store> store;
    QtScheduler scheduler;
    MemoryUserDefaults defaults;
    QtPasteboard pasteboard;
    std::unique_ptr<X11FrontmostApplication> frontmost;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ClipboardWatcher> watcher;
    std::unique_ptr<NotchController> controller;
    QList<QProcess*> copies;
};

} // namespace

TEST_F(CaptureDesktopTest, CopyInAnotherApplicationPromptsAndKeepSavesIt) {
    HelperApplication editor;
    ASSERT_TRUE(editor.start({}));
    ASSERT_EQ(controller->panels().size(), QGuiApplication::screens().size());
    EXPECT_FALSE(panel()->isVisible()) << "no panel on screen while collapsed with drops off";

    QElapsedTimer sinceCopy;
    copyWithXclip(u"Notes from the planning meeting"_s);
    sinceCopy.start();
    ASSERT_TRUE(waitForPrompt()) << "no keep prompt";
    RecordProperty("promptAfterMs", int(sinceCopy.elapsed()));
    std::printf("prompt shown %lld ms after the copy\n",
                static_cast<long long>(sinceCopy.elapsed()));

    EXPECT_TRUE(waitForServerFrame(PanelMode::keepPrompt))
        << "the server has the panel at " << serverFrame(panel()).x() << ","
        << serverFrame(panel()).y() << " " << serverFrame(panel()).width() << "x"
        << serverFrame(panel()).height();
    EXPECT_EQ(view()->page(), PanelView::Page::keepRow);
    EXPECT_EQ(view()->titleLabel()->text(), u"Notes from the planning meeting"_s);
    EXPECT_EQ(view()->kindLabel()->text(), u"Text"_s);
    ASSERT_TRUE(state->pendingClip());
    EXPECT_EQ(state->pendingClip()->sourceApp, u"Helper Editor"_s)
        << "named by the helper's .desktop file";
    EXPECT_EQ(activeWindow(), editor.windowId()) << "the prompt took the keyboard";

    click(view()->keepButton());
    ASSERT_TRUE(QTest::qWaitFor([this] { return state->flash().has_value(); }, 3000));
    EXPECT_EQ(state->flash(), u"Saved"_s);
    EXPECT_EQ(view()->page(), PanelView::Page::flashRow);
    EXPECT_EQ(view()->flashLabel()->text(), u"Saved"_s);
    EXPECT_TRUE(view()->flashLabel()->isVisible());
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items().first().text, u"Notes from the planning meeting"_s);
    EXPECT_EQ(store->items().first().source, u"Helper Editor"_s);
    EXPECT_EQ(activeWindow(), editor.windowId()) << "clicking Keep took the keyboard";

    // The flash goes, the panel shrinks away.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !panel()->isVisible(); }, 3000));
    EXPECT_EQ(state->mode(), PanelMode::collapsed);

    // The same text again is already there.
    copyWithXclip(u"Notes from the planning meeting"_s);
    ASSERT_TRUE(waitForPrompt());
    click(view()->keepButton());
    ASSERT_TRUE(QTest::qWaitFor([this] { return state->flash().has_value(); }, 3000));
    EXPECT_EQ(state->flash(), u"Already saved"_s);
    EXPECT_EQ(store->items().size(), 1);
}

TEST_F(CaptureDesktopTest, PasswordWithTheManagersMarkerIsNeverOffered) {
    HelperApplication manager;
    ASSERT_TRUE(manager.start({u"correct horse battery staple"_s, QString()}));
    // The marker must be seen on the real clipboard, and the watcher must
    // have read that change.
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return pasteboard.data(u"x-kde-passwordManagerHint"_s) == "secret"; }, 5000))
        << "the secret is really on the clipboard";
    ASSERT_TRUE(waitUntilTheWatcherHasSeenTheClipboard());
    EXPECT_EQ(state->mode(), PanelMode::collapsed);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_TRUE(store->items().isEmpty());

    // A plain copy after it is offered as usual.
    copyWithXclip(u"not a secret"_s);
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(state->pendingClip()->string, u"not a secret"_s);
}

TEST_F(CaptureDesktopTest, OwnCopyIsNotOfferedButTheNextUserCopyIs) {
    auto* own = new QMimeData;
    own->setText(u"copied from a card"_s);
    watcher->writeOwn(own);
    ASSERT_TRUE(waitUntilTheWatcherHasSeenTheClipboard());
    EXPECT_EQ(state->mode(), PanelMode::collapsed);

    copyWithXclip(u"copied by the user"_s);
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(state->pendingClip()->string, u"copied by the user"_s);
}

TEST_F(CaptureDesktopTest, NamingATagTakesTheKeyboardOnlyWhileTyping) {
    HelperApplication editor;
    ASSERT_TRUE(editor.start({}));
    copyWithXclip(u"https://example.com/reading"_s);
    ASSERT_TRUE(waitForPrompt());
    EXPECT_EQ(view()->kindLabel()->text(), u"Link"_s);

    state->beginNamingTag(*state->pendingClip());
    const QString panelWindow = QString::number(panel()->winId());
    ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == panelWindow; }, 3000))
        << "the panel takes the keyboard for the tag name";
    ASSERT_TRUE(QTest::qWaitFor([this] { return view()->newTagField()->hasFocus(); }, 3000));
    runTool(u"xdotool"_s, {u"type"_s, u"--delay"_s, u"20"_s, u"Reading list"_s});
    ASSERT_TRUE(QTest::qWaitFor([this] { return state->newTagText() == u"Reading list"_s; }, 3000));
    runTool(u"xdotool"_s, {u"key"_s, u"Return"_s});
    ASSERT_TRUE(QTest::qWaitFor([this] { return state->flash().has_value(); }, 3000));
    EXPECT_EQ(state->flash(), u"Saved · Reading list"_s);
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items().first().displayTags(), QStringList{u"Reading list"_s});
    EXPECT_FALSE(panel()->acceptsFocus()) << "typing is over";

    // Clicking into the other application while typing gives the prompt up.
    ASSERT_TRUE(QTest::qWaitFor([this] { return state->mode() == PanelMode::collapsed; }, 3000));
    copyWithXclip(u"another note"_s);
    ASSERT_TRUE(waitForPrompt());
    state->beginNamingTag(*state->pendingClip());
    ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == panelWindow; }, 3000));
    runTool(u"xdotool"_s, {u"mousemove"_s, QString::number(HelperApplication::dragX),
                           QString::number(HelperApplication::dragY + 60), u"click"_s, u"1"_s});
    ASSERT_TRUE(QTest::qWaitFor([this] { return state->mode() == PanelMode::collapsed; }, 3000))
        << "the prompt stayed open";
    EXPECT_FALSE(state->namingTag());
    EXPECT_EQ(store->items().size(), 1) << "nothing kept";
}

TEST_F(CaptureDesktopTest, EscapeCollapsesThePanel) {
    copyWithXclip(u"a note"_s);
    ASSERT_TRUE(waitForPrompt());
    state->beginNamingTag(*state->pendingClip());
    const QString panelWindow = QString::number(panel()->winId());
    ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == panelWindow; }, 3000));
    runTool(u"xdotool"_s, {u"key"_s, u"Escape"_s});
    ASSERT_TRUE(QTest::qWaitFor([this] { return state->mode() == PanelMode::collapsed; }, 3000));
    EXPECT_TRUE(store->items().isEmpty());
}

TEST_F(CaptureDesktopTest, DroppingAFileOnTheNotchSavesIt) {
    const QString file = support.path() + u"/dropped-report.txt"_s;
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("quarterly numbers");
    }
    state->setDropOnNotchEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return panel()->isVisible(); }, 3000))
        << "with drops on, the collapsed panel waits at the notch";
    EXPECT_EQ(panel()->geometry(), expectedFrame(PanelMode::collapsed));

    HelperApplication files;
    ASSERT_TRUE(files.start({QString(), file}));
    const QRect notch = expectedFrame(PanelMode::collapsed);
    const QPoint target = notch.center();
    auto move = [](QPoint p) {
        runTool(u"xdotool"_s, {u"mousemove"_s, QString::number(p.x()), QString::number(p.y())});
        QTest::qWait(40);
    };
    move({HelperApplication::dragX, HelperApplication::dragY});
    runTool(u"xdotool"_s, {u"mousedown"_s, u"1"_s});
    QTest::qWait(100);
    const QPoint start(HelperApplication::dragX, HelperApplication::dragY);
    for (int step = 1; step <= 20; ++step)
        move(start + (target - start) * step / 20);
    ASSERT_TRUE(QTest::qWaitFor([this] { return state->mode() == PanelMode::dropHover; }, 3000))
        << "the drop zone did not open";
    // The panel grows under the pointer.
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return panel()->geometry() == expectedFrame(PanelMode::dropHover); }, 3000));
    EXPECT_TRUE(waitForServerFrame(PanelMode::dropHover));
    EXPECT_EQ(view()->page(), PanelView::Page::dropZone);
    move(target + QPoint(2, 20));
    runTool(u"xdotool"_s, {u"mouseup"_s, u"1"_s});

    ASSERT_TRUE(QTest::qWaitFor([this] { return state->flash().has_value(); }, 5000));
    EXPECT_EQ(state->flash(), u"Saved"_s);
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items().first().title, u"dropped-report.txt"_s);
    EXPECT_TRUE(QFile::exists(file)) << "a drop copies, it never moves the file away";

    // Back to the notch-sized target, still on screen.
    ASSERT_TRUE(QTest::qWaitFor([this] { return state->mode() == PanelMode::collapsed; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return panel()->geometry() == expectedFrame(PanelMode::collapsed); }, 3000));
    EXPECT_TRUE(panel()->isVisible());
}
