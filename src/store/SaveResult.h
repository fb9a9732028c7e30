#pragma once

#include <QString>

#include <optional>

// What keeping a clip did: whether a new item was made (false when the same
// content was only moved to the front) and the front item's first tag.
struct SaveResult {
    bool isNew = true;
    std::optional<QString> tag;

    bool operator==(const SaveResult&) const = default;
};
