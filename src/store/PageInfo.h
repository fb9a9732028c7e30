#pragma once

#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <optional>

// What one web page yields for its link item. Every field may be absent.
struct PageInfo {
    std::optional<QString> title; // the title element, cleaned
    std::optional<QString> text;  // the readable text, cleaned and capped
    std::optional<QUrl> imageURL; // the preview image, absolute
    std::optional<QUrl> iconURL;  // the site icon, absolute

    // {"title", "text", "imageURL", "iconURL"}, null where absent.
    QJsonObject toJson() const;

    bool operator==(const PageInfo&) const = default;
};
