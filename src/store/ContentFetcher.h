#pragma once

#include "store/PageInfo.h"

#include <QString>
#include <QUrl>
#include <chrono>
#include <optional>

class HttpClient;

// Web content for stored items: a link's page, and its preview and icon
// images stored downscaled as PNG. Blocks the calling background thread.
class ContentFetcher {
public:
    static constexpr qint64 pageMaxBytes = 3'000'000;
    static constexpr std::chrono::seconds pageTimeout{12};
    static constexpr qint64 imageMaxBytes = 8'000'000;
    static constexpr std::chrono::seconds imageTimeout{10};

    explicit ContentFetcher(HttpClient& http);

    // Every field absent when the page cannot be fetched or decoded; failure
    // (if given) then says why it could not be fetched.
    PageInfo fetchPage(const QUrl& url, QString* failure = nullptr) const;

    // Fetches, decodes and downscales the image at url and writes it as
    // UUID + "-" + prefix + ".png" into filesDir; its name, or absent when
    // there is no url, the fetch or decode fails, the image is at most one
    // pixel wide (a tracking pixel) or the write fails.
    std::optional<QString> downloadImage(const std::optional<QUrl>& url, int maxDimension,
                                         const QString& prefix, const QString& filesDir) const;

private:
    HttpClient& http;
};
