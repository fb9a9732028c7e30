#include "capture/ScheduledTask.h"

#include "platform/Scheduler.h"

ScheduledTask::ScheduledTask(Scheduler& scheduler, QObject* owner)
    : scheduler(scheduler), owner(owner) {}

void ScheduledTask::start(int msecs, std::function<void()> action) {
    const quint64 run = ++generation;
    pending = true;
    // The owner is the context: the run dies with it, so this pointer is
    // valid whenever the lambda runs.
    scheduler.singleShot(msecs, owner, [this, run, action = std::move(action)] {
        if (run != generation)
            return;
        pending = false;
        action();
    });
}

void ScheduledTask::cancel() {
    ++generation;
    pending = false;
}
