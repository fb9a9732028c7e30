#pragma once

#include "platform/Platform.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFrontmostApplication.h"
#include "platform/memory/MemoryPasteboard.h"
#include "platform/memory/MemoryScheduler.h"
#include "platform/memory/MemoryUserDefaults.h"

// All platform services as in-memory doubles, for unit tests.
class MemoryPlatform final : public Platform {
public:
    Clock& clock() override { return memoryClock; }
    Environment& environment() override { return memoryEnvironment; }
    Scheduler& scheduler() override { return memoryScheduler; }
    UserDefaults& userDefaults() override { return memoryUserDefaults; }
    Pasteboard& pasteboard() override { return memoryPasteboard; }
    FrontmostApplication& frontmostApplication() override { return memoryFrontmost; }

    MemoryClock memoryClock;
    MemoryEnvironment memoryEnvironment;
    MemoryScheduler memoryScheduler;
    MemoryUserDefaults memoryUserDefaults;
    MemoryPasteboard memoryPasteboard;
    MemoryFrontmostApplication memoryFrontmost;
};
