#include "platform/memory/MemoryScheduler.h"

#include <algorithm>

void MemoryScheduler::singleShot(int msecs, QObject* context, std::function<void()> action) {
    pending.push_back({now + std::max(0, msecs), nextOrder++, context, std::move(action)});
}

void MemoryScheduler::advance(qint64 msecs) {
    const qint64 target = now + std::max<qint64>(0, msecs);
    while (true) {
        auto next =
            std::min_element(pending.begin(), pending.end(), [](const auto& a, const auto& b) {
                return a.due != b.due ? a.due < b.due : a.order < b.order;
            });
        if (next == pending.end() || next->due > target)
            break;
        Pending due = std::move(*next);
        pending.erase(next);
        now = due.due;
        // A destroyed context cancels its actions, as with Qt's timers.
        if (due.context)
            due.action();
    }
    now = target;
}
