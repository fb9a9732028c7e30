#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <memory>
#include <optional>

// Another application on the test desktop: the desktop-test executable run
// again in helper mode. It shows a window with a text field that has the
// keyboard (the application the user types in), can own the clipboard with
// text marked as a password manager's secret, and can be the source of a
// drag carrying a file. A second window of it is a drop target that reports
// what is dropped on it.
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

    // Screen position of the drop target's centre.
    static constexpr int dropX = 200;
    static constexpr int dropY = 650;

    // What was dropped on the drop target since the last call, if anything:
    // "urls" (strings), "text" and, when offered, "suggestedName". Reads only
    // what the helper has written so far; never blocks.
    std::optional<QJsonObject> takeDrop();

    static constexpr const char* windowTitle = "tovik test helper";

private:
    std::unique_ptr<QProcess> process;
    QString window;
    QByteArray output;
};

// Runs a command of the desktop session (xdotool, xclip …); its standard output.
QString runTool(const QString& program, const QStringList& arguments, int timeoutMs = 10000);
// The window that has the keyboard now.
QString activeWindow();
