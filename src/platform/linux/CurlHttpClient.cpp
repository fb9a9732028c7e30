#include "platform/linux/CurlHttpClient.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

struct Body {
    QByteArray bytes;
    qint64 maxBytes = 0;
    bool cut = false;
};

// Keeps at most maxBytes; answering fewer bytes than offered makes libcurl
// stop the transfer with CURLE_WRITE_ERROR, which fetchData then treats as
// a complete (cut) answer rather than a failure.
size_t appendBody(char* data, size_t size, size_t count, void* userData) {
    auto* body = static_cast<Body*>(userData);
    const qint64 offered = qint64(size * count);
    const qint64 room = body->maxBytes - body->bytes.size();
    if (offered > room) {
        body->bytes.append(data, room);
        body->cut = true;
        return size_t(room);
    }
    body->bytes.append(data, offered);
    return size_t(offered);
}

// libcurl asks this several times a second during a transfer (and while it
// connects); a non-zero answer ends the transfer with CURLE_ABORTED_BY_CALLBACK.
int abortWhenStopped(void* stopped, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(stopped)->load() ? 1 : 0;
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

CurlHttpClient::CurlHttpClient(QStringList resolve) {
    for (const QString& entry : std::as_const(resolve))
        resolveEntries.append(entry.toUtf8());
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void CurlHttpClient::stopAll() {
    stopped = true;
}

std::optional<QByteArray> CurlHttpClient::fetchData(const QUrl& url, qint64 maxBytes,
                                                    std::chrono::seconds timeout,
                                                    QString* failure) {
    const auto fail = [failure](const QString& why) -> std::optional<QByteArray> {
        if (failure)
            *failure = why;
        return std::nullopt;
    };
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || maxBytes < 0)
        return fail(u"not an http or https address"_s);
    if (stopped)
        return fail(u"stopped"_s);

    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle)
        return fail(u"the HTTP client could not start"_s);
    CURL* curl = handle.get();

    const QByteArray address = url.toEncoded();
    Body body;
    body.maxBytes = maxBytes;
    // curl adds "Accept: */*" unless told otherwise; requests carry the user
    // agent and nothing else of ours.
    std::unique_ptr<curl_slist, ListDeleter> headers(curl_slist_append(nullptr, "Accept:"));
    // Tests serve pages of real host names (a profile site) from 127.0.0.1.
    curl_slist* resolveList = nullptr;
    for (const QByteArray& entry : std::as_const(resolveEntries))
        resolveList = curl_slist_append(resolveList, entry.constData());
    std::unique_ptr<curl_slist, ListDeleter> resolve(resolveList);
    const long timeoutSeconds = long(timeout.count());

    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    if (resolve)
        curl_easy_setopt(curl, CURLOPT_RESOLVE, resolve.get());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, HttpClient::userAgent);
    // Neither a page nor a redirect may lead to file:, ftp:, dict: and the like.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 16L);
    // The request's time-out bounds connecting and any stall in the transfer
    // (less than one byte a second for that long); the grace on top bounds
    // the whole exchange, so a server trickling bytes cannot hold us forever.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS,
                     long(std::chrono::milliseconds(timeout + HttpClient::grace).count()));
    // Signals are not safe on a background thread; the threaded resolver
    // honours the time-outs without them.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abortWhenStopped);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stopped);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);

    const CURLcode result = curl_easy_perform(curl);
    if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && body.cut))
        return fail(QString::fromUtf8(curl_easy_strerror(result)));
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400)
        return fail(u"the server answered HTTP "_s + QString::number(status));
    return body.bytes;
}
