#pragma once

#include "app/AppSection.h"

#include <QObject>
#include <functional>
#include <memory>

class AppNavigation;
class AppSettings;
class AppState;
class ChatBlur;
class Environment;
class GlobalHotKey;
class QAction;
class QMenu;
class QSystemTrayIcon;

// The desktop application: runs the start-up sequence once the event loop is
// up, owns the tray icon and its menu for the life of the process, and
// carries out the menu's commands.
class AutoFill;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    // startCapture puts the panels on the screens and starts watching the
    // clipboard; it runs at its place in the start-up sequence.
    AppDelegate(AppSettings& settings, AppState& state, AppNavigation& navigation,
                GlobalHotKey& hotKey, const Environment& environment,
                std::function<void()> startCapture, ChatBlur& chatBlur);
    ~AppDelegate() override;

    // Adds the autofill entries to the status menu ("Autofill forms",
    // "My Info…"); set before launching finishes.
    void setAutoFill(AutoFill* engine) { autofill = engine; }

    void applicationDidFinishLaunching();

    QSystemTrayIcon* statusItem() const { return trayIcon.get(); }
    QMenu* statusMenu() const { return menu.get(); }
    bool hotKeyRegistered() const { return hotKeyIsRegistered; }

    // Refreshes every check mark of the status menu from the current state;
    // runs each time the menu opens.
    void menuNeedsUpdate();

    // Shows the main window on its current section.
    void openPanel();
    // Ends the application (the tray's "Quit" and Ctrl+Q in the main window).
    void quit();

Q_SIGNALS:
    // Alt+Space was pressed: the main window should show or hide.
    void hotKeyPressed();
    // The library should be shown (the main window, once it exists).
    void libraryRequested();

private:
    void setUpMainMenu();
    void registerHotKey();
    void showSectionFromEnvironment();
    void setUpStatusItem();
    QMenu* makeAppearanceMenu();
    void refreshAppearanceMenu(QMenu* appearanceMenu);
    void toggleLoginItem(QAction* sender);
    void toggleWatcher(QAction* sender);
    void toggleDropOnNotch(QAction* sender);
    void toggleAutofill(QAction* sender);
    void openSection(AppSection section);
    void toggleChatBlur(QAction* sender);
    void openBlurSites();
    QAction* addToggle(const QString& title, const QString& toggle, bool checked);
    void setAppearance(QAction* sender);

    AppSettings& settings;
    AppState& state;
    AppNavigation& navigation;
    GlobalHotKey& hotKey;
    const Environment& environment;
    std::function<void()> startCapture;
    AutoFill* autofill = nullptr;
    ChatBlur& chatBlur;
    bool hotKeyIsRegistered = false;
    std::unique_ptr<QMenu> menu;
    std::unique_ptr<QSystemTrayIcon> trayIcon;
};
