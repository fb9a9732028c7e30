#pragma once

#include <climits>
#include <string>
#include <unistd.h>

// Where another of Tovik's programs lies: beside the running one in a build
// folder (and for the programs under libexec once installed), else under
// libexec as seen from the installed bin folder. Plain POSIX: `tovik`
// itself links no Qt.
inline std::string programPath(const char* name) {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder = length > 0 ? std::string(self, size_t(length)) : std::string();
    folder = folder.substr(0, folder.rfind('/') == std::string::npos ? 0 : folder.rfind('/'));
    const std::string beside = folder + '/' + name;
    if (::access(beside.c_str(), X_OK) == 0)
        return beside;
    return folder + "/" TOVIK_LIBEXEC_FROM_BIN "/" + name;
}
