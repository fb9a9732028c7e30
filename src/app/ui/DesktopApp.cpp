#include "app/ui/DesktopApp.h"

#include "app/AppSettings.h"
#include "app/SingleInstance.h"
#include "app/cli/CommandLine.h"
#include "app/cli/CommandStreams.h"
#include "app/cli/StoreAccess.h"
#include "app/ui/AppDelegate.h"
#include "capture/AppState.h"
#include "capture/ClipboardWatcher.h"
#include "capture/ui/NotchController.h"
#include "library/ui/LibraryController.h"
#include "platform/Platform.h"
#include "store/Store.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>
#include <sstream>

using namespace Qt::StringLiterals;

namespace {

// Runs a subcommand handed over by another tovik process on this app's store.
SingleInstance::Reply runHandedOver(const SingleInstance::Request& request) {
    StoreAccess::useInProcessStore(&Store::shared());
    const QString previous = QDir::currentPath();
    if (!request.workingDirectory.isEmpty())
        QDir::setCurrent(request.workingDirectory);
    std::istringstream in(request.input.toStdString());
    std::ostringstream out;
    std::ostringstream err;
    CommandStreams streams{in, out, err};
    CommandLine commandLine;
    SingleInstance::Reply reply;
    reply.status = commandLine.run(request.arguments, streams);
    QDir::setCurrent(previous);
    reply.out = QByteArray::fromStdString(out.str());
    reply.err = QByteArray::fromStdString(err.str());
    return reply;
}

} // namespace

int runDesktopApp(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"lumavex"_s);
    QApplication::setDesktopFileName(QString::fromLatin1(AppSettings::applicationIdentifier));
    QApplication::setWindowIcon(QIcon(u":/icons/tovik.svg"_s));
    // The app lives in the tray: closing a window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(SingleInstance::defaultSocketPath());
    if (!instance.listen(&runHandedOver)) {
        // Already running: bring that one forward instead.
        SingleInstance::askToShow(SingleInstance::defaultSocketPath());
        return 0;
    }

    AppState& state = AppState::shared();
    AppDelegate delegate(AppSettings::shared(), state, Platform::current().globalHotKey(),
                         Platform::current().environment(), [] {
                             NotchController::shared().setUp();
                             ClipboardWatcher::shared().start();
                         });
    LibraryController& library = LibraryController::shared();
    QObject::connect(&instance, &SingleInstance::showRequested, &library,
                     &LibraryController::showCurrentSection);
    QObject::connect(&delegate, &AppDelegate::libraryRequested, &library,
                     &LibraryController::showCurrentSection);
    QObject::connect(&state, &AppState::libraryRequested, &library,
                     &LibraryController::showCurrentSection);
    QObject::connect(&library, &LibraryController::quitRequested, &delegate, &AppDelegate::quit);
    // Alt+Space shows or hides the window; the grab's callback may come from
    // inside the X event filter, so the toggle runs once that has returned.
    QObject::connect(&delegate, &AppDelegate::hotKeyPressed, &library, &LibraryController::toggle,
                     Qt::QueuedConnection);
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
