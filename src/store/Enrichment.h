#pragma once

#include <QString>
#include <QUuid>
#include <optional>

// What reading an item's content found out, to be merged into the stored item
// with the same id on the main thread. Absent fields leave the item's value.
struct Enrichment {
    QUuid id;
    std::optional<QString> text;          // extracted text
    std::optional<QString> title;         // a link page's title (applied when not empty)
    std::optional<QString> thumbFileName; // new preview inside "Files"
    std::optional<QString> iconFileName;  // new icon inside "Files"
    std::optional<QString> category;      // category from the richer text

    bool operator==(const Enrichment&) const = default;
};
