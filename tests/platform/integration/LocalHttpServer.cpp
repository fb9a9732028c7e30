#include "platform/integration/LocalHttpServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool sendAll(int connection, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t sent = ::send(connection, data, size_t(size), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

LocalHttpServer::Request parseHead(const QByteArray& head) {
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    LocalHttpServer::Request request{requestLine.value(0), requestLine.value(1), {}};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
    }
    return request;
}

} // namespace

LocalHttpServer::LocalHttpServer() {
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 64) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    listeningPort = ntohs(address.sin_port);
    acceptor = std::thread([this] { acceptLoop(); });
}

LocalHttpServer::~LocalHttpServer() {
    stopping = true;
    if (acceptor.joinable())
        acceptor.join();
    std::vector<std::thread> running;
    {
        const std::lock_guard guard(lock);
        running.swap(connections);
    }
    for (std::thread& connection : running)
        connection.join();
    if (listener >= 0)
        ::close(listener);
}

void LocalHttpServer::acceptLoop() {
    while (!stopping) {
        pollfd waiting{listener, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        const std::lock_guard guard(lock);
        connections.emplace_back([this, connection] {
            serve(connection);
            ::close(connection);
        });
    }
}

bool LocalHttpServer::pause(int milliseconds) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        if (stopping)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !stopping;
}

void LocalHttpServer::serve(int connection) {
    QByteArray head;
    while (!head.contains("\r\n\r\n")) {
        pollfd waiting{connection, POLLIN, 0};
        if (stopping || ::poll(&waiting, 1, 50) < 0)
            return;
        if (!(waiting.revents & (POLLIN | POLLHUP)))
            continue;
        char buffer[4096];
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        head.append(buffer, got);
    }
    const Request request = parseHead(head.left(head.indexOf("\r\n\r\n")));
    Response response;
    {
        const std::lock_guard guard(lock);
        received.append(request);
        const auto found = routes.constFind(request.path);
        if (found != routes.constEnd()) {
            response = *found;
        } else {
            response.status = 404;
            response.body = "<html><title>Not found</title><body>Nothing here</body></html>";
        }
    }
    if (!pause(response.delayMs))
        return;
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
    out += "Content-Type: " + response.contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    for (const auto& [name, value] : response.headers)
        out += name + ": " + value + "\r\n";
    out += "Connection: close\r\n\r\n";
    if (response.trickleMs <= 0) {
        out += response.body;
        sendAll(connection, out.constData(), out.size());
        return;
    }
    if (!sendAll(connection, out.constData(), out.size()))
        return;
    for (const char byte : std::as_const(response.body)) {
        if (!pause(response.trickleMs) || !sendAll(connection, &byte, 1))
            return;
    }
}

void LocalHttpServer::route(const QByteArray& path, Response response) {
    const std::lock_guard guard(lock);
    routes.insert(path, std::move(response));
}

void LocalHttpServer::routeHtml(const QByteArray& path, const QByteArray& html) {
    Response response;
    response.body = html;
    route(path, response);
}

void LocalHttpServer::routeImage(const QByteArray& path, const QByteArray& bytes,
                                 const QByteArray& contentType) {
    Response response;
    response.body = bytes;
    response.contentType = contentType;
    route(path, response);
}

void LocalHttpServer::redirect(const QByteArray& path, const QByteArray& location, int status) {
    Response response;
    response.status = status;
    response.headers.append({"Location", location});
    route(path, response);
}

QUrl LocalHttpServer::url(const QByteArray& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(listeningPort) + QString::fromUtf8(path));
}

QList<LocalHttpServer::Request> LocalHttpServer::requests() const {
    const std::lock_guard guard(lock);
    return received;
}
