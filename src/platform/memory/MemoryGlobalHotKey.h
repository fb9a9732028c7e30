#pragma once

#include "platform/GlobalHotKey.h"

// A hot key the test presses by calling press().
class MemoryGlobalHotKey final : public GlobalHotKey {
public:
    bool registerAltSpace(std::function<void()> pressed) override {
        onPressed = std::move(pressed);
        return !refuse;
    }
    void press() {
        if (onPressed)
            onPressed();
    }
    bool refuse = false;
    std::function<void()> onPressed;
};
