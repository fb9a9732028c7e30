#include "common/ReferenceDate.h"

#include <QTimeZone>
#include <cmath>

namespace ReferenceDate {

namespace {
// 2001-01-01T00:00:00Z in milliseconds since 1970.
constexpr qint64 epochMsecsSinceUnix = 978307200000;
} // namespace

QDateTime epoch() {
    return QDateTime::fromMSecsSinceEpoch(epochMsecsSinceUnix, Qt::UTC);
}

double secondsFrom(const QDateTime& time) {
    return double(time.toMSecsSinceEpoch() - epochMsecsSinceUnix) / 1000.0;
}

QDateTime toDateTime(double seconds) {
    return QDateTime::fromMSecsSinceEpoch(
        epochMsecsSinceUnix + qint64(std::llround(seconds * 1000.0)), Qt::UTC);
}

} // namespace ReferenceDate
