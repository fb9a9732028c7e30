#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Environment;

// The installed applications' .desktop files, for finding the name users
// know a running program by. Read on first use and again whenever one of the
// application folders changes.
class DesktopEntryIndex {
public:
    struct Entry {
        QString id;             // file name without ".desktop"
        QString name;           // the "Name" key
        QString startupWMClass; // empty when not given
        QString executable;     // base name of the program Exec starts
    };

    // The "applications" folders of XDG_DATA_HOME and XDG_DATA_DIRS, the
    // user's own first.
    static QStringList applicationDirectories(const Environment& environment);

    explicit DesktopEntryIndex(QStringList directories);

    // The Name of the entry matching a window's WM_CLASS class and instance
    // or one of its process's executable names; absent when none matches.
    std::optional<QString> displayName(const QString& wmClass, const QString& wmInstance,
                                       const QStringList& executables);

    // One file's entry; absent when it is not a visible application.
    static std::optional<Entry> parse(const QString& path);
    // The base name of the program an Exec value runs ("env A=1 /usr/bin/gedit %U" → "gedit").
    static QString executableOf(const QString& exec);

private:
    void refreshIfChanged();

    QStringList directories;
    QList<QDateTime> stamps;
    QList<Entry> entries;
    bool loaded = false;
};
