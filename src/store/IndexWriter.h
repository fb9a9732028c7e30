#pragma once

#include "common/SerialQueue.h"
#include "store/IndexEncoder.h"
#include "store/Item.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

// Writes the index file in the background so a change never waits for a
// whole-library encode and disk flush on the main thread. Writes coalesce:
// when several snapshots arrive while one is being written, only the latest
// is written next. Every write is atomic and durable.
//
// With a journal, every change is already safe before its index write, so
// writes start at least journaledSpacing apart: under a burst of changes a
// large library is encoded a few times a second rather than back to back.
// flush() (and so quitting) does not wait for the spacing.
//
// A snapshot shares its data with the caller's list (Qt's implicit sharing),
// and Qt decides whether a list or string may be changed in place by reading
// its reference count without ordering. Were the writer thread to drop the
// last other reference, the caller could write into memory the writer had
// just read with nothing ordering the two. So the writer only reads a
// snapshot: every reference is taken and dropped on the calling thread, which
// takes written snapshots back under the lock (on its next write or flush).
class IndexJournal;

class IndexWriter {
public:
    // Once an index is on disk, the journal's entries it holds are dropped.
    explicit IndexWriter(QString path, IndexJournal* journal = nullptr);
    static constexpr std::chrono::milliseconds journaledSpacing{400};
    ~IndexWriter(); // finishes the pending write

    // Queues a write of items (a cheap implicitly shared copy). The stored
    // files at obsoletePaths are deleted once an index without them is on
    // disk: deleting first would leave the old index naming files that are
    // gone whenever the write fails. A failed write keeps them for the next.
    // journalMark is the journal's mark taken with the items.
    void write(QList<Item> items, QStringList obsoletePaths = {}, qint64 journalMark = 0);

    // Blocks until everything queued so far is on disk. True when the last
    // write succeeded.
    bool flush();

private:
    void writePending();
    // Drops, on the calling thread, the snapshots the writer is done with.
    void releaseWritten();

    QString path;
    std::mutex lock;
    std::condition_variable hurried; // flush() wants the pending write now
    bool hurry = false;
    std::chrono::steady_clock::time_point lastWriteEnd;
    IndexJournal* journal;
    std::optional<QList<Item>> pending;
    qint64 pendingMark = 0;
    QList<QList<Item>> written; // read by the writer, to be dropped by the caller
    QStringList obsolete;       // deleted after the next successful write
    bool lastWriteSucceeded = true;
    IndexEncoder encoder; // used on the queue's thread only
    SerialQueue queue{QStringLiteral("lumavex.persist")};
};
