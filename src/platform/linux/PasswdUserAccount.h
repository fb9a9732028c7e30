#pragma once

#include "platform/UserAccount.h"

// The full name from the passwd entry's GECOS field: its first
// comma-separated piece (the rest are room, phones and other notes).
class PasswdUserAccount final : public UserAccount {
public:
    QString fullName() const override;
    // The full name within one GECOS text.
    static QString fullNameFromGecos(const QByteArray& gecos);
};
