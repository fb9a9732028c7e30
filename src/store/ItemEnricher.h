#pragma once

#include "store/ContentEnricher.h"
#include "store/ContentFetcher.h"
#include "store/DocumentReader.h"

class AutoCategorizer;
class HttpClient;
class Platform;
class TextRecognizer;

// Enriches items with the platform's content services: a link's page title,
// text, preview and icon; the words in an image; a document's text and
// thumbnail; and then the category from the richer text.
class ItemEnricher final : public ContentEnricher {
public:
    static constexpr int previewMaxDimension = 900;
    static constexpr int iconMaxDimension = 64;

    // platform must live as long as the process (waits that run out leave
    // work running on its services).
    ItemEnricher(Platform& platform, const AutoCategorizer& categorizer);

    std::optional<Enrichment> enrich(const Item& item, const QString& filesDir) override;
    // Stops the platform's fetches, which only ever end with the process.
    void stop() override;

private:
    HttpClient& http;
    ContentFetcher fetcher;
    DocumentReader documents;
    TextRecognizer& recognizer;
    const AutoCategorizer& categorizer;
};
