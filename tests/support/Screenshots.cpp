#include "support/Screenshots.h"

#include <QDir>
#include <QFileInfo>

QString screenshotDir() {
    QString dir = qEnvironmentVariable("TOVIK_SCREENSHOT_DIR");
    if (dir.isEmpty())
        dir = QFileInfo(QStringLiteral(TOVIK_BINARY)).absolutePath() +
              QStringLiteral("/../screenshots");
    QDir().mkpath(dir);
    return QDir::cleanPath(dir);
}
