#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QMimeData;

// The system clipboard as the capture code needs it: a change counter that
// rises on every clear or write by anyone, the type identifiers (MIME types)
// of what it holds, and its content. Reads are of the current content.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    virtual int changeCount() const = 0;
    virtual QStringList types() const = 0;
    // The raw bytes offered under one type; empty when there are none.
    virtual QByteArray data(const QString& type) const = 0;
    // The file URLs of the "text/uri-list" type (other URLs are left out).
    virtual QList<QUrl> fileURLs() const = 0;
    virtual std::optional<QString> plainText() const = 0;
    // A decodable image, if the content carries one.
    virtual std::optional<QImage> image() const = 0;

    // Replaces the content with data (taking ownership): one clear-and-write,
    // which raises the change count by one.
    virtual void write(QMimeData* data) = 0;
};
