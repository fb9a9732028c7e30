#include "store/IndexWriter.h"

#include "common/AtomicFile.h"
#include "store/FileCopy.h"

IndexWriter::IndexWriter(QString path) : path(std::move(path)) {}

IndexWriter::~IndexWriter() {
    flush();
}

void IndexWriter::write(QList<Item> items, QStringList obsoletePaths) {
    bool startWriter = false;
    {
        std::lock_guard guard(lock);
        startWriter = !pending.has_value();
        pending = std::move(items);
        obsolete += obsoletePaths;
    }
    // A write already queued will pick up the newer snapshot.
    if (startWriter)
        queue.submit([this] { writePending(); });
}

void IndexWriter::writePending() {
    QList<Item> items;
    QStringList deletable;
    {
        std::lock_guard guard(lock);
        if (!pending)
            return;
        items = std::move(*pending);
        pending.reset();
        // Only what was asked for before this snapshot was taken: the
        // snapshot is what no longer names those files.
        deletable = obsolete;
    }
    const bool ok = AtomicFile::write(path, encoder.encode(items));
    if (ok) {
        for (const QString& file : std::as_const(deletable))
            FileCopy::remove(file);
    }
    std::lock_guard guard(lock);
    lastWriteSucceeded = ok;
    if (ok)
        obsolete.erase(obsolete.begin(), obsolete.begin() + deletable.size());
}

bool IndexWriter::flush() {
    queue.waitUntilIdle();
    std::lock_guard guard(lock);
    return lastWriteSucceeded;
}
