#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

// One desktop app per user. The running app listens on a local socket; a
// second start asks it to show its window instead of starting again, and a
// subcommand that changes data is handed to it, so the data folder has one
// writer and the open window sees the change at once.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // What a handed-over subcommand printed and answered.
    struct Reply {
        int status = 1;
        QByteArray out;
        QByteArray err;
    };
    struct Request {
        QStringList arguments;
        QByteArray input;
        QString workingDirectory;
    };
    using Runner = std::function<Reply(const Request&)>;

    explicit SingleInstance(QString socketPath);
    ~SingleInstance() override;

    // The socket of the current user's app.
    static QString defaultSocketPath();

    // Starts listening unless another live instance does. False when one does.
    bool listen(Runner runner);

    // Client side: asks a running app to show itself. False when none answers.
    static bool askToShow(const QString& socketPath, int timeoutMs = 1000);
    // Client side: runs a subcommand in the running app; absent when none answers.
    static std::optional<Reply> handOver(const QString& socketPath, const Request& request,
                                         int timeoutMs = 30000);

Q_SIGNALS:
    // Another start asked the app to show its window.
    void showRequested();

private:
    void serve(QLocalSocket* socket);

    QString socketPath;
    Runner runner;
    std::unique_ptr<QLocalServer> server;
};
