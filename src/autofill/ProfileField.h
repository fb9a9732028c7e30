#pragma once

#include <QList>
#include <QString>
#include <optional>

// The user's own details that autofill can type, in the order every list
// of them follows.
enum class ProfileField {
    firstName,
    lastName,
    fullName,
    email,
    phone,
    company,
    jobTitle,
    website,
    linkedin,
    address,
    city,
    state,
    postalCode,
    country,
};

namespace ProfileFields {
const QList<ProfileField>& all();
// The JSON key and command-line name ("firstName").
QString id(ProfileField field);
// What the page shows ("First name"; the phone is "Mobile").
QString label(ProfileField field);
std::optional<ProfileField> fromId(const QString& id);
} // namespace ProfileFields

// An answer learned for a form question that matches no profile field.
struct LearnedAnswer {
    QString key;   // the question's custom key; unique
    QString label; // the question as the form first showed it
    QString value;
    friend bool operator==(const LearnedAnswer&, const LearnedAnswer&) = default;
};

// What a form field is to be filled with.
struct FillTarget {
    std::optional<ProfileField> field; // set: a profile field
    QString key;                       // otherwise: a learned answer's key
    QString label;                     // and its question

    static FillTarget profile(ProfileField f) { return {f, {}, {}}; }
    static FillTarget custom(const QString& key, const QString& label) {
        return {std::nullopt, key, label};
    }
    bool isProfile() const { return field.has_value(); }
    // The name shown in the panel's flashes: a field's label in lower case,
    // a question cut to 28 characters.
    QString flashName() const;
    friend bool operator==(const FillTarget&, const FillTarget&) = default;
};
