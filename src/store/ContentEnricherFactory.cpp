#include "store/ContentEnricherFactory.h"

#include "store/ContentEnricher.h"

std::shared_ptr<ContentEnricher> makeContentEnricher() {
    // Page, image and document reading is not wired in yet.
    return nullptr;
}
