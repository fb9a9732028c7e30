#pragma once

#include "platform/HttpClient.h"

#include <QHash>
#include <QList>
#include <mutex>

// Answers from a table set by the test: the body for a URL, cut to the
// request's byte cap; unknown addresses (and non-http ones) fail.
class MemoryHttpClient final : public HttpClient {
public:
    struct Request {
        QUrl url;
        qint64 maxBytes = 0;
        std::chrono::seconds timeout{0};
    };

    std::optional<QByteArray> fetchData(const QUrl& url, qint64 maxBytes,
                                        std::chrono::seconds timeout,
                                        QString* failure = nullptr) override {
        const std::lock_guard guard(lock);
        requestLog.append({url, maxBytes, timeout});
        const auto found = bodies.constFind(url);
        if (found == bodies.constEnd()) {
            if (failure)
                *failure = QStringLiteral("not served");
            return std::nullopt;
        }
        return found->left(maxBytes);
    }

    void stopAll() override {}

    void serve(const QUrl& url, const QByteArray& body) {
        const std::lock_guard guard(lock);
        bodies.insert(url, body);
    }

    QList<Request> requests() const {
        const std::lock_guard guard(lock);
        return requestLog;
    }

private:
    mutable std::mutex lock;
    QHash<QUrl, QByteArray> bodies;
    QList<Request> requestLog;
};
