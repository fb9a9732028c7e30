#pragma once

#include <functional>

// The global Alt+Space shortcut, delivered to the main thread wherever the
// keyboard focus is.
class GlobalHotKey {
public:
    virtual ~GlobalHotKey() = default;
    // Registers the shortcut once; pressed runs on the main thread on every
    // press. False when the desktop refused it (another program holds it).
    virtual bool registerAltSpace(std::function<void()> pressed) = 0;
};
