#include "support/TovikProcess.h"

#include <QProcess>

TovikRun runTovik(const QStringList& arguments, const QByteArray& input,
                  const QProcessEnvironment& environment, int timeoutMs) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TOVIK_BINARY), arguments);
    TovikRun run;
    if (!process.waitForStarted(timeoutMs))
        return run;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitStatus = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
