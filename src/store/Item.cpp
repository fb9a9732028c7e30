#include "store/Item.h"

#include <QJsonArray>

QStringList Item::displayTags() const {
    if (tags)
        return *tags;
    if (category && !category->isEmpty())
        return {*category};
    return {};
}

const QString* Item::firstDisplayTag() const {
    if (tags)
        return tags->isEmpty() ? nullptr : &tags->front();
    return category && !category->isEmpty() ? &*category : nullptr;
}

bool Item::hasTag(const QString& name) const {
    bool found = false;
    forEachDisplayTag(
        [&](const QString& tag) { found = found || tag.compare(name, Qt::CaseInsensitive) == 0; });
    return found;
}

QString idString(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

namespace {

void putOptional(QJsonObject& object, const char* key, const std::optional<QString>& value) {
    if (value)
        object.insert(QLatin1String(key), *value);
}

// Absent for a missing key or null; for any other non-string type, also absent:
// only the required fields make an object unreadable.
std::optional<QString> optionalString(const QJsonObject& object, const char* key) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

QJsonObject Item::toJson() const {
    QJsonObject object;
    object.insert(QStringLiteral("id"), idString(id));
    object.insert(QStringLiteral("kind"), storedValue(kind));
    object.insert(QStringLiteral("title"), title);
    object.insert(QStringLiteral("detail"), detail);
    putOptional(object, "fileName", fileName);
    putOptional(object, "text", text);
    object.insert(QStringLiteral("savedAt"), savedAt);
    putOptional(object, "source", source);
    putOptional(object, "thumbFileName", thumbFileName);
    putOptional(object, "iconFileName", iconFileName);
    putOptional(object, "category", category);
    if (tags)
        object.insert(QStringLiteral("tags"), QJsonArray::fromStringList(*tags));
    return object;
}

std::optional<Item> Item::fromJson(const QJsonObject& object) {
    const QJsonValue id = object.value(QLatin1String("id"));
    const QJsonValue kind = object.value(QLatin1String("kind"));
    const QJsonValue title = object.value(QLatin1String("title"));
    const QJsonValue detail = object.value(QLatin1String("detail"));
    const QJsonValue savedAt = object.value(QLatin1String("savedAt"));
    if (!id.isString() || !kind.isString() || !title.isString() || !detail.isString() ||
        !savedAt.isDouble())
        return std::nullopt;

    const std::optional<QUuid> uuid = storedId(id.toString());
    if (!uuid)
        return std::nullopt;
    const std::optional<ItemKind> itemKind = itemKindFromStoredValue(kind.toString());
    if (!itemKind)
        return std::nullopt;

    Item item;
    item.id = *uuid;
    item.kind = *itemKind;
    item.title = title.toString();
    item.detail = detail.toString();
    item.fileName = optionalString(object, "fileName");
    item.text = optionalString(object, "text");
    item.savedAt = savedAt.toDouble();
    item.source = optionalString(object, "source");
    item.thumbFileName = optionalString(object, "thumbFileName");
    item.iconFileName = optionalString(object, "iconFileName");
    item.category = optionalString(object, "category");

    const QJsonValue tags = object.value(QLatin1String("tags"));
    if (tags.isArray()) {
        QStringList names;
        for (const QJsonValue& tag : tags.toArray()) {
            if (tag.isString())
                names.append(tag.toString());
        }
        item.tags = names;
    }
    return item;
}

std::optional<QUuid> storedId(const QString& text) {
    // QUuid accepts braces and other shapes; an id must be exactly 8-4-4-4-12.
    if (text.size() != 36)
        return std::nullopt;
    const QUuid uuid = QUuid::fromString(text);
    if (uuid.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return uuid;
}

QString hostOrAbsoluteString(const QUrl& url) {
    const QString host = url.host();
    return host.isEmpty() ? url.toString(QUrl::FullyEncoded) : host;
}
