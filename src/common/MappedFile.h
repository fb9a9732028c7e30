#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

// A regular file's bytes mapped read-only, followed by zeroed slack, for a
// parser that reads a little past the end of its input.
//
// Reading a large file into memory of its own costs a fresh page, and a
// fault, for every 4 KB; the page cache's pages are mapped as they stand.
// The one hazard of a mapping: another process cutting the file short while
// it is read kills the reader (SIGBUS). The files mapped here are replaced by
// renaming, never rewritten in place, so the inode mapped stays whole.
class MappedFile {
public:
    // Absent for anything but a regular file of at most maxBytes (a FIFO
    // would block, a device could be read without end) or when it cannot be
    // opened or mapped. slack: bytes of zeros readable after the end.
    static std::optional<MappedFile> open(const QString& path, qint64 maxBytes, qsizetype slack);

    // The bytes, valid while this mapping lives; no copy is made.
    QByteArray bytes() const { return QByteArray::fromRawData(data(), size()); }
    const char* data() const;
    qsizetype size() const { return length; }

private:
    struct Area;
    MappedFile(std::shared_ptr<const Area> area, qsizetype length)
        : area(std::move(area)), length(length) {}
    std::shared_ptr<const Area> area;
    qsizetype length = 0;
};
