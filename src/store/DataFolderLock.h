#pragma once

#include <QString>

// Makes one process at a time the writer of a data folder. The lock is an
// advisory lock on a file in the folder, held for the life of this object;
// the kernel drops it when the process ends however it ends, so a crash never
// leaves a stale lock behind.
class DataFolderLock {
public:
    DataFolderLock() = default;
    ~DataFolderLock();
    DataFolderLock(DataFolderLock&& other) noexcept;
    DataFolderLock& operator=(DataFolderLock&& other) noexcept;
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    // Takes the lock of folder, waiting for another writer to let go (0: only
    // if it is free now). It gives up when one holder has kept the lock for
    // timeoutMs; while the lock keeps changing hands (a burst of writers) it
    // waits its turn. On failure the answer is not locked() and error says why.
    static DataFolderLock acquire(const QString& folder, int timeoutMs, QString* error = nullptr);

    bool locked() const { return fd >= 0; }

private:
    int fd = -1;
};
