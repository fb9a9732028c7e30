#pragma once

#include "platform/Scheduler.h"

// Timers of the Qt event loop.
class QtScheduler final : public Scheduler {
public:
    void singleShot(int msecs, QObject* context, std::function<void()> action) override;
};
