#pragma once

#include <QDateTime>

// The current time. Behind an interface so tests can set the clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};
