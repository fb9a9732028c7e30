#pragma once

#include "store/Item.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// "items.json": one compact JSON array of every item, newest first.
namespace IndexFile {

// An index larger than this is not read (about 150,000 items of 2.5 KB): it
// is set aside like any other unreadable index rather than exhaust memory.
inline constexpr qint64 maxBytes = 512LL * 1024 * 1024;

struct ReadResult {
    QList<Item> items;                   // sorted newest first; empty when nothing was readable
    std::optional<QString> setAsidePath; // where an unreadable index was moved
    bool blocked = false;                // unreadable and could not be moved: do not write over it
};

// Reads the index at path. A missing file gives no items. A file that cannot
// be read or decoded (bad JSON, one unreadable item, not a regular file,
// larger than maxBytes) also gives no items, but
// is first renamed to path + ".unreadable-<time>" so that the next write
// cannot destroy what it held.
// With setAside false (read-only use) the file is left where it is.
ReadResult read(const QString& path, const QDateTime& now, bool setAside = true);

// Which file stands at a path, and as of when: a write replaces the index
// with a new file, so a different identity means it was written meanwhile.
// Equal for two missing files.
struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 modifiedNs = 0;
    qint64 size = -1;
    bool operator==(const Identity&) const = default;
};
Identity identity(const QString& path);

// The items, or absent when the bytes are not an array of readable items.
std::optional<QList<Item>> decode(const QByteArray& bytes);

QByteArray encode(const QList<Item>& items);

// Latest savedAt first; items with equal times keep their order in the file.
void sortNewestFirst(QList<Item>& items);

} // namespace IndexFile
