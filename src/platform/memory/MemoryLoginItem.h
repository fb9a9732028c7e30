#pragma once

#include "platform/LoginItem.h"

// A login item in memory; failing makes registration do nothing, as a
// refused registration would.
class MemoryLoginItem final : public LoginItem {
public:
    bool isEnabled() const override { return enabled; }
    void registerItem() override {
        ++registrations;
        if (!failing)
            enabled = true;
    }
    void unregisterItem() override { enabled = false; }

    bool enabled = false;
    bool failing = false;
    int registrations = 0;
};
