#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One AI-chat web site whose sidebar chat titles are covered: its host and
// the path fragments that mark a link to one chat.
struct BlurSite {
    QString name;
    // Lowercase, without "www."; may carry a port ("dev.local:8080"). The
    // site's identity.
    QString host;
    // A link whose path contains one of these is a link to a chat; empty
    // means the engine's default fragments.
    QStringList paths;
    bool builtIn = false;

    friend bool operator==(const BlurSite&, const BlurSite&) = default;

    // The sites Tovik knows from the start, in the order the page lists them.
    static const QList<BlurSite>& builtIns();

    // Compact JSON with the keys in the order "name", "host", "paths",
    // "builtIn"; extra members are appended after them in the given order.
    QByteArray toJson(const QList<std::pair<QString, bool>>& extraBooleans = {}) const;
    static QByteArray listToJson(const QList<BlurSite>& sites);
    // Absent unless the text is an array of objects that each carry all four
    // keys with the right types.
    static std::optional<QList<BlurSite>> listFromJson(const QByteArray& json);
};
