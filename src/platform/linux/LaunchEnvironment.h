#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// What `tovik` hands the program it becomes through the environment, and
// how that program takes it back.
//
// The app's start decodes tens of megabytes of item text into fresh heap
// memory, and the kernel handing that out 4 KiB at a time was about a
// quarter of the launch. glibc backs its heap with transparent huge pages
// when asked through GLIBC_TUNABLES, which it reads only as a program
// starts, so `tovik` asks for it before it execs. The program started that
// way puts the user's own value back before it starts anything (a browser
// for a link keeps the user's settings), and learns where `tovik` lies, the
// program a login should start.
//
// Plain C library calls, inline: `tovik` links no other library.
namespace LaunchEnvironment {

inline constexpr char tunablesVariable[] = "GLIBC_TUNABLES";
// The user's GLIBC_TUNABLES while `tovik`'s stands in for it; empty when
// the user had none.
inline constexpr char userTunablesVariable[] = "TOVIK_USER_GLIBC_TUNABLES";
inline constexpr char launcherVariable[] = "TOVIK_LAUNCHER";
inline constexpr char hugePages[] = "glibc.malloc.hugetlb=1";

// The tunables to start with, given the user's (null when unset): theirs
// followed by huge pages. False, and out untouched, when they are left as
// they are: the user chose a hugetlb setting, or the result would not fit.
inline bool tunablesWithHugePages(const char* user, char* out, std::size_t size) {
    if (user != nullptr && std::strstr(user, "glibc.malloc.hugetlb") != nullptr)
        return false;
    const bool theirs = user != nullptr && *user != '\0';
    const int length =
        std::snprintf(out, size, "%s%s%s", theirs ? user : "", theirs ? ":" : "", hugePages);
    return length > 0 && static_cast<std::size_t>(length) < size;
}

// In `tovik`, just before it execs another of Tovik's programs.
inline void prepare(const char* launcherPath) {
    const char* user = std::getenv(tunablesVariable);
    char tunables[4096];
    // A second `tovik` started from the app finds the first one's value
    // already put back, so this never stacks.
    if (std::getenv(userTunablesVariable) == nullptr &&
        tunablesWithHugePages(user, tunables, sizeof tunables)) {
        ::setenv(userTunablesVariable, user != nullptr ? user : "", 1);
        ::setenv(tunablesVariable, tunables, 1);
    }
    ::setenv(launcherVariable, launcherPath, 1);
}

// In the program `tovik` started, first thing in main, before any thread
// reads the environment. Returns where `tovik` lies, or an empty string
// when this program was started some other way.
inline std::string takeBack() {
    if (const char* user = std::getenv(userTunablesVariable)) {
        if (*user == '\0')
            ::unsetenv(tunablesVariable);
        else
            ::setenv(tunablesVariable, user, 1);
        ::unsetenv(userTunablesVariable);
    }
    std::string launcher;
    if (const char* path = std::getenv(launcherVariable)) {
        launcher = path;
        ::unsetenv(launcherVariable);
    }
    return launcher;
}

} // namespace LaunchEnvironment
