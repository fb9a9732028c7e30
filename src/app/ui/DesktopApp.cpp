#include "app/ui/DesktopApp.h"

#include "app/AppServices.h"
#include "app/AppSettings.h"
#include "app/SingleInstance.h"
#include "app/cli/CommandLine.h"
#include "app/cli/CommandStreams.h"
#include "app/cli/PeopleAccess.h"
#include "app/cli/StoreAccess.h"
#include "app/ui/AppDelegate.h"
#include "app/ui/LibraryController.h"
#include "app/ui/SettingsView.h"
#include "autofill/AutoFill.h"
#include "autofill/ui/ProfileView.h"
#include "capture/AppState.h"
#include "capture/ClipboardWatcher.h"
#include "capture/ui/NotchController.h"
#include "chatblur/ui/BlurSitesView.h"
#include "common/SharedInstance.h"
#include "common/ui/FirstPaint.h"
#include "library/ImageCache.h"
#include "library/ui/LibraryContext.h"
#include "network/NetworkStore.h"
#include "network/ui/NetworkContext.h"
#include "organise/Categorizer.h"
#include "platform/Platform.h"
#include "platform/linux/QuitSignals.h"
#include "store/Store.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QIcon>
#include <QTimer>
#include <sstream>

using namespace Qt::StringLiterals;

namespace {

// Runs a subcommand handed over by another tovik process on this app's
// store. The request is self-contained (its paths are absolute), so nothing
// of the process's own state changes; a command that waits (enrich) answers
// when it is done, while the event loop goes on.
void runHandedOver(const SingleInstance::Request& request,
                   std::function<void(const SingleInstance::Reply&)> done) {
    StoreAccess::useInProcessStore(&Store::shared());
    PeopleAccess::useInProcessStore(&NetworkStore::shared());
    struct Running {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        CommandStreams streams{in, out, err};
        CommandLine commandLine;
    };
    auto running = std::make_shared<Running>();
    QStringList arguments = request.arguments;
    if (!request.folder.isEmpty()) {
        // From the small client, which knows no commands: what changes no
        // data it runs itself, reading the folder as any reader does.
        if (!running->commandLine.changesData(arguments)) {
            SingleInstance::Reply declined;
            declined.declined = true;
            done(declined);
            return;
        }
        arguments = running->commandLine.resolvePaths(arguments, QDir(request.folder));
    }
    running->in.str(request.input.toStdString());
    running->commandLine.runInApp(arguments, running->streams,
                                  [running, done = std::move(done)](int status) {
                                      SingleInstance::Reply reply;
                                      reply.status = status;
                                      reply.out = QByteArray::fromStdString(running->out.str());
                                      reply.err = QByteArray::fromStdString(running->err.str());
                                      done(reply);
                                  });
}

} // namespace

int runDesktopApp(int argc, char** argv) {
    // libatspi attaches its connection to each application it reads (a
    // browser's own bus) to GLib's default context. With Qt's GLib event
    // loop iterating that context on this thread, replies meant for the
    // accessibility thread are taken here, and every read from the chat-blur
    // scan times out. Qt's own event loop leaves the default context alone.
    qputenv("QT_NO_GLIB", "1");
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

    Platform& platform = Platform::current();
    AppServices services(platform, AppServices::Mode::desktop);
    const QuitSignals quitSignals([] { QApplication::quit(); });

    // The panels and the main window: made after the services they show,
    // destroyed before them (in reverse order of these lines).
    NotchController notch(services.appState(), services.store(), services.categorizer(),
                          platform.scheduler(), platform.frontmostApplication());
    const SharedInstance<NotchController>::Registration notchShared(notch);
    LibraryContext libraryContext{
        services.store(),
        services.imageCache(),
        services.clipboardWatcher(),
        platform.clock(),
        platform.scheduler(),
        platform.userDefaults(),
        [](const QUrl& url) { QDesktopServices::openUrl(url); },
    };
    const SharedInstance<LibraryContext>::Registration contextShared(libraryContext);
    NetworkContext networkContext{
        services.networkStore(),
        services.imageCache(),
        platform.pasteboard(),
        [](const QUrl& url) { QDesktopServices::openUrl(url); },
    };
    LibraryController library(libraryContext, services.navigation(), platform.environment());
    library.setNetworkContext(&networkContext);
    library.setPage(AppSection::blur, [&services] {
        return new BlurSitesView(services.blurSites(), services.chatBlur());
    });
    library.setPage(AppSection::profile, [&services, &platform] {
        return new ProfileView(services.profileStore(), services.autoFill(),
                               platform.accessibility());
    });
    library.setPage(AppSection::settings, [&services] {
        return new SettingsView(services.appState(), services.settings(), &services.autoFill(),
                                services.chatBlur());
    });
    library.setProfileStore(&services.profileStore());
    const SharedInstance<LibraryController>::Registration libraryShared(library);

    AppState& state = services.appState();
    AppDelegate delegate(
        services.settings(), state, services.navigation(), platform.globalHotKey(),
        platform.environment(),
        [&notch, &services] {
            notch.setUp();
            services.clipboardWatcher().start();
            services.autoFill().start();
        },
        services.chatBlur());
    delegate.setAutoFill(&services.autoFill());
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
    QTimer::singleShot(0, &delegate, [&delegate, &library, &services] {
        delegate.applicationDidFinishLaunching();
        // The word vectors take a while to read: in the background, and once
        // a window shown at launch has its first frame, which on two cores
        // would otherwise wait for them.
        Categorizer& categorizer = services.categorizer();
        QWidget* window = library.window();
        if (window != nullptr && window->isVisible())
            afterFirstPaint(window, [&categorizer] { categorizer.loadModelInBackground(); });
        else
            categorizer.loadModelInBackground();
    });
    // Once the loop ends no handed-over command runs any more: the socket is
    // only read by the loop.
    return QApplication::exec();
}
