// Under ThreadSanitizer only: Qt's thread pool (which QImage uses to convert
// and scale large pictures in slices) moves work between its own threads
// under a lock inside QtCore that the sanitizer cannot see, in functions
// Debian's Qt ships without symbols, so no suppression can name them. With
// one pool thread, no two of Qt's threads share that queue; what the pool
// shares with the calling thread is suppressed by name (tests/tsan-qt.supp).
#include <QThreadPool>

#if defined(__SANITIZE_THREAD__)

namespace {

const bool onePoolThread = [] {
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    return true;
}();

} // namespace

#endif
