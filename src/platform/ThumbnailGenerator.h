#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

// A picture of a document's content (never a file-type icon), like a file
// manager's preview.
class ThumbnailGenerator {
public:
    virtual ~ThumbnailGenerator() = default;

    // The thumbnail of the file at path fitted into maxSize pixels; absent
    // for types without a preview and for files that cannot be read.
    virtual std::optional<QImage> thumbnail(const QString& path, QSize maxSize) = 0;
};
