#include "app/ui/AppDelegate.h"

#include "capture/ClipboardWatcher.h"
#include "capture/ui/NotchController.h"

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

AppDelegate::AppDelegate() {
    initialiseResources();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    NotchController::shared().setUp();
    ClipboardWatcher::shared().start();
    setUpStatusItem();
}

void AppDelegate::setUpStatusItem() {
    menu = std::make_unique<QMenu>();
    QAction* quitAction = menu->addAction(u"Quit lumavex"_s);
    quitAction->setShortcut(QKeySequence(u"Ctrl+Q"_s));
    connect(quitAction, &QAction::triggered, this, &AppDelegate::quit);

    QIcon icon(u":/icons/MenuIcon.svg"_s);
    if (icon.isNull())
        icon = QIcon::fromTheme(u"document-save"_s, QIcon::fromTheme(u"emblem-documents"_s));
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

void AppDelegate::quit() {
    // Nothing to shut down: every write is already on disk when it returns.
    QApplication::quit();
}
