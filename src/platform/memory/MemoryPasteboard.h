#pragma once

#include "platform/Pasteboard.h"

#include <QList>
#include <QPair>

// A clipboard in memory. Content is a list of (MIME type, bytes) pairs, read
// back the way the desktop clipboard reads them; every set or write raises the
// change count by one. Records which types' bytes were read, so tests can tell
// that a secret was never looked at.
class MemoryPasteboard final : public Pasteboard {
public:
    int changeCount() const override;
    QStringList types() const override;
    QByteArray data(const QString& type) const override;
    QList<QUrl> fileURLs() const override;
    std::optional<QString> plainText() const override;
    std::optional<QImage> image() const override;
    void write(QMimeData* data) override;

    // Another application copies: the content becomes exactly these formats.
    void setFormats(const QList<QPair<QString, QByteArray>>& formats);
    void setText(const QString& text);
    void setImage(const QImage& image);
    // The owner went away: a change with nothing on it.
    void clear() { setFormats({}); }

    // Types whose bytes were read since the last resetReads().
    const QStringList& readTypes() const { return reads; }
    void resetReads() { reads.clear(); }
    // How often the change count was asked.
    int changeCountReads() const { return countReads; }

private:
    QByteArray read(const QString& type) const;

    QList<QPair<QString, QByteArray>> content;
    int count = 0;
    mutable QStringList reads;
    mutable int countReads = 0;
};
