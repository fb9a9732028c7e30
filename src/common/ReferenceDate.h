#pragma once

#include <QDateTime>

// Times in Tovik's JSON files are seconds (with fraction) since
// 2001-01-01 00:00:00 UTC, not since 1970.
namespace ReferenceDate {

// 2001-01-01 00:00:00 UTC.
QDateTime epoch();

// Seconds since the reference date for a point in time (millisecond precision).
double secondsFrom(const QDateTime& time);

// The point in time that lies seconds after the reference date.
QDateTime toDateTime(double seconds);

} // namespace ReferenceDate
