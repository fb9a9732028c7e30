#pragma once

#include "organise/SentenceEmbedding.h"

#include <memory>

namespace EnglishEmbedding {

// The English sentence embedding shipped with Tovik; null when its model file
// is missing or damaged, which leaves the categorizer's meaning step unused.
std::unique_ptr<SentenceEmbedding> load();

} // namespace EnglishEmbedding
