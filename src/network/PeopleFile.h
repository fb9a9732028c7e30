#pragma once

#include "network/Person.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// "people.json": one compact JSON array of every person, in the order of the
// map's list.
namespace PeopleFile {

// A people file larger than this is not read (far beyond any real network):
// it is set aside like any other unreadable file rather than exhaust memory.
inline constexpr qint64 maxBytes = 64LL * 1024 * 1024;

struct ReadResult {
    QList<Person> people;                // empty when nothing was readable
    std::optional<QString> setAsidePath; // where an unreadable file was moved
    bool blocked = false;                // unreadable and not moved: do not write over it
};

// Reads the file at path. A missing file gives no people. A file that cannot
// be read or decoded (bad JSON, one person lacking a required key, not a
// regular file, too large) also gives none, but is first renamed to
// path + ".unreadable-<time>", so that the next change cannot destroy the
// people it held. With setAside false (read-only use) it stays where it is.
ReadResult read(const QString& path, const QDateTime& now, bool setAside = true);

// The people, or absent when the bytes are not an array of readable persons.
std::optional<QList<Person>> decode(const QByteArray& bytes);

QByteArray encode(const QList<Person>& people);

} // namespace PeopleFile
