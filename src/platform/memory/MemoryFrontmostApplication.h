#pragma once

#include "platform/FrontmostApplication.h"

// The frontmost application is whatever the test says it is.
class MemoryFrontmostApplication final : public FrontmostApplication {
public:
    std::optional<QString> displayName() override { return name; }

    std::optional<QString> name;
};
