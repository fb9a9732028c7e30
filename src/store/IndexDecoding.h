#pragma once

#include "store/Item.h"

#include <QByteArray>
#include <QList>
#include <optional>

// The two readers of "items.json" bytes behind IndexFile::decode. Both give
// the items of a JSON array of item objects (Item::fromJson's rules: unknown
// keys ignored, the last of repeated keys counts), or absent.
namespace IndexDecoding {

// simdjson: a large index in a fraction of Qt's time. It refuses a few
// things Qt's parser takes and Qt's writer may have written (an escaped lone
// surrogate, a raw control character in a string): absent then, and the
// caller asks Qt.
std::optional<QList<Item>> fast(const QByteArray& bytes);

// Qt's parser, the reference: what the index has always been read with.
std::optional<QList<Item>> withQt(const QByteArray& bytes);

// Bytes of a file of size bytes plus this much slack let fast() parse the
// buffer where it lies instead of copying it first.
qsizetype padding();

} // namespace IndexDecoding
