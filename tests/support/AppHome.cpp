#include "support/AppHome.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

AppHome::AppHome() {
    QDir().mkpath(path(u"runtime"_s));
    QFile::setPermissions(path(u"runtime"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QProcessEnvironment AppHome::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_DATA_HOME"_s, path(u"data"_s));
    env.insert(u"XDG_CONFIG_HOME"_s, path(u"config"_s));
    env.insert(u"XDG_RUNTIME_DIR"_s, path(u"runtime"_s));
    return env;
}

bool AppHome::start(QProcess& app, const QProcessEnvironment& env, int timeoutMs) const {
    const QDir runtime(path(u"runtime"_s));
    const auto socket = [&runtime] {
        return runtime.entryList({u"com.nivo.lumavex.*.socket"_s}, QDir::System);
    };
    // A socket left by an earlier run would answer before this one is ready.
    for (const QString& stale : socket())
        QFile::remove(runtime.filePath(stale));
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(TOVIK_BINARY), {});
    if (!app.waitForStarted())
        return false;
    return QTest::qWaitFor([&] { return !socket().isEmpty(); }, timeoutMs);
}

void AppHome::stop(QProcess& app) {
    if (app.state() == QProcess::NotRunning)
        return;
    app.terminate();
    if (!app.waitForFinished(10000))
        app.kill();
    app.waitForFinished();
}
