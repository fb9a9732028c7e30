#pragma once

#include <memory>

class ContentEnricher;

// The enricher the desktop app's store uses: pages, images and documents read
// with the installed platform's services, categorized by the shared categorizer.
std::shared_ptr<ContentEnricher> makeContentEnricher();
