#include "store/IndexJournal.h"

#include "common/AtomicFile.h"
#include "common/SetAside.h"
#include "store/IndexFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Journals beyond this are not read: an index write empties the journal
// within a second, so only something gone wrong makes one this large.
constexpr qint64 kMaxReplayBytes = qint64(1) << 30;

bool syncData(QFile& file) {
    return file.flush() && ::fdatasync(file.handle()) == 0;
}

} // namespace

QString IndexJournal::pathFor(const QString& indexPath) {
    QString path = indexPath;
    if (path.endsWith(u".json"_s))
        path.chop(5);
    return path + u".journal"_s;
}

IndexJournal::IndexJournal(QString journalPath) : path(std::move(journalPath)), file(path) {
    if (!file.open(QIODevice::ReadWrite))
        return;
    const QByteArray bytes = file.readAll();
    // Everything up to the last line feed was replayed; a tail after it is
    // the torn line of an append that never finished.
    length = bytes.lastIndexOf('\n') + 1;
    if (length != bytes.size()) {
        file.resize(length);
        syncData(file);
    }
    file.seek(length);
}

bool IndexJournal::append(const QList<Item>& put, const QList<QUuid>& removed) {
    QByteArray lines;
    for (const Item& item : put) {
        lines +=
            QJsonDocument(QJsonObject{{u"put"_s, item.toJson()}}).toJson(QJsonDocument::Compact);
        lines += '\n';
    }
    for (const QUuid& id : removed) {
        lines +=
            QJsonDocument(QJsonObject{{u"remove"_s, idString(id)}}).toJson(QJsonDocument::Compact);
        lines += '\n';
    }
    std::lock_guard guard(lock);
    if (!file.isOpen())
        return false;
    if (file.write(lines) != lines.size() || !syncData(file)) {
        // Whatever part went in is cut off again, so the next entry starts
        // on a line of its own.
        file.resize(length);
        file.seek(length);
        return false;
    }
    length += lines.size();
    return true;
}

qint64 IndexJournal::mark() const {
    std::lock_guard guard(lock);
    return dropped + length;
}

void IndexJournal::dropThrough(qint64 written) {
    std::lock_guard guard(lock);
    // Marks count every byte ever appended, so a mark handed out before
    // earlier entries were dropped still ends where it did.
    const qint64 through = written - dropped;
    if (!file.isOpen() || through <= 0)
        return;
    if (through >= length) {
        if (file.resize(0) && syncData(file)) {
            dropped += length;
            length = 0;
            file.seek(0);
        }
        return;
    }
    // Entries came in after the index was taken: keep just those.
    file.seek(through);
    const QByteArray rest = file.read(length - through);
    file.close();
    if (AtomicFile::write(path, rest)) {
        dropped += through;
        length = rest.size();
    }
    file.setFileName(path);
    if (file.open(QIODevice::ReadWrite))
        file.seek(length);
}

IndexJournal::Replay IndexJournal::replay(const QString& path, QList<Item>& items, bool setAside) {
    Replay result;
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return result;
    if (file.size() > kMaxReplayBytes) {
        result.damaged = true;
    } else {
        const QByteArray bytes = file.readAll();
        const QList<QByteArray> lines = bytes.split('\n');
        // The last piece follows the last line feed: empty, or a torn line.
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QJsonObject entry = QJsonDocument::fromJson(lines[i]).object();
            if (const QJsonValue put = entry.value(u"put"_s); put.isObject()) {
                if (std::optional<Item> item = Item::fromJson(put.toObject())) {
                    qsizetype at = 0;
                    while (at < items.size() && items[at].id != item->id)
                        ++at;
                    if (at < items.size())
                        items[at] = std::move(*item);
                    else
                        items.append(std::move(*item));
                    ++result.applied;
                    continue;
                }
            } else if (const QUuid id = QUuid::fromString(entry.value(u"remove"_s).toString());
                       !id.isNull()) {
                items.removeIf([&id](const Item& item) { return item.id == id; });
                ++result.applied;
                continue;
            }
            result.damaged = true;
        }
    }
    if (result.applied > 0)
        IndexFile::sortNewestFirst(items);
    if (result.damaged && setAside) {
        result.setAsidePath = SetAside::copy(path, QDateTime::currentDateTimeUtc());
    }
    return result;
}
