#include "store/DataFolder.h"

#include "platform/Environment.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace DataFolder {

QString applicationSupport(const Environment& environment) {
    // XDG: an unset, empty or relative XDG_DATA_HOME means the default.
    const std::optional<QString> xdg = environment.value(u"XDG_DATA_HOME"_s);
    if (xdg && !xdg->isEmpty() && QDir::isAbsolutePath(*xdg))
        return QDir::cleanPath(*xdg);
    const QString home = environment.value(u"HOME"_s).value_or(QDir::homePath());
    return QDir::cleanPath(home + u"/.local/share"_s);
}

QString cacheFolder(const Environment& environment) {
    const std::optional<QString> xdg = environment.value(u"XDG_CACHE_HOME"_s);
    if (xdg && !xdg->isEmpty() && QDir::isAbsolutePath(*xdg))
        return QDir::cleanPath(*xdg) + u"/lumavex"_s;
    const QString home = environment.value(u"HOME"_s).value_or(QDir::homePath());
    return QDir::cleanPath(home + u"/.cache/lumavex"_s);
}

QString root(const QString& applicationSupport, bool migrate) {
    const QString current = applicationSupport + u"/Lumavex"_s;
    const QString older = applicationSupport + u"/Vellumory"_s;
    // exists() follows links; a dangling link still occupies the name.
    const QFileInfo currentInfo(current);
    if (currentInfo.exists() || currentInfo.isSymLink())
        return current;
    if (!QFileInfo(older).isDir())
        return current;
    if (!migrate)
        return older;
    QDir().rename(older, current);
    return current;
}

} // namespace DataFolder
