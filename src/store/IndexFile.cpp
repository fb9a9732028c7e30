#include "store/IndexFile.h"

#include "common/MappedFile.h"
#include "common/SetAside.h"
#include "store/IndexDecoding.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace IndexFile {

std::optional<QList<Item>> decode(const QByteArray& bytes) {
    if (std::optional<QList<Item>> items = IndexDecoding::fast(bytes))
        return items;
    return IndexDecoding::withQt(bytes);
}

QByteArray encode(const QList<Item>& items) {
    QJsonArray array;
    for (const Item& item : items)
        array.append(item.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

void sortNewestFirst(QList<Item>& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.savedAt > b.savedAt; });
}

Identity identity(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
            qint64(info.st_size)};
}

ReadResult read(const QString& path, const QDateTime& now, bool setAside) {
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return result;

    std::optional<QList<Item>> items;
    if (const std::optional<MappedFile> file =
            MappedFile::open(path, maxBytes, IndexDecoding::padding())) {
        items = IndexDecoding::fast(file->data(), file->size());
        if (!items)
            items = IndexDecoding::withQt(file->bytes());
    }
    if (items) {
        sortNewestFirst(*items);
        result.items = std::move(*items);
        return result;
    }

    if (!setAside) {
        result.blocked = true;
        return result;
    }
    result.setAsidePath = SetAside::move(path, now);
    result.blocked = !result.setAsidePath;
    return result;
}

} // namespace IndexFile
