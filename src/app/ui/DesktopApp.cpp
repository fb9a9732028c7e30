#include "app/ui/DesktopApp.h"

#include "app/ui/AppDelegate.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

using namespace Qt::StringLiterals;

int runDesktopApp(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"lumavex"_s);
    QApplication::setDesktopFileName(u"com.nivo.lumavex"_s);
    QApplication::setWindowIcon(QIcon(u":/icons/tovik.svg"_s));
    // The app lives in the tray: closing a window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    AppDelegate delegate;
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
