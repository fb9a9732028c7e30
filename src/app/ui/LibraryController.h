#pragma once

#include "app/AppSection.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>

class AppNavigation;
class Environment;
class LibraryView;
class NetworkView;
class QStackedWidget;
struct LibraryContext;
struct NetworkContext;

// Owns the application's one main window: creates it on first show, keeps
// it when closed (closing only hides it), and brings it forward.
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

    // The page of another section, made by make when the section is first
    // shown (until the shell's sidebar exists, one page at a time fills the
    // window).
    void setPage(AppSection section, std::function<QWidget*()> make);
    // That page; null until first shown.
    QWidget* page(AppSection section) const;

    // The window; null until first shown.
    QWidget* window() const { return mainWindow; }
    LibraryView* libraryView() const { return view; }
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
    QStackedWidget* pages = nullptr;
    NetworkView* network = nullptr;
    std::map<AppSection, std::function<QWidget*()>> pageMakers;
    std::map<AppSection, QWidget*> madePages;
};
