#pragma once

#include <QString>
#include <QStringList>
#include <QUuid>

class Store;
struct Item;

// The tag editor's logic for one item: which tags the typed draft finds,
// whether it names a new one, and what Return does. Every change goes through
// the store; nothing of the item is kept here.
class TagEditorModel {
public:
    TagEditorModel(Store& store, QUuid itemID) : store(store), itemID(itemID) {}

    QString draft;

    // The store's item, or null when it no longer exists.
    const Item* item() const;

    // Every tag for a blank draft, otherwise the tags containing the cleaned
    // draft ignoring case, in the store's order.
    QStringList matches() const;
    // True when the cleaned draft is a name no tag has, ignoring case.
    bool canCreate() const;
    // The cleaned draft, as the "Create" row shows it.
    QString cleanedDraft() const;
    // "Sorted automatically" or "Auto-sort this item".
    QString automaticTitle() const;

    // Adds the cleaned draft to the item unless it already has it, then
    // empties the draft. Nothing happens for a blank draft or a removed item.
    void submit();
    void toggle(const QString& name);
    void resetToAutomatic();

private:
    Store& store;
    QUuid itemID;
};
