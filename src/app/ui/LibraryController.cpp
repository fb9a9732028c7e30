#include "app/ui/LibraryController.h"

#include "app/AppNavigation.h"
#include "app/ui/AppShellView.h"
#include "common/SharedInstance.h"
#include "library/ui/LibraryContext.h"
#include "library/ui/LibraryView.h"
#include "network/ui/NetworkView.h"
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
    : QObject(parent), context(context), navigation(navigation), environment(environment) {
    connect(&navigation, &AppNavigation::sectionChanged, this, [this] {
        if (mainWindow)
            showSectionPage();
    });
}

void LibraryController::setNetworkContext(NetworkContext* context) {
    networkContext = context;
}

void LibraryController::setPage(AppSection section, std::function<QWidget*()> make) {
    pageMakers[section] = std::move(make);
}

QWidget* LibraryController::page(AppSection section) const {
    const auto it = madePages.find(section);
    return it == madePages.end() ? nullptr : it->second;
}

void LibraryController::showSectionPage() {
    // The people section shows the map, a section with a page of its own
    // that page, and any other the memory page.
    if (const auto maker = pageMakers.find(navigation.section()); maker != pageMakers.end()) {
        QWidget*& made = madePages[navigation.section()];
        if (!made) {
            made = maker->second();
            pages->addWidget(made);
        }
        pages->setCurrentWidget(made);
        return;
    }
    if (navigation.section() == AppSection::network && networkContext) {
        if (!network) {
            network = new NetworkView(*networkContext, pages);
            pages->addWidget(network);
        }
        pages->setCurrentWidget(network);
        return;
    }
    pages->setCurrentWidget(view);
}
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
    pages = new QStackedWidget;
    view = new LibraryView(context, pages);
    pages->addWidget(view);
    shellView = new AppShellView(navigation, profile, pages, window);
    layout->addWidget(shellView);
    showSectionPage();
    // Without a global menu bar the window carries the main menu's Quit key
    // itself; the tray menu's entry shows the key but only hears it while open.
    auto* quit = new QAction(u"Quit lumavex"_s, window);
    quit->setShortcut(QKeySequence(u"Ctrl+Q"_s));
    quit->setShortcutContext(Qt::WindowShortcut);
    connect(quit, &QAction::triggered, this, &LibraryController::quitRequested);
    window->addAction(quit);
    auto* settings = new QAction(u"Settings…"_s, window);
    settings->setShortcut(QKeySequence(u"Ctrl+,"_s));
    settings->setShortcutContext(Qt::WindowShortcut);
    connect(settings, &QAction::triggered, this,
            [this] { navigation.setSection(AppSection::settings); });
    window->addAction(settings);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), window->size());
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    mainWindow = window;
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
