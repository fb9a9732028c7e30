#include "store/DataFolderLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
    QDeadlineTimer deadline(timeoutMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            if (error)
                *error = u"cannot lock "_s + folder + u": "_s +
                         QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return lock;
        }
        if (deadline.hasExpired()) {
            if (error)
                *error = u"another Tovik process is writing "_s + folder +
                         u"; try again when it has finished"_s;
            ::close(fd);
            return lock;
        }
        QThread::msleep(50);
    }
    lock.fd = fd;
    return lock;
}
