#include "library/ItemActions.h"

#include <QDir>
#include <QMimeData>

using namespace Qt::StringLiterals;

namespace ItemActions {

std::optional<QUrl> storedFile(const Item& item, const QString& filesDir) {
    if (item.kind != ItemKind::file && item.kind != ItemKind::image)
        return std::nullopt;
    if (!item.fileName || item.fileName->isEmpty())
        return std::nullopt;
    return QUrl::fromLocalFile(QDir(filesDir).filePath(*item.fileName));
}

std::optional<QUrl> openTarget(const Item& item, const QString& filesDir) {
    switch (item.kind) {
    case ItemKind::link: {
        const QUrl url(item.detail);
        if (url.isValid() && !url.isEmpty())
            return url;
        return std::nullopt;
    }
    case ItemKind::file:
    case ItemKind::image:
        return storedFile(item, filesDir);
    case ItemKind::text:
        break;
    }
    return std::nullopt;
}

QMimeData* copyData(const Item& item, const QString& filesDir) {
    switch (item.kind) {
    case ItemKind::link: {
        auto* data = new QMimeData;
        data->setText(item.detail);
        return data;
    }
    case ItemKind::text: {
        auto* data = new QMimeData;
        data->setText(item.text.value_or(item.title));
        return data;
    }
    case ItemKind::file:
    case ItemKind::image:
        if (const auto url = storedFile(item, filesDir)) {
            auto* data = new QMimeData;
            data->setUrls({*url});
            return data;
        }
        break;
    }
    return nullptr;
}

QMimeData* dragData(const Item& item, const QString& filesDir) {
    auto* data = new QMimeData;
    switch (item.kind) {
    case ItemKind::link:
        data->setUrls({QUrl(item.detail)});
        data->setText(item.detail);
        break;
    case ItemKind::text:
        data->setText(item.text.value_or(item.title));
        break;
    case ItemKind::file:
    case ItemKind::image:
        if (const auto url = storedFile(item, filesDir)) {
            data->setUrls({*url});
            // File managers that honour the direct-save protocol name the
            // dropped copy after the item rather than after its stored name.
            if (!item.title.isEmpty())
                data->setData(u"application/x-kde-suggestedfilename"_s, item.title.toUtf8());
        }
        break;
    }
    return data;
}

} // namespace ItemActions
