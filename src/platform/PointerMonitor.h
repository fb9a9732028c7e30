#pragma once

#include <QPoint>
#include <functional>
#include <optional>

// The mouse pointer, wherever it is on the desktop.
class PointerMonitor {
public:
    virtual ~PointerMonitor() = default;
    // Screen pixels, origin top-left; absent without a display.
    virtual std::optional<QPoint> position() = 0;
    // Calls onWheel on the GUI thread for every scroll-wheel step anywhere on
    // the desktop, until stopWheelMonitor(); false when the desktop cannot
    // report them.
    virtual bool startWheelMonitor(std::function<void()> onWheel) = 0;
    virtual void stopWheelMonitor() = 0;
};
