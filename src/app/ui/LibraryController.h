#pragma once

#include "app/AppSection.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <optional>

class AppNavigation;
class Environment;
class BlurSitesView;
class LibraryView;
class QStackedWidget;
struct LibraryContext;

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

    // The window; null until first shown.
    QWidget* window() const { return mainWindow; }
    LibraryView* libraryView() const { return view; }

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
    void showSectionPage(AppSection section);

    LibraryContext& context;
    AppNavigation& navigation;
    const Environment& environment;
    QPointer<QWidget> mainWindow;
    LibraryView* view = nullptr;
    QStackedWidget* pages = nullptr;
    BlurSitesView* blurPage = nullptr;
};
