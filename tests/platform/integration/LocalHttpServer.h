#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QUrl>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 with threads of its own, for tests of
// code that blocks while it fetches (and of the tovik program). Paths (with
// their query) answer what the test routed to them; everything else is 404.
// Plain sockets: the tests link no networking library of Qt's.
class LocalHttpServer {
public:
    struct Response {
        int status = 200;
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers; // extra ones, e.g. Location
        int delayMs = 0;                                  // wait before answering
        int trickleMs = 0; // when set, the body goes out one byte per this many ms
    };

    struct Request {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // names lower-cased
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    void route(const QByteArray& path, Response response);
    void routeHtml(const QByteArray& path, const QByteArray& html);
    void routeImage(const QByteArray& path, const QByteArray& bytes,
                    const QByteArray& contentType = "image/png");
    // path answers with a redirect to location.
    void redirect(const QByteArray& path, const QByteArray& location, int status = 302);

    QUrl url(const QByteArray& path) const;
    quint16 port() const { return listeningPort; }
    QList<Request> requests() const;

private:
    void acceptLoop();
    void serve(int connection);
    bool pause(int milliseconds) const; // false when the server is stopping

    int listener = -1;
    quint16 listeningPort = 0;
    std::atomic<bool> stopping{false};
    std::thread acceptor;
    mutable std::mutex lock;
    std::vector<std::thread> connections;
    QHash<QByteArray, Response> routes;
    QList<Request> received;
};
