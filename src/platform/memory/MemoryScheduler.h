#pragma once

#include "platform/Scheduler.h"

#include <QPointer>
#include <vector>

// A scheduler whose time moves only when the test advances it.
class MemoryScheduler final : public Scheduler {
public:
    void singleShot(int msecs, QObject* context, std::function<void()> action) override;

    // Moves time forward by msecs, running every action that falls due on the
    // way in time order (actions due at the same moment in the order they were
    // scheduled), including actions scheduled meanwhile.
    void advance(qint64 msecs);

    // Milliseconds advanced since creation.
    qint64 elapsed() const { return now; }

    // Actions waiting to run (their context may since have been destroyed).
    int pendingCount() const { return int(pending.size()); }

private:
    struct Pending {
        qint64 due = 0;
        quint64 order = 0;
        QPointer<QObject> context;
        std::function<void()> action;
    };
    std::vector<Pending> pending;
    qint64 now = 0;
    quint64 nextOrder = 0;
};
