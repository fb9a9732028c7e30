#include "platform/linux/AutostartLoginItem.h"

#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

AutostartLoginItem::AutostartLoginItem(QString entryPath, QString executable)
    : path(std::move(entryPath)), executable(std::move(executable)) {}

QString AutostartLoginItem::defaultEntryPath(const QString& applicationId) {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + u"/.config"_s;
    return config + u"/autostart/"_s + applicationId + u".desktop"_s;
}

QString AutostartLoginItem::runningExecutable() {
    return QFileInfo(u"/proc/self/exe"_s).canonicalFilePath();
}

bool AutostartLoginItem::isEnabled() const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A desktop that turns an entry off marks it Hidden=true (in the
    // [Desktop Entry] group) rather than deleting it.
    bool inEntryGroup = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('['))
            inEntryGroup = line == "[Desktop Entry]";
        else if (inEntryGroup && line.startsWith("Hidden") &&
                 line.mid(6).trimmed().startsWith('=') &&
                 line.mid(line.indexOf('=') + 1).trimmed() == "true")
            return false;
    }
    return true;
}

void AutostartLoginItem::registerItem() {
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Exec needs the reserved characters quoted; a path rarely has any.
    QString exec = executable;
    exec.replace(u"\\"_s, u"\\\\"_s).replace(u"\""_s, u"\\\""_s);
    const QString entry = u"[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tovik\n"
                          "Comment=Keep what you copy\n"
                          "Exec=\""_s +
                          exec +
                          u"\"\n"
                          "Icon=com.nivo.lumavex\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n"_s;
    AtomicFile::write(path, entry.toUtf8());
}

void AutostartLoginItem::unregisterItem() {
    QFile::remove(path);
}
