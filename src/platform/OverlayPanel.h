#pragma once

#include <QRect>
#include <memory>

// A panel that covers part of the screen above every other window without
// taking part in it: clicks pass through it to the window below, it never
// takes the keyboard focus and it appears in no task bar or window switcher.
// GUI thread only.
class OverlayPanel {
public:
    virtual ~OverlayPanel() = default;
    // Screen pixels, origin top-left. Moving to the frame it already has does
    // nothing, so callers may set it on every update.
    virtual void setFrame(const QRect& frame) = 0;
    virtual QRect frame() const = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool isVisible() const = 0;
};

// Makes overlay panels.
class OverlayPanels {
public:
    virtual ~OverlayPanels() = default;
    // A frosted panel: blurred behind where the window manager offers it,
    // otherwise dense enough that nothing beneath can be read.
    virtual std::unique_ptr<OverlayPanel> makeFrostedPanel() = 0;
};
