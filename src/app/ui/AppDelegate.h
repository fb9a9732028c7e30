#pragma once

#include <QObject>

#include <memory>

class QMenu;
class QSystemTrayIcon;

// The desktop application: runs the start-up sequence once the event loop is
// up, and owns the tray icon and its menu for the life of the process.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    void applicationDidFinishLaunching();

    QSystemTrayIcon* statusItem() const { return trayIcon.get(); }
    QMenu* statusMenu() const { return menu.get(); }

private:
    void setUpStatusItem();
    void quit();

    std::unique_ptr<QMenu> menu;
    std::unique_ptr<QSystemTrayIcon> trayIcon;
};
