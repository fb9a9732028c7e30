#pragma once

#include "app/AppSection.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>

class AppNavigation;
class AppShellView;
class Environment;
class LibraryView;
class NetworkView;
class ProfileStore;
class QStackedWidget;
struct LibraryContext;
struct NetworkContext;

// Owns the application's one main window: creates it on first show, keeps
// it when closed (closing only hides it), and brings it forward. The window
// holds the shell: the sidebar of sections and the current section's page,
// each page made when its section is first shown.
class LibraryController : public QObject {
    Q_OBJECT
public:
    LibraryController(LibraryContext& context, AppNavigation& navigation,
                      const Environment& environment, QObject* parent = nullptr);

    static LibraryController& shared();

    // Sets the section first when one is given, creates the window if need
    // be, and brings it to the front. With TOVIK_SHOW set the window comes
    // forward without taking focus from the application in use.
    void show(std::optional<AppSection> section = std::nullopt);
    void showCurrentSection() { show(); }
    // The hot key: hides the window while it is visible and active,
    // otherwise shows it.
    void toggle();

    // The people map's services; until they are given the window shows
    // the memory page for every section.
    void setNetworkContext(NetworkContext* context);

    // The user's details, for the sidebar's account row; set before the
    // window is first shown.
    void setProfileStore(const ProfileStore* store) { profile = store; }

    // The page of another section, made by make when the section is first
    // shown. A section without a page shows the memory page.
    void setPage(AppSection section, std::function<QWidget*()> make);
    // That page; null until first shown.
    QWidget* page(AppSection section) const;

    // The window; null until first shown.
    QWidget* window() const { return mainWindow; }
    LibraryView* libraryView() const { return view; }
    // The sidebar and the page beside it; null until first shown.
    AppShellView* shell() const { return shellView; }
    // The people page; null until the network section is first shown.
    NetworkView* networkView() const { return network; }

Q_SIGNALS:
    // Ctrl+Q in the window: the application should quit, as from the tray.
    void quitRequested();

public:
    static constexpr int width = 1120;
    static constexpr int height = 760;
    static constexpr int minWidth = 860;
    static constexpr int minHeight = 520;

private:
    void createWindow();
    void showSectionPage();

    LibraryContext& context;
    AppNavigation& navigation;
    const Environment& environment;
    QPointer<QWidget> mainWindow;
    LibraryView* view = nullptr;
    NetworkContext* networkContext = nullptr;
    const ProfileStore* profile = nullptr;
    AppShellView* shellView = nullptr;
    QStackedWidget* pages = nullptr;
    NetworkView* network = nullptr;
    std::map<AppSection, std::function<QWidget*()>> pageMakers;
    std::map<AppSection, QWidget*> madePages;
};
