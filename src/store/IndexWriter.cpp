#include "store/IndexWriter.h"

#include "common/AtomicFile.h"
#include "store/IndexFile.h"

IndexWriter::IndexWriter(QString path) : path(std::move(path)) {}

IndexWriter::~IndexWriter() {
    flush();
}

void IndexWriter::write(QList<Item> items) {
    bool startWriter = false;
    {
        std::lock_guard guard(lock);
        startWriter = !pending.has_value();
        pending = std::move(items);
    }
    // A write already queued will pick up the newer snapshot.
    if (startWriter)
        queue.submit([this] { writePending(); });
}

void IndexWriter::writePending() {
    QList<Item> items;
    {
        std::lock_guard guard(lock);
        if (!pending)
            return;
        items = std::move(*pending);
        pending.reset();
    }
    const bool ok = AtomicFile::write(path, IndexFile::encode(items));
    std::lock_guard guard(lock);
    lastWriteSucceeded = ok;
}

bool IndexWriter::flush() {
    queue.waitUntilIdle();
    std::lock_guard guard(lock);
    return lastWriteSucceeded;
}
