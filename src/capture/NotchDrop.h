#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QMimeData;
class Store;

// What a drag dropped on the notch brings, read with the drop target's
// priority: every URL it carries (files collected, the last web address
// kept); failing those an image; failing that its text.
struct DroppedContent {
    QList<QUrl> files;
    std::optional<QUrl> url;
    std::optional<QImage> image;
    std::optional<QString> text;

    bool operator==(const DroppedContent&) const = default;
};

namespace NotchDrop {

// The MIME types the drop target takes, in the order it prefers them.
QStringList acceptedTypes();
bool carriesAcceptedType(const QMimeData& data);

DroppedContent read(const QMimeData& data);

// Saves the first of files, link, image and text that the drop holds, and
// answers the confirmation to flash ("Saved · Design"); absent when nothing
// could be saved.
std::optional<QString> save(Store& store, const DroppedContent& content,
                            const std::optional<QString>& source);

} // namespace NotchDrop
