#pragma once

#include "platform/Environment.h"

class ProcessEnvironment final : public Environment {
public:
    std::optional<QString> value(const QString& name) const override;
};
