#include "store/IndexFile.h"

#include "common/SetAside.h"
#include "store/IndexDecoding.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace IndexFile {

std::optional<QList<Item>> decode(const QByteArray& bytes) {
    if (std::optional<QList<Item>> items = IndexDecoding::fast(bytes))
        return items;
    return IndexDecoding::withQt(bytes);
}

QByteArray encode(const QList<Item>& items) {
    QJsonArray array;
    for (const Item& item : items)
        array.append(item.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

void sortNewestFirst(QList<Item>& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.savedAt > b.savedAt; });
}

namespace {

// The bytes of the regular file at path, at most maxBytes of them; absent for
// anything else. A FIFO would block the open, a device (a link to /dev/zero)
// would be read without end: both count as unreadable.
std::optional<QByteArray> readRegularFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    // An index is replaced by renaming, never grown in place: its size is
    // known. One byte more shows a file that grew all the same; the slack
    // after it lets the decoder parse the bytes where they are.
    const qint64 wanted = qint64(info.st_size) + 1;
    QByteArray bytes(qsizetype(wanted) + IndexDecoding::padding(), Qt::Uninitialized);
    const qint64 got = file.read(bytes.data(), wanted);
    if (got < 0 || got > maxBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    bytes.resize(qsizetype(got)); // keeps the capacity
    return bytes;
}

} // namespace

Identity identity(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
            qint64(info.st_size)};
}

ReadResult read(const QString& path, const QDateTime& now, bool setAside) {
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return result;

    std::optional<QList<Item>> items;
    if (const std::optional<QByteArray> bytes = readRegularFile(path))
        items = decode(*bytes);
    if (items) {
        sortNewestFirst(*items);
        result.items = std::move(*items);
        return result;
    }

    if (!setAside) {
        result.blocked = true;
        return result;
    }
    result.setAsidePath = SetAside::move(path, now);
    result.blocked = !result.setAsidePath;
    return result;
}

} // namespace IndexFile
