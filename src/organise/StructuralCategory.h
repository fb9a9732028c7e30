#pragma once

#include <QString>
#include <optional>

// The category a short text's shape alone gives it: a key or token ("Keys"),
// a file path ("Files"), e-mail addresses or a telephone number ("Contacts"),
// a postal address ("Places"). Absent when the shape says nothing.
std::optional<QString> structuralCategory(const QString& text);
