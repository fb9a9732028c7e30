#include "store/ItemEnricher.h"

#include "platform/HttpClient.h"
#include "platform/Platform.h"
#include "store/AutoCategorizer.h"
#include "store/ImageData.h"
#include "store/Item.h"
#include "store/StoredFileName.h"
#include "store/TextRecognition.h"

#include <QDir>

using namespace Qt::StringLiterals;

ItemEnricher::ItemEnricher(Platform& platform, const AutoCategorizer& categorizer)
    : http(platform.httpClient()), fetcher(platform.httpClient()),
      documents(platform.pdfReader(), platform.textRecognizer(), platform.thumbnailGenerator()),
      recognizer(platform.textRecognizer()), categorizer(categorizer) {}

void ItemEnricher::stop() {
    http.stopAll();
}

std::optional<Enrichment> ItemEnricher::enrich(const Item& item, const QString& filesDir) {
    std::optional<QString> text;
    std::optional<QString> pageTitle;
    std::optional<QString> thumbFileName;
    std::optional<QString> iconFileName;
    bool isFetchedLink = false;

    // The index is only data: a name that is not a plain name inside "Files"
    // ("../../secret.txt") must never make enrichment read another file.
    const auto storedPath = [&]() -> std::optional<QString> {
        if (!item.fileName || !isPlainStoredName(*item.fileName))
            return std::nullopt;
        return QDir(filesDir).filePath(*item.fileName);
    };

    switch (item.kind) {
    case ItemKind::link: {
        const QUrl url(item.detail, QUrl::StrictMode);
        if (item.detail.isEmpty() || !url.isValid())
            break;
        isFetchedLink = true;
        const PageInfo page = fetcher.fetchPage(url);
        text = page.text;
        pageTitle = page.title;
        thumbFileName =
            fetcher.downloadImage(page.imageURL, previewMaxDimension, u"thumb"_s, filesDir);
        iconFileName = fetcher.downloadImage(page.iconURL, iconMaxDimension, u"icon"_s, filesDir);
        if (!iconFileName)
            iconFileName = fetcher.downloadImage(url.resolved(QUrl(u"/favicon.ico"_s)),
                                                 iconMaxDimension, u"icon"_s, filesDir);
        break;
    }
    case ItemKind::image:
        if (const std::optional<QString> path = storedPath()) {
            if (const std::optional<QImage> image = ImageData::load(*path))
                text = TextRecognition::ocr(recognizer, *image);
        }
        break;
    case ItemKind::file:
        if (const std::optional<QString> path = storedPath()) {
            text = documents.extractFileText(*path);
            thumbFileName = documents.quickLookThumbnail(*path, filesDir);
        }
        break;
    case ItemKind::text:
        break;
    }

    const std::optional<QString> category = categorizer.categorize(
        pageTitle ? *pageTitle : item.title, text ? text : item.text,
        item.kind == ItemKind::link ? std::optional<QString>(item.detail) : std::nullopt);

    if (!isFetchedLink && !text && !thumbFileName && !category)
        return std::nullopt;
    Enrichment enrichment;
    enrichment.id = item.id;
    enrichment.text = text;
    if (pageTitle && !pageTitle->isEmpty())
        enrichment.title = pageTitle;
    enrichment.thumbFileName = thumbFileName;
    enrichment.iconFileName = iconFileName;
    enrichment.category = category;
    return enrichment;
}
