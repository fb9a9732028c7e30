#pragma once

#include "platform/Platform.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"

// All platform services as in-memory doubles, for unit tests.
class MemoryPlatform final : public Platform {
public:
    Clock& clock() override { return memoryClock; }
    Environment& environment() override { return memoryEnvironment; }

    MemoryClock memoryClock;
    MemoryEnvironment memoryEnvironment;
};
