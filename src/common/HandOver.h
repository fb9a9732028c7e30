#pragma once

#include <QMetaObject>
#include <QObject>

#include <utility>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

// Runs `work` later on the thread of `receiver`, from any thread.
//
// Qt queues the call under its own futex-based locks, which ThreadSanitizer
// cannot see in a Qt that was not built with it. When the receiving thread
// is already awake it takes the call without the wake-up the sanitizer does
// see, and everything the sender wrote before handing over would look like
// a race. The release/acquire pair states the order Qt guarantees; it costs
// nothing outside sanitizer builds.
template <typename Work>
void handOver(QObject* receiver, Work&& work) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(receiver);
    QMetaObject::invokeMethod(
        receiver,
        [receiver, work = std::forward<Work>(work)] {
            __tsan_acquire(receiver);
            work();
        },
        Qt::QueuedConnection);
#else
    QMetaObject::invokeMethod(receiver, std::forward<Work>(work), Qt::QueuedConnection);
#endif
}
