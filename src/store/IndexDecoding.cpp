#include "store/IndexDecoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <simdjson.h>
#include <string_view>

namespace IndexDecoding {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A string value, or absent for any other type (null included), as
// Item::fromJson reads its optional fields.
std::optional<QString> stringOf(simdjson::dom::element value) {
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS)
        return std::nullopt;
    return toQString(text);
}

std::optional<Item> itemOf(simdjson::dom::object object) {
    // Every key is visited in order, so a repeated key ends with its last
    // value, as Qt's parser keeps it.
    std::optional<QString> id, kind, title, detail;
    std::optional<double> savedAt;
    Item item;
    for (const simdjson::dom::key_value_pair field : object) {
        const std::string_view key = field.key;
        const simdjson::dom::element value = field.value;
        if (key == "id") {
            id = stringOf(value);
        } else if (key == "kind") {
            kind = stringOf(value);
        } else if (key == "title") {
            title = stringOf(value);
        } else if (key == "detail") {
            detail = stringOf(value);
        } else if (key == "savedAt") {
            double seconds = 0;
            savedAt = value.is_number() && value.get_double().get(seconds) == simdjson::SUCCESS
                          ? std::optional<double>(seconds)
                          : std::nullopt;
        } else if (key == "fileName") {
            item.fileName = stringOf(value);
        } else if (key == "text") {
            item.text = stringOf(value);
        } else if (key == "source") {
            item.source = stringOf(value);
        } else if (key == "thumbFileName") {
            item.thumbFileName = stringOf(value);
        } else if (key == "iconFileName") {
            item.iconFileName = stringOf(value);
        } else if (key == "category") {
            item.category = stringOf(value);
        } else if (key == "tags") {
            simdjson::dom::array tags;
            if (value.get_array().get(tags) != simdjson::SUCCESS) {
                item.tags.reset();
                continue;
            }
            QStringList names;
            for (const simdjson::dom::element tag : tags) {
                if (std::optional<QString> name = stringOf(tag))
                    names.append(std::move(*name));
            }
            item.tags = std::move(names);
        }
    }
    if (!id || !kind || !title || !detail || !savedAt)
        return std::nullopt;
    const std::optional<QUuid> uuid = storedId(*id);
    const std::optional<ItemKind> itemKind = itemKindFromStoredValue(*kind);
    if (!uuid || !itemKind)
        return std::nullopt;
    item.id = *uuid;
    item.kind = *itemKind;
    item.title = std::move(*title);
    item.detail = std::move(*detail);
    item.savedAt = *savedAt;
    return item;
}

std::optional<QList<Item>> parse(const char* data, qsizetype size, bool padded) {
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (parser.parse(data, size_t(size), !padded).get(root) != simdjson::SUCCESS)
        return std::nullopt;
    simdjson::dom::array array;
    if (root.get_array().get(array) != simdjson::SUCCESS)
        return std::nullopt;
    QList<Item> items;
    items.reserve(qsizetype(array.size()));
    for (const simdjson::dom::element element : array) {
        simdjson::dom::object object;
        if (element.get_object().get(object) != simdjson::SUCCESS)
            return std::nullopt;
        std::optional<Item> item = itemOf(object);
        if (!item)
            return std::nullopt;
        items.append(std::move(*item));
    }
    return items;
}

} // namespace

qsizetype padding() {
    return qsizetype(simdjson::SIMDJSON_PADDING);
}

std::optional<QList<Item>> fast(const QByteArray& bytes) {
    // A buffer read for this purpose carries the slack in its capacity.
    return parse(bytes.constData(), bytes.size(), bytes.capacity() - bytes.size() >= padding());
}

std::optional<QList<Item>> fast(const char* data, qsizetype size) {
    return parse(data, size, true);
}

std::optional<QList<Item>> withQt(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    QList<Item> items;
    items.reserve(array.size());
    for (const QJsonValue& value : array) {
        if (!value.isObject())
            return std::nullopt;
        std::optional<Item> item = Item::fromJson(value.toObject());
        if (!item)
            return std::nullopt;
        items.append(std::move(*item));
    }
    return items;
}

} // namespace IndexDecoding
