#include "app/AppServices.h"
#include "app/SingleInstance.h"
#include "app/cli/CommandLine.h"
#include "app/cli/CommandStreams.h"
#include "app/ui/DesktopApp.h"
#include "platform/linux/LaunchEnvironment.h"
#include "platform/linux/LinuxPlatform.h"
#include "store/DocumentThumbnailer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>

namespace {

// While the desktop app runs it is the data folder's only writer: a command
// that changes data is carried out by the app and its answer printed here.
std::optional<int> handOverToRunningApp(const CommandLine& commandLine,
                                        const QStringList& arguments, const QByteArray& input) {
    SingleInstance::Request request;
    // The app has a working folder of its own: paths travel resolved.
    request.arguments = commandLine.resolvePaths(arguments, QDir::current());
    request.input = input;
    const std::optional<SingleInstance::Reply> reply =
        SingleInstance::handOver(SingleInstance::defaultSocketPath(), request);
    if (!reply)
        return std::nullopt;
    std::cout.write(reply->out.constData(), reply->out.size());
    std::cerr.write(reply->err.constData(), reply->err.size());
    return reply->status;
}

// A command prints only what it means to. Qt's own notes (a missing
// XDG_RUNTIME_DIR, libpng's remarks on colour profiles) say nothing about the
// command's result and would be mistaken for it.
void keepQtQuiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toLocal8Bit().constData() << '\n';
}

} // namespace

int main(int argc, char** argv) {
    const std::string launcher = LaunchEnvironment::takeBack();
    LinuxPlatform platform(
        [](PdfReader& pdf) { return std::make_unique<DocumentThumbnailer>(pdf); },
        launcher.empty() ? AutostartLoginItem::runningExecutable()
                         : QFile::decodeName(QByteArray::fromStdString(launcher)));
    Platform::install(&platform);

    if (argc > 1) {
        qInstallMessageHandler(keepQtQuiet);
        CommandLine commandLine;
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments.append(QString::fromLocal8Bit(argv[i]));
        std::unique_ptr<QCoreApplication> app;
        if (commandLine.drawsImages(arguments)) {
            // Drawing needs fonts, which only a graphical application has; a
            // command never needs the user's screen for it.
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
        std::ios::sync_with_stdio(false);
        // Made after the Qt application and gone before it and the platform.
        const AppServices services(platform, AppServices::Mode::command);
        if (commandLine.changesData(arguments)) {
            // Standard input is read once, and serves whichever process runs the command.
            std::string input;
            if (arguments.contains(QStringLiteral("-")))
                input.assign(std::istreambuf_iterator<char>(std::cin),
                             std::istreambuf_iterator<char>());
            if (std::optional<int> status = handOverToRunningApp(
                    commandLine, arguments, QByteArray::fromStdString(input))) {
                std::cout.flush();
                return *status;
            }
            std::istringstream in(input);
            CommandStreams streams{in, std::cout, std::cerr};
            const int status = commandLine.run(arguments, streams);
            std::cout.flush();
            return status;
        }
        CommandStreams streams{std::cin, std::cout, std::cerr};
        const int status = commandLine.run(arguments, streams);
        std::cout.flush();
        return status;
    }
    return runDesktopApp(argc, argv);
}
