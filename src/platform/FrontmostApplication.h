#pragma once

#include <QString>
#include <optional>

// A running application as the autofill and chat-blur engines know it.
struct RunningApplication {
    qint64 pid = 0;
    // A reverse-domain identifier ("org.chromium.Chromium", a Flatpak id, or
    // the executable's name when no better one is known).
    QString applicationId;
};

// The application whose window is active on the desktop.
class FrontmostApplication {
public:
    virtual ~FrontmostApplication() = default;

    // Its name as the desktop shows it to users ("Text Editor", "Firefox");
    // absent when no window is active.
    virtual std::optional<QString> displayName() = 0;
    // Its process and identifier; absent when no window is active or the
    // window names no process.
    virtual std::optional<RunningApplication> frontmost() = 0;
    // A running process by id; absent when there is no such process.
    virtual std::optional<RunningApplication> running(qint64 pid) = 0;
};
