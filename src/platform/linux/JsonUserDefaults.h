#pragma once

#include "platform/UserDefaults.h"

#include <QHash>

// Settings in one JSON file (by default
// $XDG_CONFIG_HOME/com.nivo.lumavex/defaults.json). JSON keeps booleans, texts
// and lists apart; bytes are stored as {"data": "<base64>"}. The file is read
// once and rewritten atomically after every change; a file that cannot be
// read is set aside rather than overwritten.
class JsonUserDefaults final : public UserDefaults {
public:
    explicit JsonUserDefaults(QString path);

    // The settings file of the current user.
    static QString defaultPath();

    std::optional<QVariant> object(const QString& key) const override;
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;

    const QString& path() const { return filePath; }

private:
    void load();
    void save() const;

    QString filePath;
    QHash<QString, QVariant> values;
};
