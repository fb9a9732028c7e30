#include "app/cli/CommandLine.h"
#include "app/cli/CommandStreams.h"
#include "app/ui/DesktopApp.h"
#include "platform/linux/LinuxPlatform.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    LinuxPlatform platform;
    Platform::install(&platform);

    if (argc > 1) {
        QCoreApplication app(argc, argv);
        QStringList arguments = QCoreApplication::arguments();
        arguments.removeFirst();
        std::ios::sync_with_stdio(false);
        CommandStreams streams{std::cin, std::cout, std::cerr};
        CommandLine commandLine;
        const int status = commandLine.run(arguments, streams);
        std::cout.flush();
        return status;
    }
    return runDesktopApp(argc, argv);
}
