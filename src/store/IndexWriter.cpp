#include "store/IndexWriter.h"

#include "common/AtomicFile.h"
#include "store/FileCopy.h"
#include "store/IndexJournal.h"

IndexWriter::IndexWriter(QString path, IndexJournal* journal)
    : path(std::move(path)), journal(journal) {}

IndexWriter::~IndexWriter() {
    flush();
}

void IndexWriter::releaseWritten() {
    QList<QList<Item>> done;
    {
        std::lock_guard guard(lock);
        done.swap(written);
    }
    // done goes here, on the caller's thread, after the lock ordered the
    // writer's reads before it.
}

void IndexWriter::write(QList<Item> items, QStringList obsoletePaths, qint64 journalMark) {
    releaseWritten();
    bool startWriter = false;
    std::optional<QList<Item>> superseded;
    {
        std::lock_guard guard(lock);
        startWriter = !pending.has_value();
        superseded.swap(pending);
        pending = std::move(items);
        pendingMark = journalMark;
        obsolete += obsoletePaths;
    }
    // A write already queued will pick up the newer snapshot.
    if (startWriter)
        queue.submit([this] { writePending(); });
}

void IndexWriter::writePending() {
    QList<Item> items;
    QStringList deletable;
    qint64 mark = 0;
    {
        std::unique_lock guard(lock);
        if (journal)
            hurried.wait_until(guard, lastWriteEnd + journaledSpacing, [this] { return hurry; });
        if (!pending)
            return;
        items = std::move(*pending);
        pending.reset();
        mark = pendingMark;
        // Only what was asked for before this snapshot was taken: the
        // snapshot is what no longer names those files. A list of its own,
        // not a shared copy of one the caller goes on appending to.
        deletable = QStringList(obsolete.cbegin(), obsolete.cend());
    }
    const bool ok = AtomicFile::write(path, encoder.encode(items));
    if (ok) {
        if (journal)
            journal->dropThrough(mark);
        for (const QString& file : std::as_const(deletable))
            FileCopy::remove(file);
    }
    std::lock_guard guard(lock);
    lastWriteEnd = std::chrono::steady_clock::now();
    lastWriteSucceeded = ok;
    if (ok)
        obsolete.erase(obsolete.begin(), obsolete.begin() + deletable.size());
    written.append(std::move(items));
}

bool IndexWriter::flush() {
    {
        std::lock_guard guard(lock);
        hurry = true;
    }
    hurried.notify_all();
    queue.waitUntilIdle();
    {
        // Writes come from this thread only, so none was queued meanwhile.
        std::lock_guard guard(lock);
        hurry = false;
    }
    releaseWritten();
    std::lock_guard guard(lock);
    return lastWriteSucceeded;
}
