#include "organise/EnglishEmbedding.h"

namespace EnglishEmbedding {

std::unique_ptr<SentenceEmbedding> load() {
    // No model ships with Tovik yet: the meaning step stays unavailable.
    return nullptr;
}

} // namespace EnglishEmbedding
