#include "app/ui/AppDelegate.h"

#include "app/AppNavigation.h"
#include "app/AppSettings.h"
#include "capture/AppState.h"
#include "chatblur/BlurSiteStore.h"
#include "chatblur/ChatBlur.h"
#include "platform/memory/MemoryAccessibility.h"
#include "platform/memory/MemoryAppearance.h"
#include "platform/memory/MemoryDesktop.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFrontmostApplication.h"
#include "platform/memory/MemoryGlobalHotKey.h"
#include "platform/memory/MemoryLoginItem.h"
#include "platform/memory/MemoryScheduler.h"
#include "platform/memory/MemoryUserDefaults.h"
#include "support/GuiApplication.h"

#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct Shell {
    explicit Shell(const QString& applicationId = u"com.nivo.lumavex"_s)
        : settings(defaults, appearance, loginItem, applicationId),
          state(scheduler, defaults,
                [](const ClipContent&, const std::optional<QString>&) { return SaveResult{}; }),
          blurSites(defaults),
          chatBlur(accessibility, frontmost, environment, defaults, pointer, panels, blurSites),
          delegate(
              settings, state, navigation, hotKey, environment, [this] { startCapture(); },
              chatBlur) {}

    // What start-up had done by the time it started the panels and watcher.
    void startCapture() {
        ++captureStarts;
        appearanceAppliedBeforeCapture = !appearance.applied.isEmpty();
        hotKeyRegisteredBeforeCapture = delegate.hotKeyRegistered();
        trayBeforeCapture = delegate.statusItem() != nullptr;
    }

    int captureStarts = 0;
    bool appearanceAppliedBeforeCapture = false;
    bool hotKeyRegisteredBeforeCapture = false;
    bool trayBeforeCapture = false;
    MemoryScheduler scheduler;
    MemoryEnvironment environment;
    MemoryUserDefaults defaults;
    MemoryAppearance appearance;
    MemoryLoginItem loginItem;
    MemoryGlobalHotKey hotKey;
    AppNavigation navigation;
    AppSettings settings;
    AppState state;
    MemoryAccessibility accessibility;
    MemoryFrontmostApplication frontmost;
    MemoryPointerMonitor pointer;
    MemoryOverlayPanels panels;
    BlurSiteStore blurSites;
    ChatBlur chatBlur;
    AppDelegate delegate;
};

QStringList titles(const QMenu* menu) {
    QStringList list;
    for (QAction* action : menu->actions())
        list.append(action->isSeparator() ? u"—"_s : action->text());
    return list;
}

QAction* entry(const QMenu* menu, const QString& title) {
    for (QAction* action : menu->actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

} // namespace

TEST(AppDelegate, StartUpPutsAnIconWithItsMenuInTheTray) {
    if (!hasDisplay())
        GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
    guiApplication();
    ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000))
        << "no tray host in the session";

    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    ASSERT_NE(shell.delegate.statusItem(), nullptr);
    EXPECT_TRUE(shell.delegate.statusItem()->isVisible());
    EXPECT_FALSE(shell.delegate.statusItem()->icon().isNull());
    ASSERT_EQ(shell.delegate.statusItem()->contextMenu(), shell.delegate.statusMenu());
    EXPECT_EQ(titles(shell.delegate.statusMenu()),
              (QStringList{u"Open Library"_s, u"Ask to keep copies"_s, u"Drop on notch to save"_s,
                           u"Blur chat lists"_s, u"Blur Sites…"_s, u"Launch at Login"_s,
                           u"Appearance"_s, u"Settings…"_s, u"—"_s, u"Quit lumavex"_s}));
}

TEST(AppDelegate, FirstLaunchAppliesLightRegistersTheLoginItemOnceAndTheHotKey) {
    guiApplication();
    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    EXPECT_EQ(shell.appearance.applied, QStringList{u"light"_s});
    EXPECT_TRUE(shell.loginItem.enabled);
    EXPECT_TRUE(shell.defaults.boolValue(u"didConfigureLoginItem"_s));
    EXPECT_TRUE(shell.delegate.hotKeyRegistered());
    QSignalSpy pressed(&shell.delegate, &AppDelegate::hotKeyPressed);
    shell.hotKey.press();
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_TRUE(entry(shell.delegate.statusMenu(), u"Launch at Login"_s)->isChecked());

    // The user turns it off; the next launch does not register it again, even
    // when the first registration had failed.
    Shell second;
    second.defaults.set(u"didConfigureLoginItem"_s, true);
    second.loginItem.failing = true;
    second.delegate.applicationDidFinishLaunching();
    EXPECT_EQ(second.loginItem.registrations, 0);
}

TEST(AppDelegate, ForeignApplicationIdsHaveNoLoginItem) {
    guiApplication();
    Shell shell(u"org.example.other"_s);
    shell.delegate.applicationDidFinishLaunching();
    EXPECT_EQ(entry(shell.delegate.statusMenu(), u"Launch at Login"_s), nullptr);
    EXPECT_FALSE(shell.defaults.object(u"didConfigureLoginItem"_s).has_value());
    EXPECT_EQ(shell.loginItem.registrations, 0);
    shell.settings.setLaunchesAtLogin(true);
    EXPECT_FALSE(shell.settings.launchesAtLogin());
}

TEST(AppDelegate, AppearanceMenuChecksTheStoredChoiceAndAppliesAtOnce) {
    guiApplication();
    Shell shell;
    shell.defaults.set(u"appearance"_s, u"dark"_s);
    Shell* s = &shell;
    // Settings read "appearance" when created: build them again after storing.
    AppSettings settings(s->defaults, s->appearance, s->loginItem, u"com.nivo.lumavex"_s);
    AppDelegate delegate(settings, s->state, s->navigation, s->hotKey, s->environment, {},
                         s->chatBlur);
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(s->appearance.applied.last(), u"dark"_s);

    QMenu* submenu = entry(delegate.statusMenu(), u"Appearance"_s)->menu();
    ASSERT_NE(submenu, nullptr);
    EXPECT_EQ(titles(submenu), (QStringList{u"System"_s, u"Light"_s, u"Dark"_s}));
    auto checked = [submenu] {
        QStringList list;
        for (QAction* action : submenu->actions()) {
            if (action->isChecked())
                list.append(action->text());
        }
        return list;
    };
    EXPECT_EQ(checked(), QStringList{u"Dark"_s});
    entry(submenu, u"System"_s)->trigger();
    EXPECT_EQ(checked(), QStringList{u"System"_s});
    EXPECT_EQ(s->defaults.stringValue(u"appearance"_s), u"system"_s);
    EXPECT_EQ(s->appearance.applied.last(), u"system"_s);

    // A value stored by other means checks nothing and behaves as "system".
    settings.setAppearance(u"sepia"_s);
    delegate.menuNeedsUpdate();
    EXPECT_TRUE(checked().isEmpty());
    EXPECT_EQ(s->appearance.applied.last(), u"system"_s);
}

TEST(AppDelegate, LoginItemEntryShowsTheStatusReadBack) {
    guiApplication();
    Shell shell;
    shell.defaults.set(u"didConfigureLoginItem"_s, true);
    shell.delegate.applicationDidFinishLaunching();
    QAction* login = entry(shell.delegate.statusMenu(), u"Launch at Login"_s);
    ASSERT_NE(login, nullptr);
    EXPECT_FALSE(login->isChecked());
    shell.loginItem.failing = true;
    login->trigger();
    EXPECT_FALSE(login->isChecked()) << "a refused registration leaves the mark off";
    shell.loginItem.failing = false;
    login->trigger();
    EXPECT_TRUE(login->isChecked());
    shell.loginItem.enabled = false; // changed behind the app's back
    shell.delegate.menuNeedsUpdate();
    EXPECT_FALSE(login->isChecked());
}

TEST(AppDelegate, ShowEnvironmentVariableOpensTheNamedSection) {
    guiApplication();
    struct Case {
        std::optional<QString> show;
        AppSection section;
        int requests;
    } cases[] = {{u"network"_s, AppSection::network, 1},
                 {u"Network"_s, AppSection::memory, 1},
                 {u"blur"_s, AppSection::blur, 1},
                 {std::nullopt, AppSection::memory, 0}};
    for (const Case& c : cases) {
        Shell shell;
        if (c.show)
            shell.environment.set(u"TOVIK_SHOW"_s, *c.show);
        QSignalSpy requested(&shell.delegate, &AppDelegate::libraryRequested);
        shell.delegate.applicationDidFinishLaunching();
        EXPECT_EQ(requested.count(), c.requests) << c.show.value_or(u"(unset)"_s).toStdString();
        EXPECT_EQ(shell.navigation.section(), c.section);
    }
}

TEST(AppDelegate, StartsCaptureAfterTheAppearanceAndBeforeTheHotKeyAndTray) {
    guiApplication();
    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    EXPECT_EQ(shell.captureStarts, 1);
    EXPECT_TRUE(shell.appearanceAppliedBeforeCapture);
    EXPECT_FALSE(shell.hotKeyRegisteredBeforeCapture);
    EXPECT_FALSE(shell.trayBeforeCapture);
}

TEST(AppDelegate, KeepFlowSwitchesFollowTheStateEachTimeTheMenuOpens) {
    guiApplication();
    Shell shell;
    shell.defaults.set(u"dropOnNotch"_s, true);
    // The state reads "dropOnNotch" when created: build it again after storing.
    AppState state(shell.scheduler, shell.defaults,
                   [](const ClipContent&, const std::optional<QString>&) { return SaveResult{}; });
    AppDelegate delegate(shell.settings, state, shell.navigation, shell.hotKey, shell.environment,
                         {}, shell.chatBlur);
    delegate.applicationDidFinishLaunching();
    QAction* watcher = entry(delegate.statusMenu(), u"Ask to keep copies"_s);
    QAction* drop = entry(delegate.statusMenu(), u"Drop on notch to save"_s);
    ASSERT_NE(watcher, nullptr);
    ASSERT_NE(drop, nullptr);
    EXPECT_TRUE(watcher->isChecked());
    EXPECT_TRUE(drop->isChecked());

    watcher->trigger();
    EXPECT_FALSE(state.watcherEnabled());
    EXPECT_FALSE(watcher->isChecked());
    drop->trigger();
    EXPECT_FALSE(state.dropOnNotchEnabled());
    EXPECT_FALSE(drop->isChecked());
    EXPECT_EQ(shell.defaults.object(u"dropOnNotch"_s), std::optional<QVariant>(false));

    // Changed elsewhere (the settings page): the marks catch up on opening.
    state.setWatcherEnabled(true);
    state.setDropOnNotchEnabled(true);
    EXPECT_FALSE(watcher->isChecked());
    delegate.menuNeedsUpdate();
    EXPECT_TRUE(watcher->isChecked());
    EXPECT_TRUE(drop->isChecked());
}

TEST(AppDelegate, ChatBlurSwitchAndSitesEntryFollowTheEngineAndOpenTheBlurPage) {
    guiApplication();
    Shell shell;
    shell.defaults.set(u"chatBlurEnabled"_s, u"no"_s); // not a boolean: on
    shell.delegate.applicationDidFinishLaunching();
    QAction* blur = entry(shell.delegate.statusMenu(), u"Blur chat lists"_s);
    ASSERT_NE(blur, nullptr);
    EXPECT_TRUE(blur->isChecked());
    blur->trigger();
    EXPECT_FALSE(shell.chatBlur.enabled());
    EXPECT_FALSE(blur->isChecked());
    EXPECT_EQ(shell.defaults.object(u"chatBlurEnabled"_s), std::optional<QVariant>(false));
    shell.chatBlur.setEnabled(true);
    shell.delegate.menuNeedsUpdate();
    EXPECT_TRUE(blur->isChecked());

    QSignalSpy library(&shell.delegate, &AppDelegate::libraryRequested);
    entry(shell.delegate.statusMenu(), u"Blur Sites…"_s)->trigger();
    EXPECT_EQ(shell.navigation.section(), AppSection::blur);
    EXPECT_EQ(library.count(), 1);
}
