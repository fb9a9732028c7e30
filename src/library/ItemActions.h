#pragma once

#include "store/Item.h"

#include <QString>
#include <QUrl>
#include <optional>

class QMimeData;

// What the item commands hand to the desktop: the address opened, the
// clipboard content copied and the data dragged out of a card.
namespace ItemActions {

// The stored file of a file or image item; absent without a file name.
std::optional<QUrl> storedFile(const Item& item, const QString& filesDir);

// What "open" shows with the default application: a link's address or the
// stored file. Absent for a text (it is copied instead) and for a file whose
// stored copy has no name.
std::optional<QUrl> openTarget(const Item& item, const QString& filesDir);

// What "copy" puts on the clipboard; null when there is nothing to copy.
QMimeData* copyData(const Item& item, const QString& filesDir);

// What dragging the card out offers: the address, the stored file (suggested
// under the item's title), or the text; empty data otherwise.
QMimeData* dragData(const Item& item, const QString& filesDir);

} // namespace ItemActions
