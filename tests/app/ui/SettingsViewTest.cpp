// The settings page over the app's real settings objects and the memory
// platform: every row writes its key at once, and the tray menu and the page
// agree on what is switched on.
#include "app/ui/SettingsView.h"

#include "app/AppNavigation.h"
#include "app/AppSettings.h"
#include "app/ui/AppDelegate.h"
#include "autofill/AutoFill.h"
#include "autofill/ProfileStore.h"
#include "capture/AppState.h"
#include "chatblur/BlurSiteStore.h"
#include "chatblur/ChatBlur.h"
#include "platform/memory/MemoryPlatform.h"
#include "support/GuiApplication.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct App {
    explicit App(const QString& applicationId = u"com.nivo.lumavex"_s)
        : settings(platform.userDefaults(), platform.appearance(), platform.loginItem(),
                   applicationId),
          state(platform.scheduler(), platform.userDefaults(),
                [](const ClipContent&, const std::optional<QString>&) { return SaveResult{}; }),
          blurSites(platform.userDefaults()),
          chatBlur(platform.accessibility(), platform.frontmostApplication(),
                   platform.environment(), platform.userDefaults(), platform.pointerMonitor(),
                   platform.overlayPanels(), blurSites),
          autofill({platform.accessibility(), platform.frontmostApplication(),
                    platform.keyboardTyper(), platform.userDefaults(), profile, platform.clock(),
                    [](const QString&) {}, 1, std::nullopt, nullptr, 0}),
          delegate(settings, state, navigation, platform.globalHotKey(), platform.environment(), {},
                   chatBlur) {
        delegate.setAutoFill(&autofill);
    }

    std::optional<QVariant> stored(const QString& key) const {
        return platform.memoryUserDefaults.object(key);
    }

    QTemporaryDir dir;
    MemoryPlatform platform;
    AppSettings settings;
    AppState state;
    AppNavigation navigation;
    BlurSiteStore blurSites;
    ChatBlur chatBlur;
    ProfileStore profile{{dir.filePath(u"profile.json"_s), {}}};
    AutoFill autofill;
    AppDelegate delegate;
};

QAction* entry(const QMenu* menu, const QString& title) {
    for (QAction* action : menu->actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

} // namespace

TEST(SettingsView, EveryRowWritesItsSettingAtOnce) {
    guiApplication();
    App app;
    SettingsView view(app.state, app.settings, &app.autofill, app.chatBlur);
    EXPECT_EQ(view.titleLabel()->text(), u"Settings"_s);
    EXPECT_TRUE(view.watcherSwitch()->isChecked());
    EXPECT_FALSE(view.dropSwitch()->isChecked());
    EXPECT_TRUE(view.autofillSwitch()->isChecked()) << "absent reads as on";
    EXPECT_TRUE(view.blurSwitch()->isChecked());
    EXPECT_EQ(view.hotKeyLabel()->text(), u"Alt+Space"_s);

    view.watcherSwitch()->click();
    EXPECT_FALSE(app.state.watcherEnabled());
    EXPECT_FALSE(app.stored(u"watcher"_s).has_value()) << "the watcher switch is not remembered";
    view.dropSwitch()->click();
    EXPECT_EQ(app.stored(u"dropOnNotch"_s), std::optional<QVariant>(true));
    view.autofillSwitch()->click();
    EXPECT_EQ(app.stored(u"autofillEnabled"_s), std::optional<QVariant>(false));
    view.blurSwitch()->click();
    EXPECT_EQ(app.stored(u"chatBlurEnabled"_s), std::optional<QVariant>(false));

    ASSERT_NE(view.loginSwitch(), nullptr);
    const bool launches = app.settings.launchesAtLogin();
    view.loginSwitch()->click();
    EXPECT_NE(app.settings.launchesAtLogin(), launches);
    EXPECT_EQ(view.loginSwitch()->isChecked(), app.settings.launchesAtLogin());

    QComboBox* appearance = view.appearancePicker();
    EXPECT_EQ(appearance->currentData().toString(), u"light"_s) << "light when nothing is stored";
    const int dark = appearance->findData(u"dark"_s);
    appearance->setCurrentIndex(dark);
    Q_EMIT appearance->activated(dark);
    EXPECT_EQ(app.stored(u"appearance"_s), std::optional<QVariant>(u"dark"_s));
    EXPECT_EQ(app.platform.memoryAppearance.applied.last(), u"dark"_s) << "applied at once";
}

TEST(SettingsView, PageAndTrayMenuAgreeWhicheverIsUsed) {
    guiApplication();
    App app;
    app.delegate.applicationDidFinishLaunching();
    QMenu* menu = app.delegate.statusMenu();
    SettingsView view(app.state, app.settings, &app.autofill, app.chatBlur);

    view.autofillSwitch()->click();
    app.delegate.menuNeedsUpdate();
    EXPECT_FALSE(entry(menu, u"Autofill forms"_s)->isChecked());

    entry(menu, u"Blur chat lists"_s)->trigger();
    EXPECT_FALSE(view.blurSwitch()->isChecked()) << "the open page follows the menu";
    entry(menu, u"Drop on notch to save"_s)->trigger();
    EXPECT_TRUE(view.dropSwitch()->isChecked());
    entry(menu, u"Appearance"_s)->menu()->actions().at(2)->trigger();
    EXPECT_EQ(view.appearancePicker()->currentData().toString(), u"dark"_s);

    entry(menu, u"Settings…"_s)->trigger();
    EXPECT_EQ(app.navigation.section(), AppSection::settings);
}

TEST(SettingsView, WithoutTheLoginGateOrAKnownAppearanceNothingPretends) {
    guiApplication();
    App app(u"org.example.other"_s);
    app.platform.memoryUserDefaults.set(u"appearance"_s, u"sepia"_s);
    AppSettings settings(app.platform.userDefaults(), app.platform.appearance(),
                         app.platform.loginItem(), u"org.example.other"_s);
    SettingsView view(app.state, settings, &app.autofill, app.chatBlur);
    EXPECT_EQ(view.loginSwitch(), nullptr) << "no launch switch for a foreign id";
    EXPECT_EQ(view.appearancePicker()->currentIndex(), -1) << "an unknown value selects nothing";
}

TEST(TrayMenu, ListsEveryEntryInOrder) {
    guiApplication();
    App app;
    app.delegate.applicationDidFinishLaunching();
    QStringList titles;
    for (QAction* action : app.delegate.statusMenu()->actions())
        titles.append(action->isSeparator() ? u"—"_s : action->text());
    EXPECT_EQ(titles,
              (QStringList{u"Open Library"_s, u"Ask to keep copies"_s, u"Drop on notch to save"_s,
                           u"Autofill forms"_s, u"Blur chat lists"_s, u"Blur Sites…"_s,
                           u"My Info…"_s, u"Launch at Login"_s, u"Appearance"_s, u"Settings…"_s,
                           u"—"_s, u"Quit lumavex"_s}));
    EXPECT_EQ(entry(app.delegate.statusMenu(), u"Settings…"_s)->shortcut(),
              QKeySequence(u"Ctrl+,"_s));
}
