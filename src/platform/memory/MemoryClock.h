#pragma once

#include "platform/Clock.h"

#include <QTimeZone>

// A clock that stands still until the test moves it.
class MemoryClock final : public Clock {
public:
    explicit MemoryClock(QDateTime start = QDateTime::fromSecsSinceEpoch(1767225600, Qt::UTC))
        : current(std::move(start)) {}

    QDateTime now() const override { return current; }
    void set(QDateTime time) { current = std::move(time); }
    void advance(qint64 msecs) { current = current.addMSecs(msecs); }

private:
    QDateTime current;
};
