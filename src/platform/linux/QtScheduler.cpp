#include "platform/linux/QtScheduler.h"

#include <QTimer>

void QtScheduler::singleShot(int msecs, QObject* context, std::function<void()> action) {
    QTimer::singleShot(msecs, context, std::move(action));
}
