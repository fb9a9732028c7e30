#pragma once

#include <QProcess>
#include <QString>

#include <memory>

// Another application on the test desktop: the desktop-test executable run
// again in helper mode. It shows a window with a text field that has the
// keyboard (the application the user types in), can own the clipboard with
// text marked as a password manager's secret, and can be the source of a
// drag carrying a file.
class HelperApplication {
public:
    struct Options {
        QString secretText;   // offered on the clipboard with the password-manager marker
        QString dragFilePath; // the window's drag handle drags this file
    };

    // Starts it and waits until its window is up and active; false on failure.
    bool start(const Options& options);
    ~HelperApplication();

    // X11 id of its window, as xdotool prints it.
    QString windowId() const { return window; }
    // Screen position of the drag handle's centre.
    static constexpr int dragX = 200;
    static constexpr int dragY = 340;

    static constexpr const char* windowTitle = "tovik test helper";

private:
    std::unique_ptr<QProcess> process;
    QString window;
};

// Runs a command of the desktop session (xdotool, xclip …); its standard output.
QString runTool(const QString& program, const QStringList& arguments, int timeoutMs = 10000);
// The window that has the keyboard now.
QString activeWindow();
