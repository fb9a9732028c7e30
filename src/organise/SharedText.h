#pragma once

#include <QString>
#include <optional>

// Equality of strings that are usually copies of one another, as a cache's
// saved inputs are of the item they were read from: shared data is equal
// without looking at it.
namespace SharedText {

inline bool same(const QString& a, const QString& b) {
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

inline bool same(const std::optional<QString>& a, const std::optional<QString>& b) {
    if (a.has_value() != b.has_value())
        return false;
    return !a || same(*a, *b);
}

} // namespace SharedText
