#include "store/ContentEnricherFactory.h"

#include "organise/Categorizer.h"
#include "platform/Platform.h"
#include "store/ItemEnricher.h"

std::shared_ptr<ContentEnricher> makeContentEnricher() {
    return std::make_shared<ItemEnricher>(Platform::current(), Categorizer::shared());
}
