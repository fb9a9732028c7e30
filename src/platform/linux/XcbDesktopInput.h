#pragma once

#include "platform/KeyboardTyper.h"
#include "platform/PointerMonitor.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

struct xcb_connection_t;
class QSocketNotifier;

// Typing through the XTest extension. Each character's keysym is put on a
// spare keycode while it is pressed, then the keycodes' old mappings come
// back, so any Unicode text types the same under every keyboard layout.
// Blocks for about 0.1 s per chunk of distinct characters (applications need
// that long to take in a changed keyboard map).
// Opens its own display connection on first use; safe from any thread.
class XcbKeyboardTyper final : public KeyboardTyper {
public:
    ~XcbKeyboardTyper() override;
    bool type(const QString& text) override;

private:
    bool connect();
    // Gives the borrowed keycodes their own mappings back.
    void giveBack();

    std::mutex lock;
    xcb_connection_t* connection = nullptr;
    // Keycodes still carrying the last text's characters, with what they had
    // before. They are given back at the next typing (or at the end): an
    // application may still be reading the last keys, and a map changed
    // under it would turn them into nothing.
    std::vector<std::pair<uint8_t, std::vector<uint32_t>>> borrowed;
    unsigned int root = 0;
    bool failed = false;
};

// The pointer's position, and scroll-wheel steps anywhere on the desktop from
// XInput 2 raw button events on the root window (they reach us whichever
// window is under the pointer, without grabbing anything).
class XcbPointerMonitor final : public PointerMonitor {
public:
    XcbPointerMonitor();
    ~XcbPointerMonitor() override;

    std::optional<QPoint> position() override;
    bool startWheelMonitor(std::function<void()> onWheel) override;
    void stopWheelMonitor() override;

private:
    void drain();

    std::mutex lock; // position() may be asked from any thread
    xcb_connection_t* queryConnection = nullptr;
    unsigned int queryRoot = 0;

    // GUI thread only.
    xcb_connection_t* wheelConnection = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> handler;
    uint8_t xinputOpcode = 0;
};
