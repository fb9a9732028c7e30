#include "store/DataFolderLock.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

DataFolderLock::~DataFolderLock() {
    if (fd >= 0)
        ::close(fd); // closing releases the lock
}

DataFolderLock::DataFolderLock(DataFolderLock&& other) noexcept : fd(other.fd) {
    other.fd = -1;
}

DataFolderLock& DataFolderLock::operator=(DataFolderLock&& other) noexcept {
    if (this != &other) {
        if (fd >= 0)
            ::close(fd);
        fd = other.fd;
        other.fd = -1;
    }
    return *this;
}

namespace {

void interruptOnly(int) {}

// The signal that cuts a blocking flock() short once its time is up. Its
// handler does nothing and is installed without SA_RESTART, so the
// interrupted call returns EINTR and the wait can look at the clock.
int wakeSignal() {
    static const int number = [] {
        const int signal = SIGRTMIN + 4;
        struct sigaction action {};
        action.sa_handler = interruptOnly;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        ::sigaction(signal, &action, nullptr);
        return signal;
    }();
    return number;
}

// A timer that sends wakeSignal() to the calling thread every tick while it
// lives, so a flock() that starts blocking just after a tick is still woken.
class WakeTimer {
public:
    explicit WakeTimer(std::chrono::milliseconds tick) {
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = wakeSignal();
        event._sigev_un._tid = ::gettid();
        if (::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0)
            return;
        armed = true;
        itimerspec spec{};
        spec.it_value.tv_nsec = long(tick.count()) * 1'000'000L;
        spec.it_interval = spec.it_value;
        ::timer_settime(timer, 0, &spec, nullptr);
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, wakeSignal());
        ::pthread_sigmask(SIG_UNBLOCK, &set, &previousMask);
    }
    ~WakeTimer() {
        if (!armed)
            return;
        ::timer_delete(timer);
        ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    }
    WakeTimer(const WakeTimer&) = delete;
    WakeTimer& operator=(const WakeTimer&) = delete;
    bool running() const { return armed; }

private:
    timer_t timer{};
    sigset_t previousMask{};
    bool armed = false;
};

// Each holder writes who it is and when it took the lock into the lock file,
// so a waiter can tell a lock that keeps changing hands from a stuck one.
QByteArray holderOf(int fd) {
    char bytes[64];
    const ssize_t got = ::pread(fd, bytes, sizeof bytes, 0);
    return got > 0 ? QByteArray(bytes, got) : QByteArray();
}

void markHolder(int fd) {
    const QByteArray mark = QByteArray::number(::getpid()) + ' ' +
                            QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + '\n';
    if (::ftruncate(fd, 0) == 0) [[maybe_unused]]
        const ssize_t written = ::pwrite(fd, mark.constData(), mark.size(), 0);
}

} // namespace

DataFolderLock DataFolderLock::acquire(const QString& folder, int timeoutMs, QString* error) {
    DataFolderLock lock;
    const QByteArray path = QFile::encodeName(folder + u"/.lock"_s);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error)
            *error = u"cannot open the lock file in "_s + folder + u": "_s +
                     QString::fromLocal8Bit(std::strerror(errno));
        return lock;
    }
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        ::close(fd);
        return DataFolderLock();
    };
    const QString busy =
        u"another Tovik process is writing "_s + folder + u"; try again when it has finished"_s;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        markHolder(fd);
        lock.fd = fd;
        return lock;
    }
    if (errno != EWOULDBLOCK && errno != EINTR)
        return fail(u"cannot lock "_s + folder + u": "_s +
                    QString::fromLocal8Bit(std::strerror(errno)));
    if (timeoutMs <= 0)
        return fail(busy);

    // Waiting inside flock() rather than polling it: the kernel wakes a
    // blocked waiter the moment the lock is let go, where a poller that
    // sleeps between tries loses to every other process that happens to be
    // awake. Even so the kernel picks among waiters at random, so in a long
    // burst of commands one may lose many times in a row: the time limit
    // only runs while the same holder keeps the lock, and starts again
    // whenever it changes hands.
    QDeadlineTimer deadline(timeoutMs);
    QByteArray holder = holderOf(fd);
    const WakeTimer wake(std::chrono::milliseconds(100));
    while (::flock(fd, LOCK_EX | (wake.running() ? 0 : LOCK_NB)) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return fail(u"cannot lock "_s + folder + u": "_s +
                        QString::fromLocal8Bit(std::strerror(errno)));
        if (const QByteArray now = holderOf(fd); now != holder) {
            holder = now;
            deadline.setRemainingTime(timeoutMs);
        }
        if (deadline.hasExpired())
            return fail(busy);
        if (!wake.running())
            QThread::msleep(50); // no timer to cut a blocking wait short: poll
    }
    markHolder(fd);
    lock.fd = fd;
    return lock;
}
