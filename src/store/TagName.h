#pragma once

#include <QString>
#include <optional>

// The one normalisation of tag names that every place taking a tag name uses.
namespace TagName {

// Longest tag name, in user-perceived characters.
inline constexpr qsizetype maxLength = 28;

// raw with every run of white space (line breaks included) collapsed to one
// space and the ends trimmed, cut to maxLength characters; absent when nothing
// but white space was given. Letter case is kept as typed.
std::optional<QString> clean(const QString& raw);

} // namespace TagName
