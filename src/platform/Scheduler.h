#pragma once

#include <QObject>
#include <functional>

// Runs work later on the interface thread. Behind an interface so tests drive
// time forward instead of sleeping.
class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Runs action once, after msecs, on context's thread. context must not be
    // null; nothing runs when it is destroyed first.
    virtual void singleShot(int msecs, QObject* context, std::function<void()> action) = 0;
};
