#include "store/FileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Written against POSIX rather than QFile::copy and QDirIterator: those open a
// FIFO for reading (which blocks until a writer comes), follow links inside
// folders, and report a folder they could not list as empty.
namespace FileCopy {

namespace {

QString systemError(const QString& what, const QString& path) {
    return what + u' ' + path + u": "_s + QString::fromLocal8Bit(std::strerror(errno));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd; }

private:
    int fd;
};

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        size -= size_t(written);
    }
    return true;
}

std::optional<QString> copyRegularFile(const QString& source, const QString& target,
                                       bool followLink) {
    const QByteArray from = QFile::encodeName(source);
    // O_NONBLOCK: a FIFO swapped in after the type check must not block the open.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW);
    Descriptor in(::open(from.constData(), flags));
    if (in.get() < 0)
        return systemError(u"cannot read"_s, source);
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        return systemError(u"cannot read"_s, source);
    if (!S_ISREG(info.st_mode))
        return source + u" is not a regular file"_s;
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

    const QByteArray to = QFile::encodeName(target);
    Descriptor out(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          (info.st_mode & 07777) | S_IRUSR | S_IWUSR));
    if (out.get() < 0)
        return systemError(u"cannot write"_s, target);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return systemError(u"cannot read"_s, source);
        }
        if (got == 0)
            break;
        if (!writeAll(out.get(), buffer, size_t(got)))
            return systemError(u"cannot write"_s, target);
    }
    // The index will name this copy; it must be on disk before the index is.
    if (::fsync(out.get()) != 0)
        return systemError(u"cannot write"_s, target);
    return std::nullopt;
}

std::optional<QString> copyLink(const QString& source, const QString& target) {
    const QByteArray from = QFile::encodeName(source);
    QByteArray linkTarget(PATH_MAX, '\0');
    const ssize_t length = ::readlink(from.constData(), linkTarget.data(), linkTarget.size());
    if (length < 0 || length >= linkTarget.size())
        return systemError(u"cannot read the link"_s, source);
    linkTarget.truncate(length);
    if (::symlink(linkTarget.constData(), QFile::encodeName(target).constData()) != 0)
        return systemError(u"cannot write"_s, target);
    return std::nullopt;
}

std::optional<QString> copyEntry(const QString& source, const QString& target, bool topLevel);

std::optional<QString> copyFolder(const QString& source, const QString& target) {
    DIR* folder = ::opendir(QFile::encodeName(source).constData());
    if (!folder)
        return systemError(u"cannot list the folder"_s, source);
    struct stat info {};
    ::fstat(::dirfd(folder), &info);
    if (::mkdir(QFile::encodeName(target).constData(), (info.st_mode & 07777) | S_IRWXU) != 0) {
        const QString error = systemError(u"cannot write"_s, target);
        ::closedir(folder);
        return error;
    }
    std::optional<QString> failure;
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QString child = QFile::decodeName(name);
        failure = copyEntry(source + u'/' + child, target + u'/' + child, false);
        if (failure)
            break;
        errno = 0;
    }
    if (!failure && errno != 0)
        failure = systemError(u"cannot list the folder"_s, source);
    ::closedir(folder);
    return failure;
}

std::optional<QString> copyEntry(const QString& source, const QString& target, bool topLevel) {
    struct stat info {};
    const QByteArray path = QFile::encodeName(source);
    if ((topLevel ? ::stat(path.constData(), &info) : ::lstat(path.constData(), &info)) != 0)
        return systemError(u"cannot read"_s, source);
    if (S_ISLNK(info.st_mode))
        return copyLink(source, target);
    if (S_ISDIR(info.st_mode))
        return copyFolder(source, target);
    if (S_ISREG(info.st_mode))
        return copyRegularFile(source, target, topLevel);
    if (topLevel)
        return source + u" is not a regular file or folder"_s;
    return std::nullopt; // a FIFO, socket or device inside a folder: passed over
}

} // namespace

std::optional<QString> copy(const QString& source, const QString& target) {
    struct stat existing {};
    if (::lstat(QFile::encodeName(target).constData(), &existing) == 0)
        return target + u" already exists"_s;
    std::optional<QString> failure = copyEntry(source, target, true);
    if (failure)
        remove(target); // no half copies left behind
    return failure;
}

void remove(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

} // namespace FileCopy
