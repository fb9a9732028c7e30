#pragma once

#include "store/Item.h"

#include <QList>
#include <QString>

#include <cstdint>

// A deterministic synthetic library for benchmarks: the same seed always gives
// the same items, with realistic lengths of text, links, tags and sources.
namespace Corpus {

// count items, newest first, made from seed.
QList<Item> items(int count, std::uint32_t seed = 2026);

// A text of about length characters of English-like words, made from seed.
QString prose(int length, std::uint32_t seed);

} // namespace Corpus
