#include "common/MappedFile.h"

#include <QFile>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

struct MappedFile::Area {
    void* start = MAP_FAILED;
    size_t length = 0;
    ~Area() {
        if (start != MAP_FAILED)
            ::munmap(start, length);
    }
};

const char* MappedFile::data() const {
    return static_cast<const char*>(area->start);
}

std::optional<MappedFile> MappedFile::open(const QString& path, qint64 maxBytes, qsizetype slack) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    const auto page = size_t(::sysconf(_SC_PAGESIZE));
    const auto fileBytes = size_t(info.st_size);
    auto area = std::make_shared<Area>();
    // Anonymous pages (zeros) first, then the file over their start: the
    // slack past the file's last page reads as zeros too, where a mapping of
    // the file alone would end in a fault.
    area->length = (fileBytes + size_t(slack) + page - 1) / page * page;
    area->start = ::mmap(nullptr, area->length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area->start == MAP_FAILED) {
        ::close(fd);
        return std::nullopt;
    }
    if (fileBytes > 0 &&
        ::mmap(area->start, fileBytes, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0) == MAP_FAILED) {
        ::close(fd);
        return std::nullopt;
    }
    ::close(fd); // the mapping keeps the file
    return MappedFile(std::move(area), qsizetype(fileBytes));
}
