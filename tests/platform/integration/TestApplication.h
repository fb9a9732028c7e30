#pragma once

#include <QApplication>

// The application object that fonts, painting and Qt's networking need; made
// once for the whole test program (offscreen when no display is there).
inline void ensureTestApplication() {
    if (QCoreApplication::instance())
        return;
    if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tovik_desktop_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}
