#pragma once

#include <QApplication>

// The QApplication that widget and desktop tests share (Qt allows one per
// process); created on first use with the platform of the environment.
inline QApplication& guiApplication() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    static int argc = 1;
    static char name[] = "tovik_desktop_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// True when tests run inside a desktop session (scripts/with-desktop).
inline bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}
