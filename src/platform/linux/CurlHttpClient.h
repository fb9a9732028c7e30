#pragma once

#include "platform/HttpClient.h"

#include <atomic>

// HttpClient over libcurl: one easy handle per request on the calling thread.
class CurlHttpClient final : public HttpClient {
public:
    CurlHttpClient();

    std::optional<QByteArray> fetchData(const QUrl& url, qint64 maxBytes,
                                        std::chrono::seconds timeout,
                                        QString* failure = nullptr) override;
    void stopAll() override;

private:
    std::atomic<bool> stopped{false};
};
