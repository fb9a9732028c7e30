#include "store/IndexEncoder.h"

#include <QJsonDocument>

QByteArray IndexEncoder::encode(const QList<Item>& items) {
    QHash<QUuid, Encoded> current;
    current.reserve(items.size());
    QList<QByteArray> parts;
    parts.reserve(items.size());
    qsizetype size = 2;
    for (const Item& item : items) {
        auto reused = previous.constFind(item.id);
        QByteArray json;
        if (reused != previous.constEnd() && reused->item == item)
            json = reused->json;
        else
            json = QJsonDocument(item.toJson()).toJson(QJsonDocument::Compact);
        size += json.size() + 1;
        current.insert(item.id, Encoded{item, json});
        parts.append(std::move(json));
    }
    previous = std::move(current);

    // Compact JSON of an array is its elements' compact JSON between brackets,
    // separated by commas.
    QByteArray bytes;
    bytes.reserve(size);
    bytes.append('[');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            bytes.append(',');
        bytes.append(parts[i]);
    }
    bytes.append(']');
    return bytes;
}
