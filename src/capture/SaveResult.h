#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

// What keeping a clip did: whether a new item was made (false when the same
// content was only moved to the front) and the front item's first tag.
// Anything that could not be stored is named in failures, one line each; a
// keep with failures and no ids stored nothing at all.
struct SaveResult {
    bool isNew = true;
    std::optional<QString> tag;
    QList<QUuid> ids;     // the items made or moved to the front, newest first
    QStringList failures; // why some or all of the content was not stored

    bool stored() const { return failures.isEmpty(); }

    bool operator==(const SaveResult&) const = default;
};
