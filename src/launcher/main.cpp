// The `tovik` users type, linked with nothing but the C library. Started
// without arguments (from the menu, at login) or for help, it becomes the
// desktop app at once: loading Qt here first would only delay the window.
// For a command it becomes the hand-over client (ClientMain.cpp), which asks
// the running app and starts the whole program when none answers. Either
// way it is replaced in place: same process, arguments, environment and
// standard streams, with the environment LaunchEnvironment.h describes.
#include "launcher/ProgramPath.h"
#include "platform/linux/LaunchEnvironment.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    // Help changes nothing and must not wait for standard input.
    bool help = false;
    for (int i = 1; i < argc; ++i)
        help = help || std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
    char program[PATH_MAX];
    programPath(argc < 2 || help ? TOVIK_APP_NAME : TOVIK_CLIENT_NAME, program);
    char self[PATH_MAX];
    executablePath(self);
    LaunchEnvironment::prepare(self);
    ::execv(program, argv);
    std::fprintf(stderr, "tovik: cannot start %s: %s\n", program, std::strerror(errno));
    return 127;
}
