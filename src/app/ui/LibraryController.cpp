#include "app/ui/LibraryController.h"

#include "app/AppNavigation.h"
#include "chatblur/BlurSiteStore.h"
#include "chatblur/ChatBlur.h"
#include "chatblur/ui/BlurSitesView.h"
#include "common/SharedInstance.h"
#include "library/ui/LibraryContext.h"
#include "library/ui/LibraryView.h"
#include "platform/Environment.h"
#include "platform/Platform.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

LibraryController::LibraryController(LibraryContext& context, AppNavigation& navigation,
                                     const Environment& environment, QObject* parent)
    : QObject(parent), context(context), navigation(navigation), environment(environment) {}

LibraryController& LibraryController::shared() {
    return SharedInstance<LibraryController>::get();
}

void LibraryController::createWindow() {
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(u"libraryWindow"_s);
    window->setWindowTitle(u"lumavex"_s);
    window->setMinimumSize(minWidth, minHeight);
    window->resize(width, height);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    // Until the shell with its sidebar exists, the window shows the chosen
    // section's page alone: the memory page, or the chat-blur page.
    pages = new QStackedWidget(window);
    view = new LibraryView(context, pages);
    pages->addWidget(view);
    layout->addWidget(pages);
    connect(&navigation, &AppNavigation::sectionChanged, this, &LibraryController::showSectionPage);
    showSectionPage(navigation.section());
    // Without a global menu bar the window carries the main menu's Quit key
    // itself; the tray menu's entry shows the key but only hears it while open.
    auto* quit = new QAction(u"Quit lumavex"_s, window);
    quit->setShortcut(QKeySequence(u"Ctrl+Q"_s));
    quit->setShortcutContext(Qt::WindowShortcut);
    connect(quit, &QAction::triggered, this, &LibraryController::quitRequested);
    window->addAction(quit);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), window->size());
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    mainWindow = window;
}

void LibraryController::showSectionPage(AppSection section) {
    if (!pages)
        return;
    if (section == AppSection::blur && SharedInstance<ChatBlur>::isSet()) {
        if (!blurPage) {
            blurPage = new BlurSitesView(BlurSiteStore::shared(), ChatBlur::shared(), pages);
            pages->addWidget(blurPage);
        }
        pages->setCurrentWidget(blurPage);
        return;
    }
    pages->setCurrentWidget(view);
}

void LibraryController::show(std::optional<AppSection> section) {
    if (section)
        navigation.setSection(*section);
    if (!mainWindow)
        createWindow();
    if (environment.value(u"TOVIK_SHOW"_s)) {
        mainWindow->setAttribute(Qt::WA_ShowWithoutActivating, true);
        mainWindow->show();
        mainWindow->raise();
        mainWindow->setAttribute(Qt::WA_ShowWithoutActivating, false);
        return;
    }
    if (mainWindow->isMinimized())
        mainWindow->showNormal();
    mainWindow->show();
    mainWindow->raise();
    mainWindow->activateWindow();
}

void LibraryController::toggle() {
    if (mainWindow && mainWindow->isVisible() && mainWindow->isActiveWindow()) {
        mainWindow->hide();
        return;
    }
    show();
}
