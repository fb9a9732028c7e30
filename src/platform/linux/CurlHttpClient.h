#pragma once

#include "platform/HttpClient.h"

#include <QStringList>
#include <atomic>

class Environment;

// HttpClient over libcurl: one easy handle per request on the calling thread.
class CurlHttpClient final : public HttpClient {
public:
    // resolve: curl's --resolve entries ("host:port:address"), each making
    // host:port reach address instead of what the name resolves to.
    explicit CurlHttpClient(QStringList resolve = {});

    // The entries of TOVIK_RESOLVE: curl's --resolve syntax, comma-separated
    // ("www.linkedin.com:443:127.0.0.1,x.com:80:127.0.0.1"). A piece that is
    // only an address adds it to the entry before, as curl's own list does.
    static QStringList resolveFromEnvironment(const Environment& environment);

    std::optional<QByteArray> fetchData(const QUrl& url, qint64 maxBytes,
                                        std::chrono::seconds timeout,
                                        QString* failure = nullptr) override;
    void stopAll() override;

private:
    std::atomic<bool> stopped{false};
    QList<QByteArray> resolveEntries;
};
