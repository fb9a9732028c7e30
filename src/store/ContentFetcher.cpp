#include "store/ContentFetcher.h"

#include "platform/HttpClient.h"
#include "store/ImageData.h"
#include "store/PageParser.h"
#include "store/StoredFile.h"

using namespace Qt::StringLiterals;

ContentFetcher::ContentFetcher(HttpClient& http) : http(http) {}

PageInfo ContentFetcher::fetchPage(const QUrl& url, QString* failure) const {
    const std::optional<QByteArray> bytes = http.fetchData(url, pageMaxBytes, pageTimeout, failure);
    if (!bytes)
        return {};
    return PageParser::parse(*bytes, url);
}

std::optional<QString> ContentFetcher::downloadImage(const std::optional<QUrl>& url,
                                                     int maxDimension, const QString& prefix,
                                                     const QString& filesDir) const {
    if (!url)
        return std::nullopt;
    const std::optional<QByteArray> bytes = http.fetchData(*url, imageMaxBytes, imageTimeout);
    if (!bytes)
        return std::nullopt;
    const std::optional<QImage> image = ImageData::decode(*bytes, maxDimension);
    if (!image || image->width() <= 1)
        return std::nullopt;
    return StoredFile::writePng(filesDir, u"-"_s + prefix + u".png"_s,
                                ImageData::downscale(*image, maxDimension));
}
