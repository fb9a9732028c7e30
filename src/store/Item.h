#pragma once

#include "store/ItemKind.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <optional>

// One kept memory: a note or copied text, an image, a file or a web link.
// A plain value; the Store owns the list of them.
struct Item {
    QUuid id;
    ItemKind kind = ItemKind::text;
    QString title;
    QString detail;
    std::optional<QString> fileName;      // stored file inside "Files"
    std::optional<QString> text;          // kept text, or text read from the content
    double savedAt = 0;                   // seconds since 2001-01-01 00:00:00 UTC
    std::optional<QString> source;        // the application it came from, or "Quick Note"
    std::optional<QString> thumbFileName; // preview image inside "Files"
    std::optional<QString> iconFileName;  // small site icon inside "Files"
    std::optional<QString> category;      // automatic category
    std::optional<QStringList> tags;      // the user's own tags; absent means automatic

    // The tags the item shows: the user's tags when set (even when empty),
    // otherwise its automatic category when it has a non-empty one.
    QStringList displayTags() const;

    // Calls visit with each display tag, as displayTags() lists them, without
    // building a list: tag counts and the tag vocabulary visit every item.
    template <typename Visit> void forEachDisplayTag(Visit&& visit) const {
        if (tags) {
            for (const QString& tag : *tags)
                visit(tag);
        } else if (category && !category->isEmpty()) {
            visit(*category);
        }
    }

    // The first of displayTags(), or null when it is empty.
    const QString* firstDisplayTag() const;

    // True when some display tag equals name, ignoring letter case.
    bool hasTag(const QString& name) const;

    // The item's JSON object in items.json: absent fields leave their key out,
    // an empty tag list stays an empty array, the id is written upper-case.
    QJsonObject toJson() const;

    // The item an object describes; absent when "id", "kind", "title", "detail"
    // or "savedAt" is missing or of the wrong type, or "kind" is unknown.
    static std::optional<Item> fromJson(const QJsonObject& object);

    bool operator==(const Item&) const = default;
};

// The canonical upper-case 8-4-4-4-12 form of an id.
QString idString(const QUuid& id);

// The id an "id" value of items.json names: exactly 8-4-4-4-12 hex digits.
std::optional<QUuid> storedId(const QString& text);

// The URL's host, or its whole absolute string when it has none.
QString hostOrAbsoluteString(const QUrl& url);
