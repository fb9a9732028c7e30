#pragma once

#include <QString>
#include <optional>

// What a kept item is. The stored values are part of items.json.
enum class ItemKind { file, image, link, text };

// "file", "image", "link" or "text".
QString storedValue(ItemKind kind);

// The kind whose stored value is exactly value; absent for anything else.
std::optional<ItemKind> itemKindFromStoredValue(const QString& value);
