#pragma once

#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

// This program's own file, resolved (empty when it cannot be read).
inline void executablePath(char (&path)[PATH_MAX]) {
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    path[length > 0 ? length : 0] = '\0';
}

// Where another of Tovik's programs lies: beside the running one in a build
// folder (and for the programs under libexec once installed), else under
// libexec as seen from the installed bin folder. Written to path (PATH_MAX
// bytes). Plain C library calls: `tovik` itself links no other library, so
// that what it starts is not delayed by loading one.
inline void programPath(const char* name, char (&path)[PATH_MAX]) {
    char self[PATH_MAX];
    executablePath(self);
    if (char* slash = std::strrchr(self, '/'))
        *slash = '\0';
    const int beside = std::snprintf(path, PATH_MAX, "%s/%s", self, name);
    if (beside > 0 && beside < PATH_MAX && ::access(path, X_OK) == 0)
        return;
    const int installed =
        std::snprintf(path, PATH_MAX, "%s/" TOVIK_LIBEXEC_FROM_BIN "/%s", self, name);
    if (installed < 0 || installed >= PATH_MAX)
        path[0] = '\0'; // too long to name: starting it fails and says so
}
