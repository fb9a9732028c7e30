#include "platform/memory/MemoryPasteboard.h"

#include <QBuffer>
#include <QMimeData>

using namespace Qt::StringLiterals;

int MemoryPasteboard::changeCount() const {
    ++countReads;
    return count;
}

QStringList MemoryPasteboard::types() const {
    QStringList list;
    for (const auto& [type, bytes] : content)
        list.append(type);
    return list;
}

QByteArray MemoryPasteboard::read(const QString& type) const {
    for (const auto& [candidate, bytes] : content) {
        if (candidate == type) {
            reads.append(type);
            return bytes;
        }
    }
    return {};
}

QByteArray MemoryPasteboard::data(const QString& type) const {
    return read(type);
}

QList<QUrl> MemoryPasteboard::fileURLs() const {
    if (!types().contains(u"text/uri-list"_s))
        return {};
    QList<QUrl> urls;
    const QList<QByteArray> lines = read(u"text/uri-list"_s).split('\n');
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line);
        if (url.isLocalFile())
            urls.append(url);
    }
    return urls;
}

std::optional<QString> MemoryPasteboard::plainText() const {
    for (const QString& type : {u"text/plain;charset=utf-8"_s, u"text/plain"_s}) {
        if (types().contains(type))
            return QString::fromUtf8(read(type));
    }
    return std::nullopt;
}

std::optional<QImage> MemoryPasteboard::image() const {
    for (const QString& type : types()) {
        if (!type.startsWith(u"image/"_s))
            continue;
        QImage decoded;
        if (decoded.loadFromData(read(type)))
            return decoded;
    }
    return std::nullopt;
}

void MemoryPasteboard::write(QMimeData* data) {
    QList<QPair<QString, QByteArray>> formats;
    for (const QString& format : data->formats()) {
        if (format != u"application/x-qt-image"_s)
            formats.append({format, data->data(format)});
    }
    if (data->hasImage()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        qvariant_cast<QImage>(data->imageData()).save(&buffer, "PNG");
        formats.append({u"image/png"_s, png});
    }
    delete data;
    setFormats(formats);
}

void MemoryPasteboard::setFormats(const QList<QPair<QString, QByteArray>>& formats) {
    content = formats;
    ++count;
}

void MemoryPasteboard::setText(const QString& text) {
    setFormats({{u"text/plain;charset=utf-8"_s, text.toUtf8()}, {u"text/plain"_s, text.toUtf8()}});
}

void MemoryPasteboard::setImage(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    setFormats({{u"image/png"_s, png}});
}
