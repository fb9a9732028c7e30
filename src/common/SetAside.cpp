#include "common/SetAside.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString freeName(const QString& path, const QDateTime& now) {
    const QString base = path + u".unreadable-"_s + now.toUTC().toString(u"yyyyMMdd-HHmmss"_s);
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = base + u'-' + QString::number(n);
    return aside;
}

} // namespace

std::optional<QString> SetAside::move(const QString& path, const QDateTime& now) {
    const QString aside = freeName(path, now);
    if (!QFile::rename(path, aside))
        return std::nullopt;
    return aside;
}

std::optional<QString> SetAside::copy(const QString& path, const QDateTime& now) {
    const QString aside = freeName(path, now);
    if (!QFile::copy(path, aside))
        return std::nullopt;
    return aside;
}
