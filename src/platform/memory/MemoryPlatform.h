#pragma once

#include "platform/Platform.h"
#include "platform/memory/MemoryAppearance.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryGlobalHotKey.h"
#include "platform/memory/MemoryLoginItem.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryScheduler.h"
#include "platform/memory/MemoryUserDefaults.h"

// All platform services as in-memory doubles, for unit tests.
class MemoryPlatform final : public Platform {
public:
    Clock& clock() override { return memoryClock; }
    Environment& environment() override { return memoryEnvironment; }
    Scheduler& scheduler() override { return memoryScheduler; }
    UserDefaults& userDefaults() override { return memoryUserDefaults; }
    Appearance& appearance() override { return memoryAppearance; }
    LoginItem& loginItem() override { return memoryLoginItem; }
    GlobalHotKey& globalHotKey() override { return memoryGlobalHotKey; }

    MemoryClock memoryClock;
    MemoryEnvironment memoryEnvironment;
    MemoryScheduler memoryScheduler;
    MemoryUserDefaults memoryUserDefaults;
    MemoryAppearance memoryAppearance;
    MemoryLoginItem memoryLoginItem;
    MemoryGlobalHotKey memoryGlobalHotKey;
};
