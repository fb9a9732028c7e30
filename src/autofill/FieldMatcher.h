#pragma once

#include "autofill/FieldTexts.h"
#include "autofill/ProfileField.h"

#include <QString>
#include <optional>

// What a web-form field asks for, from the texts around it: a profile
// field, the key of a learned answer, or nothing (never to be filled).
// Pure text logic with fixed phrase tables.
namespace FieldMatcher {

// "firstName" → "first name"; lower case, letters and numbers only, single spaces.
QString normalize(const QString& text);
std::optional<ProfileField> match(const QString& text);
std::optional<QString> customKey(const QString& text);

struct Identified {
    FillTarget target;
    bool hasCountryPicker = false;
};
// The decision for one focused field from everything read about it.
std::optional<Identified> identify(const FieldTexts& texts);

} // namespace FieldMatcher
