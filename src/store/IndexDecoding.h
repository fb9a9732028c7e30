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
// The same for size bytes at data followed by at least padding() readable
// bytes of any value, which lets the parser read them where they lie.
std::optional<QList<Item>> fast(const char* data, qsizetype size);

// Qt's parser, the reference: what the index has always been read with.
std::optional<QList<Item>> withQt(const QByteArray& bytes);

// The slack after the bytes that spares fast() a copy of them.
qsizetype padding();

} // namespace IndexDecoding
