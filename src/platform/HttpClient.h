#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <chrono>
#include <optional>

// Fetches a resource over HTTP(S), blocking the calling thread. Only ever
// called from background threads.
class HttpClient {
public:
    virtual ~HttpClient() = default;

    // The bytes of a GET of url, cut to their first maxBytes (a longer body is
    // not rejected). Absent when the scheme is not http or https (also after a
    // redirect), on a network failure, when the server answers with status 400
    // or higher, or when the whole exchange takes longer than timeout plus a
    // few seconds of grace; timeout alone bounds connecting and any stall.
    // When absent, failure (if given) says what went wrong in a few words.
    virtual std::optional<QByteArray> fetchData(const QUrl& url, qint64 maxBytes,
                                                std::chrono::seconds timeout,
                                                QString* failure = nullptr) = 0;

    // Ends every running fetch and makes every later one fail at once; for
    // quitting, so no thread waits out a slow server. Safe from any thread.
    virtual void stopAll() = 0;

    // The user agent every request carries.
    static constexpr const char* userAgent = "Mozilla/5.0 (Macintosh) Lumavex/1.0";
    // How long past the request's own time-out the whole exchange may take.
    static constexpr std::chrono::seconds grace{3};
};
