#pragma once

#include <QString>
#include <optional>

// The application whose window is active on the desktop.
class FrontmostApplication {
public:
    virtual ~FrontmostApplication() = default;

    // Its name as the desktop shows it to users ("Text Editor", "Firefox");
    // absent when no window is active.
    virtual std::optional<QString> displayName() = 0;
};
