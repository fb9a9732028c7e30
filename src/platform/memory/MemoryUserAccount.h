#pragma once

#include "platform/UserAccount.h"

class MemoryUserAccount final : public UserAccount {
public:
    QString fullName() const override { return name; }
    QString name;
};
