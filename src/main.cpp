#include "app/SingleInstance.h"
#include "app/cli/CommandLine.h"
#include "app/cli/CommandStreams.h"
#include "app/ui/DesktopApp.h"
#include "platform/linux/LinuxPlatform.h"

#include <QCoreApplication>
#include <QDir>

#include <iostream>
#include <iterator>
#include <sstream>

namespace {

// While the desktop app runs it is the data folder's only writer: a command
// that changes data is carried out by the app and its answer printed here.
std::optional<int> handOverToRunningApp(const QStringList& arguments, const QByteArray& input) {
    SingleInstance::Request request;
    request.arguments = arguments;
    request.workingDirectory = QDir::currentPath();
    request.input = input;
    const std::optional<SingleInstance::Reply> reply =
        SingleInstance::handOver(SingleInstance::defaultSocketPath(), request);
    if (!reply)
        return std::nullopt;
    std::cout.write(reply->out.constData(), reply->out.size());
    std::cerr.write(reply->err.constData(), reply->err.size());
    return reply->status;
}

} // namespace

int main(int argc, char** argv) {
    LinuxPlatform platform;
    Platform::install(&platform);

    if (argc > 1) {
        QCoreApplication app(argc, argv);
        QStringList arguments = QCoreApplication::arguments();
        arguments.removeFirst();
        std::ios::sync_with_stdio(false);
        CommandLine commandLine;
        if (commandLine.changesData(arguments)) {
            // Standard input is read once, and serves whichever process runs the command.
            std::string input;
            if (arguments.contains(QStringLiteral("-")))
                input.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
            if (std::optional<int> status =
                    handOverToRunningApp(arguments, QByteArray::fromStdString(input))) {
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
