#pragma once

#include "platform/Platform.h"
#include "platform/linux/JsonUserDefaults.h"
#include "platform/linux/ProcessEnvironment.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/SystemClock.h"

// The desktop services of a Linux (X11) session.
class LinuxPlatform final : public Platform {
public:
    Clock& clock() override { return systemClock; }
    Environment& environment() override { return processEnvironment; }
    Scheduler& scheduler() override { return qtScheduler; }
    UserDefaults& userDefaults() override { return jsonUserDefaults; }

private:
    SystemClock systemClock;
    ProcessEnvironment processEnvironment;
    QtScheduler qtScheduler;
    JsonUserDefaults jsonUserDefaults{JsonUserDefaults::defaultPath()};
};
