#pragma once

#include "platform/Platform.h"
#include "platform/linux/JsonUserDefaults.h"
#include "platform/linux/ProcessEnvironment.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/X11FrontmostApplication.h"

// The desktop services of a Linux (X11) session.
class LinuxPlatform final : public Platform {
public:
    Clock& clock() override { return systemClock; }
    Environment& environment() override { return processEnvironment; }
    Scheduler& scheduler() override { return qtScheduler; }
    UserDefaults& userDefaults() override { return jsonUserDefaults; }
    Pasteboard& pasteboard() override { return qtPasteboard; }
    FrontmostApplication& frontmostApplication() override { return x11Frontmost; }

private:
    SystemClock systemClock;
    ProcessEnvironment processEnvironment;
    QtScheduler qtScheduler;
    JsonUserDefaults jsonUserDefaults{JsonUserDefaults::defaultPath()};
    QtPasteboard qtPasteboard;
    X11FrontmostApplication x11Frontmost{
        DesktopEntryIndex::applicationDirectories(processEnvironment)};
};
