#pragma once

#include "store/Item.h"

#include <QList>
#include <QString>
#include <cstdint>

// A deterministic synthetic library for benchmarks: the same seed always gives
// the same items, with realistic lengths of text, links, tags and sources.
namespace Corpus {

// count items, newest first, made from seed. Each item is about one of a few
// hundred topics (a few popular, most rare) and shares that topic's words with
// the other items on it; 10,000 items hold about 25 million characters of text.
QList<Item> items(int count, std::uint32_t seed = 2026);

// items(count) with the default seed, made once per program and kept.
const QList<Item>& sharedItems(int count);

// The eight words of one of the corpus's topics (topic 0 is the most common).
QStringList topicWords(int topic);

// A text of about length characters of English-like words, made from seed.
QString prose(int length, std::uint32_t seed);

} // namespace Corpus
