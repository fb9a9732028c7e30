#include "app/ui/AppDelegate.h"

#include "app/AppNavigation.h"
#include "app/AppSection.h"
#include "app/AppSettings.h"
#include "autofill/AutoFill.h"
#include "capture/AppState.h"
#include "chatblur/ChatBlur.h"
#include "platform/Environment.h"
#include "platform/GlobalHotKey.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

using namespace Qt::StringLiterals;

// The icons are compiled into the static tovik_ui library, whose resource
// initialiser the linker would otherwise drop.
static void initialiseResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {
const char* const toggleProperty = "tovikToggle";
const char* const appearanceProperty = "tovikAppearance";
} // namespace

AppDelegate::AppDelegate(AppSettings& settings, AppState& state, AppNavigation& navigation,
                         GlobalHotKey& hotKey, const Environment& environment,
                         std::function<void()> startCapture, ChatBlur& chatBlur)
    : settings(settings), state(state), navigation(navigation), hotKey(hotKey),
      environment(environment), startCapture(std::move(startCapture)), chatBlur(chatBlur) {
    initialiseResources();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    setUpMainMenu();
    settings.apply();
    if (startCapture)
        startCapture();
    registerHotKey();
    chatBlur.start();
    showSectionFromEnvironment();
    settings.registerLoginItemOnFirstLaunch();
    setUpStatusItem();
}

void AppDelegate::setUpMainMenu() {
    // Nothing to build: without a global menu bar the app has no main menu,
    // and Qt's text fields already handle Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+A,
    // Ctrl+Z and Ctrl+Shift+Z themselves. Quitting is Ctrl+Q in the tray menu
    // and in the main window, which carries the key itself.
}

void AppDelegate::registerHotKey() {
    hotKeyIsRegistered = hotKey.registerAltSpace([this] { Q_EMIT hotKeyPressed(); });
}

void AppDelegate::showSectionFromEnvironment() {
    const std::optional<QString> show = environment.value(u"TOVIK_SHOW"_s);
    if (!show)
        return;
    navigation.setSection(AppSections::fromRawValue(*show).value_or(AppSection::memory));
    Q_EMIT libraryRequested();
}

void AppDelegate::openPanel() {
    Q_EMIT libraryRequested();
}

void AppDelegate::setUpStatusItem() {
    menu = std::make_unique<QMenu>();

    QAction* open = menu->addAction(u"Open Library"_s, this, &AppDelegate::openPanel);
    // Shown for reference; the global grab delivers the key, not the menu.
    open->setShortcut(QKeySequence(u"Alt+Space"_s));
    open->setShortcutVisibleInContextMenu(true);

    // The watcher switch starts on at every launch: it is not remembered.
    QAction* watcher = addToggle(u"Ask to keep copies"_s, u"watcher"_s, true);
    connect(watcher, &QAction::triggered, this, [this, watcher] { toggleWatcher(watcher); });
    QAction* drop =
        addToggle(u"Drop on notch to save"_s, u"dropOnNotch"_s, state.dropOnNotchEnabled());
    connect(drop, &QAction::triggered, this, [this, drop] { toggleDropOnNotch(drop); });
    if (autofill) {
        QAction* fill = addToggle(u"Autofill forms"_s, u"autofill"_s, autofill->enabled());
        connect(fill, &QAction::triggered, this, [this, fill] { toggleAutofill(fill); });
    }
    QAction* blur = addToggle(u"Blur chat lists"_s, u"chatBlur"_s, chatBlur.enabled());
    connect(blur, &QAction::triggered, this, [this, blur] { toggleChatBlur(blur); });
    menu->addAction(u"Blur Sites…"_s, this, &AppDelegate::openBlurSites);
    if (autofill)
        menu->addAction(u"My Info…"_s, this, [this] { openSection(AppSection::profile); });

    if (settings.loginItemGateHolds()) {
        QAction* login =
            addToggle(u"Launch at Login"_s, u"loginItem"_s, settings.launchesAtLogin());
        connect(login, &QAction::triggered, this, [this, login] { toggleLoginItem(login); });
    }

    QAction* appearance = menu->addAction(u"Appearance"_s);
    appearance->setMenu(makeAppearanceMenu());
    QAction* settingsEntry =
        menu->addAction(u"Settings…"_s, this, [this] { openSection(AppSection::settings); });
    settingsEntry->setShortcut(QKeySequence(u"Ctrl+,"_s));
    settingsEntry->setShortcutVisibleInContextMenu(true);

    menu->addSeparator();
    QAction* quitAction = menu->addAction(u"Quit lumavex"_s, this, &AppDelegate::quit);
    quitAction->setShortcut(QKeySequence(u"Ctrl+Q"_s));
    quitAction->setShortcutVisibleInContextMenu(true);

    connect(menu.get(), &QMenu::aboutToShow, this, &AppDelegate::menuNeedsUpdate);

    QIcon icon(u":/icons/MenuIcon.svg"_s);
    if (icon.isNull())
        icon = QIcon::fromTheme(u"document-save"_s);
    trayIcon = std::make_unique<QSystemTrayIcon>(icon);
    trayIcon->setToolTip(u"lumavex"_s);
    trayIcon->setContextMenu(menu.get());
    // A left click opens the same menu as a right click, as a status item does.
    connect(trayIcon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    menu->popup(QCursor::pos());
            });
    trayIcon->show();
}

QAction* AppDelegate::addToggle(const QString& title, const QString& toggle, bool checked) {
    QAction* action = menu->addAction(title);
    action->setCheckable(true);
    action->setChecked(checked);
    action->setProperty(toggleProperty, toggle);
    return action;
}

QMenu* AppDelegate::makeAppearanceMenu() {
    auto* submenu = new QMenu(u"Appearance"_s, menu.get());
    const std::pair<QString, QString> choices[] = {
        {u"System"_s, u"system"_s}, {u"Light"_s, u"light"_s}, {u"Dark"_s, u"dark"_s}};
    for (const auto& [title, value] : choices) {
        QAction* action = submenu->addAction(title);
        action->setCheckable(true);
        action->setData(value);
        action->setProperty(appearanceProperty, true);
        connect(action, &QAction::triggered, this, [this, action] { setAppearance(action); });
    }
    refreshAppearanceMenu(submenu);
    return submenu;
}

void AppDelegate::refreshAppearanceMenu(QMenu* appearanceMenu) {
    if (!appearanceMenu)
        return;
    for (QAction* action : appearanceMenu->actions()) {
        const QVariant value = action->data();
        action->setChecked(value.typeId() == QMetaType::QString &&
                           value.toString() == settings.appearance());
    }
}

void AppDelegate::setAppearance(QAction* sender) {
    const QVariant value = sender->data();
    settings.setAppearance(value.typeId() == QMetaType::QString ? value.toString() : u"system"_s);
    refreshAppearanceMenu(qobject_cast<QMenu*>(sender->parent()));
}

void AppDelegate::toggleLoginItem(QAction* sender) {
    if (!settings.loginItemGateHolds())
        return;
    settings.setLaunchesAtLogin(!settings.launchesAtLogin());
    sender->setChecked(settings.launchesAtLogin());
}

void AppDelegate::toggleWatcher(QAction* sender) {
    state.setWatcherEnabled(!state.watcherEnabled());
    sender->setChecked(state.watcherEnabled());
}

void AppDelegate::toggleDropOnNotch(QAction* sender) {
    state.setDropOnNotchEnabled(!state.dropOnNotchEnabled());
    sender->setChecked(state.dropOnNotchEnabled());
}

void AppDelegate::toggleAutofill(QAction* sender) {
    autofill->setEnabled(!autofill->enabled());
    sender->setChecked(autofill->enabled());
}

void AppDelegate::toggleChatBlur(QAction* sender) {
    chatBlur.setEnabled(!chatBlur.enabled());
    sender->setChecked(chatBlur.enabled());
}

void AppDelegate::openBlurSites() {
    openSection(AppSection::blur);
}

void AppDelegate::openSection(AppSection section) {
    navigation.setSection(section);
    Q_EMIT libraryRequested();
}

void AppDelegate::menuNeedsUpdate() {
    for (QAction* action : menu->actions()) {
        const QString toggle = action->property(toggleProperty).toString();
        if (toggle == u"loginItem"_s)
            action->setChecked(settings.launchesAtLogin());
        else if (toggle == u"watcher"_s)
            action->setChecked(state.watcherEnabled());
        else if (toggle == u"dropOnNotch"_s)
            action->setChecked(state.dropOnNotchEnabled());
        else if (toggle == u"autofill"_s && autofill)
            action->setChecked(autofill->enabled());
        else if (toggle == u"chatBlur"_s)
            action->setChecked(chatBlur.enabled());
        else if (action->menu())
            refreshAppearanceMenu(action->menu());
    }
}

void AppDelegate::quit() {
    // The event loop ends and the services are torn down in reverse order:
    // enrichment stopped, pending writes finished.
    QApplication::quit();
}
