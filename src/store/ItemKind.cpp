#include "store/ItemKind.h"

QString storedValue(ItemKind kind) {
    switch (kind) {
    case ItemKind::file:
        return QStringLiteral("file");
    case ItemKind::image:
        return QStringLiteral("image");
    case ItemKind::link:
        return QStringLiteral("link");
    case ItemKind::text:
        return QStringLiteral("text");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<ItemKind> itemKindFromStoredValue(const QString& value) {
    for (ItemKind kind : {ItemKind::file, ItemKind::image, ItemKind::link, ItemKind::text}) {
        if (storedValue(kind) == value)
            return kind;
    }
    return std::nullopt;
}
