#include "network/PeopleFile.h"

#include "common/MappedFile.h"
#include "common/SetAside.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

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

ReadResult read(const QString& path, const QDateTime& now, bool setAside) {
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return result;
    std::optional<QList<Person>> people;
    // Only a regular file is read: a FIFO would block, a device could be read
    // without end. The file is replaced by renaming, so a mapping is safe.
    if (const std::optional<MappedFile> file = MappedFile::open(path, maxBytes, 0))
        people = decode(file->bytes());
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
