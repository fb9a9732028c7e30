#pragma once

#include <QString>

// The account the program runs under.
class UserAccount {
public:
    virtual ~UserAccount() = default;
    // The user's full name as the system records it; empty when unknown.
    virtual QString fullName() const = 0;
};
