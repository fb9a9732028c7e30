#pragma once

#include <QString>

class ProfileStore;

// What the sidebar's account row says about the user, from the profile as
// autofill would fill it.
struct AccountSummary {
    // The first letter of each of the first two words of the full name,
    // upper-cased; empty when there is no name (the row shows a person).
    QString initials;
    // The full name, or "Add your details".
    QString name;
    // The e-mail address, or "My Info".
    QString detail;

    static AccountSummary of(const ProfileStore& profile);
    static AccountSummary of(const QString& fullName, const QString& email);
};
