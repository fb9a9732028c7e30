#pragma once

#include "store/Item.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QUuid>
#include <mutex>
#include <optional>

// The changes made since "items.json" was last written, one JSON line each
// ({"put": item} or {"remove": id}) in "items.journal" beside it. Appending
// a few hundred bytes and flushing one small file makes a change safe at
// once, while the whole index, megabytes at a large library, is rewritten in
// the background. The journal is replayed over the index when the store
// opens, and emptied once an index holding its entries is on disk.
//
// Threads: append and mark on the store's thread, dropThrough on the index
// writer's; one lock orders them.
class IndexJournal {
public:
    // Opens the journal of the writing store. A torn last line (a crash while
    // appending) is cut off: it was never acknowledged.
    explicit IndexJournal(QString path);

    static QString pathFor(const QString& indexPath);

    // Appends the items as they now are and the removed ids, durably. False
    // when that could not be done: the change is then safe only once the
    // index itself is written.
    bool append(const QList<Item>& put, const QList<QUuid>& removed);

    // The end of the entries appended so far: an index written from the
    // store's items now holds every entry before it.
    qint64 mark() const;

    // An index holding every entry before mark is on disk: drops them,
    // keeping any appended since.
    void dropThrough(qint64 mark);

    struct Replay {
        int applied = 0;
        // A line other than a torn last one could not be read; it was
        // copied to setAsidePath (when the journal may be moved) and skipped.
        bool damaged = false;
        std::optional<QString> setAsidePath;
    };
    // Applies the journal at path to items (kept newest first). With setAside
    // a damaged journal is first copied aside, as an unreadable index is.
    static Replay replay(const QString& path, QList<Item>& items, bool setAside);

private:
    QString path;
    mutable std::mutex lock;
    QFile file;
    qint64 length = 0;  // bytes of whole entries in the file
    qint64 dropped = 0; // bytes dropped from its front since it was opened
};
