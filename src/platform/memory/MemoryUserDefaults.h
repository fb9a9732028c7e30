#pragma once

#include "platform/UserDefaults.h"

#include <QHash>

// Settings kept in memory only, for unit tests.
class MemoryUserDefaults final : public UserDefaults {
public:
    std::optional<QVariant> object(const QString& key) const override {
        auto it = values.constFind(key);
        if (it == values.constEnd())
            return std::nullopt;
        return *it;
    }
    void set(const QString& key, const QVariant& value) override { values.insert(key, value); }
    void remove(const QString& key) override { values.remove(key); }

private:
    QHash<QString, QVariant> values;
};
