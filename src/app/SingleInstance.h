#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;
class QJsonObject;

// One desktop app per user. The running app listens on a local socket; a
// second start asks it to show its window instead of starting again, and a
// subcommand that changes data is handed to it, so the data folder has one
// writer and the open window sees the change at once.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // What a handed-over subcommand printed and answered. Declined: the app
    // does not run this command (it changes no data), and the client runs
    // it itself.
    struct Reply {
        int status = 1;
        QByteArray out;
        QByteArray err;
        bool declined = false;
    };
    // Self-contained. Without a folder, paths in the arguments are already
    // absolute and the command is one that changes data; with the client's
    // working folder, the app resolves them itself and declines a command
    // that changes nothing.
    struct Request {
        QStringList arguments;
        QByteArray input;
        QString folder;
    };
    // Runs a request and calls done with its reply, now or later, on the
    // main thread.
    using Runner = std::function<void(const Request&, std::function<void(const Reply&)> done)>;

    explicit SingleInstance(QString socketPath);
    ~SingleInstance() override;

    // The socket of the current user's app.
    static QString defaultSocketPath();

    // Starts listening unless another live instance does. False when one does.
    bool listen(Runner runner);

    // Client side: asks a running app to show itself. False when none answers.
    static bool askToShow(const QString& socketPath, int timeoutMs = 1000);
    // Client side: runs a subcommand in the running app; absent when no app
    // listens. While the command runs the app says so every few seconds, so
    // a long one is waited for as long as it takes; an app that stops
    // answering for silenceMs, or ends before it answers, gives a failure
    // (the command may have run: it is not run a second time here).
    static std::optional<Reply> handOver(const QString& socketPath, const Request& request,
                                         int silenceMs = 30000);

    // How often the app tells a waiting client that its command still runs.
    static constexpr int keepAliveMs = 5000;

Q_SIGNALS:
    // Another start asked the app to show its window.
    void showRequested();

private:
    void serve(QLocalSocket* socket);
    void run(QLocalSocket* socket, const QJsonObject& request);

    QString socketPath;
    Runner runner;
    std::unique_ptr<QLocalServer> server;
};
