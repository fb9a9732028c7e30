#pragma once

#include <QtGlobal>
#include <functional>

class QObject;
class Scheduler;

// One pending run of an action on the scheduler that a newer start or a
// cancel replaces, the way a restartable one-shot timer behaves. Nothing runs
// once the owner is destroyed; the task must be a member of its owner.
class ScheduledTask {
public:
    ScheduledTask(Scheduler& scheduler, QObject* owner);

    void start(int msecs, std::function<void()> action);
    void cancel();
    bool isPending() const { return pending; }

private:
    Scheduler& scheduler;
    QObject* owner;
    // Runs scheduled before the latest start or cancel find a newer
    // generation and do nothing.
    quint64 generation = 0;
    bool pending = false;
};
