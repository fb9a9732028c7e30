#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// The per-user settings store. A stored value keeps its type — boolean, text,
// list of texts or bytes — so a text "no" under a key that is usually boolean
// stays a text. Every change is written at once.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    // The stored object with its type (QMetaType::Bool, QString, QStringList
    // or QByteArray); absent when nothing is stored under key.
    virtual std::optional<QVariant> object(const QString& key) const = 0;
    virtual void set(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;

    // The plain boolean read: absent is false; a boolean is itself; a text is
    // true when it reads as yes, true or a non-zero number.
    bool boolValue(const QString& key) const;
    // A boolean read whose absent value is true: anything that is not a
    // stored boolean reads true.
    bool boolValueDefaultingToTrue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    QStringList stringListValue(const QString& key) const;
    std::optional<QByteArray> dataValue(const QString& key) const;
};
