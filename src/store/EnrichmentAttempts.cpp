#include "store/EnrichmentAttempts.h"

#include "common/AtomicFile.h"
#include "store/Item.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// A record larger than this is not ours to read; it is started afresh.
constexpr qint64 maxRecordBytes = 64 * 1024 * 1024;
} // namespace

EnrichmentAttempts::EnrichmentAttempts(QString path) : path(std::move(path)) {}

void EnrichmentAttempts::load() const {
    if (loaded)
        return;
    loaded = true;
    if (path.isEmpty())
        return;
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxRecordBytes || !file.open(QIODevice::ReadOnly))
        return;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QUuid id = QUuid::fromString(it.key());
        if (!id.isNull() && it.value().isDouble())
            lastTried.insert(id, it.value().toDouble());
    }
}

bool EnrichmentAttempts::triedRecently(const QUuid& id, double now) const {
    load();
    const auto it = lastTried.constFind(id);
    // A time in the future (a clock set back) counts as long ago.
    return it != lastTried.constEnd() && *it <= now && now - *it < retryAfterSeconds;
}

void EnrichmentAttempts::record(const QUuid& id, double now) {
    load();
    lastTried.insert(id, now);
    dirty = true;
}

void EnrichmentAttempts::forget(const QUuid& id) {
    load();
    if (lastTried.remove(id) > 0)
        dirty = true;
}

bool EnrichmentAttempts::save() {
    if (path.isEmpty() || !dirty)
        return true;
    QJsonObject object;
    for (auto it = lastTried.constBegin(); it != lastTried.constEnd(); ++it)
        object.insert(idString(it.key()), it.value());
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!AtomicFile::write(path, QJsonDocument(object).toJson(QJsonDocument::Compact)))
        return false;
    dirty = false;
    return true;
}
