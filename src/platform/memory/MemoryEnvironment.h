#pragma once

#include "platform/Environment.h"

#include <QHash>

// An environment holding only what the test puts in it.
class MemoryEnvironment final : public Environment {
public:
    std::optional<QString> value(const QString& name) const override {
        auto it = values.constFind(name);
        if (it == values.constEnd())
            return std::nullopt;
        return *it;
    }
    void set(const QString& name, const QString& value) { values.insert(name, value); }
    void unset(const QString& name) { values.remove(name); }

private:
    QHash<QString, QString> values;
};
