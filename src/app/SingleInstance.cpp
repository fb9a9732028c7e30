#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// One JSON object per line in each direction; bytes travel as base64.
QByteArray line(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QJsonObject> exchange(const QString& socketPath, const QJsonObject& message,
                                    int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(std::min(timeoutMs, 1000)))
        return std::nullopt;
    socket.write(line(message));
    socket.flush();
    QByteArray received;
    while (!received.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs))
            return std::nullopt;
        received += socket.readAll();
    }
    const QJsonDocument document = QJsonDocument::fromJson(received.left(received.indexOf('\n')));
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace

SingleInstance::SingleInstance(QString socketPath) : socketPath(std::move(socketPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultSocketPath() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir(runtime).exists())
        runtime = QDir::tempPath();
    return runtime + u"/com.nivo.lumavex."_s + QString::number(::getuid()) + u".socket"_s;
}

bool SingleInstance::listen(Runner serveRunner) {
    // A live app answers; a socket file left by a crashed one does not.
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    if (probe.waitForConnected(500))
        return false;
    QLocalServer::removeServer(socketPath);

    runner = std::move(serveRunner);
    server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath))
        return false;
    connect(server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
    return true;
}

void SingleInstance::serve(QLocalSocket* socket) {
    if (!socket->canReadLine())
        return;
    const QJsonDocument document = QJsonDocument::fromJson(socket->readLine());
    const QJsonObject request = document.object();
    const QString command = request.value(u"command"_s).toString();
    QJsonObject answer;
    if (command == u"show"_s) {
        answer.insert(u"status"_s, 0);
        socket->write(line(answer));
        socket->flush();
        Q_EMIT showRequested();
        return;
    }
    if (command == u"run"_s && runner) {
        run(socket, request);
        return;
    } else {
        answer.insert(u"status"_s, 2);
        answer.insert(u"err"_s,
                      QString::fromLatin1(QByteArray("tovik: unknown request\n").toBase64()));
    }
    socket->write(line(answer));
    socket->flush();
}

void SingleInstance::run(QLocalSocket* socket, const QJsonObject& request) {
    Request run;
    for (const QJsonValue& argument : request.value(u"arguments"_s).toArray())
        run.arguments.append(argument.toString());
    run.input = QByteArray::fromBase64(request.value(u"input"_s).toString().toLatin1());
    run.folder = request.value(u"folder"_s).toString();

    // Until the reply, the client hears every few seconds that the command
    // still runs; the timer dies with the socket when the client goes away.
    QPointer<QLocalSocket> client(socket);
    auto* keepAlive = new QTimer(socket);
    keepAlive->setInterval(keepAliveMs);
    connect(keepAlive, &QTimer::timeout, socket, [socket] {
        socket->write(line(QJsonObject{{u"working"_s, true}}));
        socket->flush();
    });
    keepAlive->start();
    runner(run, [client, keepAlive](const Reply& reply) {
        if (!client)
            return;
        keepAlive->deleteLater();
        keepAlive->stop();
        QJsonObject answer{
            {u"status"_s, reply.status},
            {u"out"_s, QString::fromLatin1(reply.out.toBase64())},
            {u"err"_s, QString::fromLatin1(reply.err.toBase64())},
        };
        if (reply.declined)
            answer.insert(u"declined"_s, true);
        client->write(line(answer));
        client->flush();
    });
}

bool SingleInstance::askToShow(const QString& socketPath, int timeoutMs) {
    return exchange(socketPath, QJsonObject{{u"command"_s, u"show"_s}}, timeoutMs).has_value();
}

std::optional<SingleInstance::Reply>
SingleInstance::handOver(const QString& socketPath, const Request& request, int silenceMs) {
    QJsonObject message{
        {u"command"_s, u"run"_s},
        {u"arguments"_s, QJsonArray::fromStringList(request.arguments)},
        {u"input"_s, QString::fromLatin1(request.input.toBase64())},
    };
    if (!request.folder.isEmpty())
        message.insert(u"folder"_s, request.folder);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(1000))
        return std::nullopt; // no app: the command runs here
    socket.write(line(message));
    socket.flush();

    Reply reply;
    std::optional<QJsonObject> answer;
    QByteArray received;
    while (!answer) {
        const qsizetype end = received.indexOf('\n');
        if (end < 0) {
            if (!socket.waitForReadyRead(silenceMs)) {
                reply.err = socket.state() == QLocalSocket::ConnectedState
                                ? "tovik: the running app stopped answering\n"
                                : "tovik: the running app ended before it answered\n";
                return reply;
            }
            received += socket.readAll();
            continue;
        }
        const QJsonObject object = QJsonDocument::fromJson(received.left(end)).object();
        received.remove(0, end + 1);
        if (!object.contains(u"working"_s))
            answer = object;
    }
    reply.status = answer->value(u"status"_s).toInt(1);
    reply.out = QByteArray::fromBase64(answer->value(u"out"_s).toString().toLatin1());
    reply.err = QByteArray::fromBase64(answer->value(u"err"_s).toString().toLatin1());
    reply.declined = answer->value(u"declined"_s).toBool();
    return reply;
}
