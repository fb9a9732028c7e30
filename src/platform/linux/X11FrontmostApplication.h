#pragma once

#include "platform/FrontmostApplication.h"
#include "platform/linux/DesktopEntryIndex.h"

#include <QStringList>
#include <mutex>

struct xcb_connection_t;

// The active window of the X11 session (EWMH _NET_ACTIVE_WINDOW), named by
// the installed .desktop file of its program, else by its WM_CLASS class.
// Opens its own display connection on first use. Safe to call from any thread.
class X11FrontmostApplication final : public FrontmostApplication {
public:
    explicit X11FrontmostApplication(QStringList applicationDirectories);
    ~X11FrontmostApplication() override;

    std::optional<QString> displayName() override;
    std::optional<RunningApplication> frontmost() override;
    std::optional<RunningApplication> running(qint64 pid) override;

private:
    bool connect();
    // The active window, or 0; with the lock held.
    unsigned int activeWindow();
    // The process of a window (_NET_WM_PID), or 0; with the lock held.
    uint32_t windowPid(unsigned int window);

    std::mutex lock;

    xcb_connection_t* connection = nullptr;
    unsigned int root = 0;
    unsigned int activeWindowAtom = 0;
    unsigned int pidAtom = 0;
    bool failed = false;
    DesktopEntryIndex desktopEntries;
};
