#include "network/PeopleFile.h"

#include "common/SetAside.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace PeopleFile {

std::optional<QList<Person>> decode(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    QList<Person> people;
    people.reserve(array.size());
    for (const QJsonValue& value : array) {
        if (!value.isObject())
            return std::nullopt;
        std::optional<Person> person = Person::fromJson(value.toObject());
        if (!person)
            return std::nullopt;
        people.append(std::move(*person));
    }
    return people;
}

QByteArray encode(const QList<Person>& people) {
    QJsonArray array;
    for (const Person& person : people)
        array.append(person.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

namespace {

// The bytes of the regular file at path; absent for anything else. A FIFO
// would block the open and a device could be read without end.
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
    QByteArray bytes = file.read(qint64(info.st_size) + 1);
    if (bytes.size() > maxBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

ReadResult read(const QString& path, const QDateTime& now, bool setAside) {
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return result;
    std::optional<QList<Person>> people;
    if (const std::optional<QByteArray> bytes = readRegularFile(path))
        people = decode(*bytes);
    if (people) {
        result.people = std::move(*people);
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

} // namespace PeopleFile
