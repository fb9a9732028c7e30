#pragma once

#include <memory>

class ContentEnricher;

// The enricher the desktop app's store uses; null while no enrichment is
// available, in which case items keep what they were saved with.
std::shared_ptr<ContentEnricher> makeContentEnricher();
