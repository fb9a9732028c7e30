#include "capture/KeepPipeline.h"

#include "store/Store.h"

#include <QSet>

namespace KeepPipeline {

namespace {

std::optional<QString> firstDisplayTag(const QList<Item>& items) {
    if (items.isEmpty())
        return std::nullopt;
    const QStringList tags = items.first().displayTags();
    if (tags.isEmpty())
        return std::nullopt;
    return tags.first();
}

} // namespace

SaveResult save(Store& store, const ClipContent& clip, const std::optional<QString>& tag) {
    SaveResult result;
    const bool hasText = clip.string && !clip.string->trimmed().isEmpty();
    if (clip.fileURLs.isEmpty() && !clip.image && !clip.url && !hasText)
        return result;
    if (!store.isWritable()) {
        result.isNew = false;
        result.failures.append(store.writeRefusal());
        return result;
    }

    QSet<QUuid> before;
    before.reserve(store.items().size());
    for (const Item& item : std::as_const(store.items()))
        before.insert(item.id);

    if (!clip.fileURLs.isEmpty()) {
        result.failures = store.addFiles(clip.fileURLs, clip.sourceApp);
    } else if (clip.image) {
        QString failure;
        if (!store.addImage(*clip.image, clip.sourceApp, &failure))
            result.failures.append(failure);
    } else if (clip.url) {
        result.isNew = store.addLink(*clip.url, clip.sourceApp);
    } else {
        result.isNew = store.addText(*clip.string, clip.sourceApp);
    }

    for (const Item& item : std::as_const(store.items())) {
        if (!before.contains(item.id))
            result.ids.append(item.id);
    }
    // Nothing new but nothing failed either: the content was bumped.
    if (result.ids.isEmpty() && result.failures.isEmpty() && !store.items().isEmpty())
        result.ids.append(store.items().first().id);
    if (result.ids.isEmpty())
        result.isNew = false;
    if (tag) {
        for (const QUuid& id : std::as_const(result.ids))
            store.addTag(*tag, id);
    }
    result.tag = firstDisplayTag(store.items());
    return result;
}

} // namespace KeepPipeline
