#include "platform/linux/DesktopEntryIndex.h"

#include "platform/Environment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

using namespace Qt::StringLiterals;

QStringList DesktopEntryIndex::applicationDirectories(const Environment& environment) {
    QString dataHome = environment.value(u"XDG_DATA_HOME"_s).value_or(QString());
    if (dataHome.isEmpty())
        dataHome = environment.value(u"HOME"_s).value_or(QDir::homePath()) + u"/.local/share"_s;
    QString dataDirs = environment.value(u"XDG_DATA_DIRS"_s).value_or(QString());
    if (dataDirs.isEmpty())
        dataDirs = u"/usr/local/share:/usr/share"_s;

    QStringList folders{QDir::cleanPath(dataHome + u"/applications"_s)};
    for (const QString& dir : dataDirs.split(u':', Qt::SkipEmptyParts))
        folders.append(QDir::cleanPath(dir + u"/applications"_s));
    folders.removeDuplicates();
    return folders;
}

DesktopEntryIndex::DesktopEntryIndex(QStringList directories)
    : directories(std::move(directories)) {}

QString DesktopEntryIndex::executableOf(const QString& exec) {
    // Exec is a shell-like command line; only its program matters here.
    QStringList tokens;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == u'\\' && i + 1 < exec.size()) {
            current.append(exec.at(++i));
            any = true;
        } else if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (c.isSpace() && !quoted) {
            if (any)
                tokens.append(current);
            current.clear();
            any = false;
        } else {
            current.append(c);
            any = true;
        }
    }
    if (any)
        tokens.append(current);

    qsizetype at = 0;
    if (at < tokens.size() && QFileInfo(tokens.at(at)).fileName() == u"env"_s) {
        ++at;
        while (at < tokens.size() &&
               (tokens.at(at).contains(u'=') || tokens.at(at).startsWith(u'-')))
            ++at;
    }
    if (at >= tokens.size())
        return {};
    return QFileInfo(tokens.at(at)).fileName();
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::parse(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&file);
    bool inMainGroup = false;
    Entry entry;
    entry.id = QFileInfo(path).completeBaseName();
    QString type;
    bool hidden = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]"_s;
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == u"Name"_s)
            entry.name = value;
        else if (key == u"StartupWMClass"_s)
            entry.startupWMClass = value;
        else if (key == u"Exec"_s)
            entry.executable = executableOf(value);
        else if (key == u"Type"_s)
            type = value;
        else if (key == u"Hidden"_s)
            hidden = value == u"true"_s;
    }
    if (hidden || type != u"Application"_s || entry.name.isEmpty())
        return std::nullopt;
    return entry;
}

void DesktopEntryIndex::refreshIfChanged() {
    QList<QDateTime> now;
    for (const QString& dir : std::as_const(directories))
        now.append(QFileInfo(dir).lastModified());
    if (loaded && now == stamps)
        return;
    stamps = now;
    loaded = true;
    entries.clear();
    // A file id found in an earlier folder hides the same id further down.
    QSet<QString> seen;
    for (const QString& dir : std::as_const(directories)) {
        QDirIterator it(dir, {u"*.desktop"_s}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString id = QFileInfo(path).completeBaseName();
            if (seen.contains(id))
                continue;
            seen.insert(id);
            if (std::optional<Entry> entry = parse(path))
                entries.append(*entry);
        }
    }
}

std::optional<QString> DesktopEntryIndex::displayName(const QString& wmClass,
                                                      const QString& wmInstance,
                                                      const QStringList& executables) {
    refreshIfChanged();
    auto same = [](const QString& a, const QString& b) {
        return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
    };
    for (const Entry& entry : std::as_const(entries)) {
        if (same(entry.startupWMClass, wmClass) || same(entry.startupWMClass, wmInstance))
            return entry.name;
    }
    for (const Entry& entry : std::as_const(entries)) {
        for (const QString& executable : executables) {
            if (!executable.isEmpty() && entry.executable == executable)
                return entry.name;
        }
    }
    // Many programs name their .desktop file after their window class.
    for (const Entry& entry : std::as_const(entries)) {
        if (same(entry.id, wmClass))
            return entry.name;
    }
    return std::nullopt;
}
