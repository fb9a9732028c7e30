#pragma once

#include <QString>
#include <optional>

// The process environment (TOVIK_SHOW, XDG_DATA_HOME, …). Behind an interface so
// tests can give the code under test an environment of their own.
class Environment {
public:
    virtual ~Environment() = default;
    // The variable's value; absent when it is not set (an empty value is a value).
    virtual std::optional<QString> value(const QString& name) const = 0;
};
