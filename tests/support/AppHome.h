#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A home of the test's own for the desktop app: data, settings and a private
// runtime folder (where its single-instance socket lives), and the
// environment that names them.
class AppHome {
public:
    AppHome();

    QString path(const QString& relative) const { return dir.filePath(relative); }
    // The session's environment with the app's folders in this home.
    QProcessEnvironment environment() const;

    // Starts the tovik executable with env and waits until its socket is
    // there, which it makes once it is ready for commands.
    bool start(QProcess& app, const QProcessEnvironment& env, int timeoutMs = 20000) const;
    // Asks the app to quit, and kills it if it does not.
    static void stop(QProcess& app);

private:
    QTemporaryDir dir;
};
