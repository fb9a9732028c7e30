#include "library/TagEditorModel.h"

#include "store/Store.h"
#include "store/TagName.h"

using namespace Qt::StringLiterals;

const Item* TagEditorModel::item() const {
    return store.item(itemID);
}

QString TagEditorModel::cleanedDraft() const {
    return TagName::clean(draft).value_or(QString());
}

QStringList TagEditorModel::matches() const {
    const QStringList all = store.allTags();
    const QString needle = cleanedDraft().toLower();
    if (needle.isEmpty())
        return all;
    QStringList found;
    for (const QString& name : all) {
        if (name.toLower().contains(needle))
            found.append(name);
    }
    return found;
}

bool TagEditorModel::canCreate() const {
    const QString name = cleanedDraft();
    if (name.isEmpty())
        return false;
    const QStringList all = store.allTags();
    return std::none_of(all.begin(), all.end(), [&](const QString& existing) {
        return existing.compare(name, Qt::CaseInsensitive) == 0;
    });
}

QString TagEditorModel::automaticTitle() const {
    const Item* current = item();
    if (current && !current->tags)
        return u"Sorted automatically"_s;
    return u"Auto-sort this item"_s;
}

void TagEditorModel::submit() {
    const QString name = cleanedDraft();
    if (name.isEmpty())
        return;
    const Item* current = item();
    if (!current)
        return;
    if (!current->hasTag(name))
        store.toggleTag(name, itemID);
    draft.clear();
}

void TagEditorModel::toggle(const QString& name) {
    if (item())
        store.toggleTag(name, itemID);
}

void TagEditorModel::resetToAutomatic() {
    if (item())
        store.resetToAuto(itemID);
}
