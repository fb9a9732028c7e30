#include "autofill/ProfileField.h"

#include "common/Graphemes.h"

using namespace Qt::StringLiterals;

namespace {
struct Names {
    ProfileField field;
    QLatin1StringView id;
    QLatin1StringView label;
};

const Names kNames[] = {
    {ProfileField::firstName, "firstName"_L1, "First name"_L1},
    {ProfileField::lastName, "lastName"_L1, "Last name"_L1},
    {ProfileField::fullName, "fullName"_L1, "Full name"_L1},
    {ProfileField::email, "email"_L1, "Email"_L1},
    {ProfileField::phone, "phone"_L1, "Mobile"_L1},
    {ProfileField::company, "company"_L1, "Company"_L1},
    {ProfileField::jobTitle, "jobTitle"_L1, "Job title"_L1},
    {ProfileField::website, "website"_L1, "Website"_L1},
    {ProfileField::linkedin, "linkedin"_L1, "LinkedIn"_L1},
    {ProfileField::address, "address"_L1, "Address"_L1},
    {ProfileField::city, "city"_L1, "City"_L1},
    {ProfileField::state, "state"_L1, "State"_L1},
    {ProfileField::postalCode, "postalCode"_L1, "Postal code"_L1},
    {ProfileField::country, "country"_L1, "Country"_L1},
};
} // namespace

const QList<ProfileField>& ProfileFields::all() {
    static const QList<ProfileField> fields = [] {
        QList<ProfileField> list;
        for (const Names& n : kNames)
            list.append(n.field);
        return list;
    }();
    return fields;
}

QString ProfileFields::id(ProfileField field) {
    return kNames[int(field)].id;
}

QString ProfileFields::label(ProfileField field) {
    return kNames[int(field)].label;
}

std::optional<ProfileField> ProfileFields::fromId(const QString& id) {
    for (const Names& n : kNames) {
        if (id == n.id)
            return n.field;
    }
    return std::nullopt;
}

QString FillTarget::flashName() const {
    if (field)
        return ProfileFields::label(*field).toLower();
    if (Graphemes::hasAtLeast(label, 29))
        return Graphemes::prefix(label, 27) + u'…';
    return label;
}
