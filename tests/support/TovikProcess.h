#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

// Runs the built tovik executable the way a user would from a shell.
struct TovikRun {
    int exitStatus = -1;
    QByteArray out;
    QByteArray err;
};

TovikRun runTovik(const QStringList& arguments, const QByteArray& input = {},
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                  int timeoutMs = 30000);
