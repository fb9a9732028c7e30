#include "platform/ApplicationId.h"

#include <QByteArray>
#include <QFileInfo>
#include <QList>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
// Browsers are recognised by the names their packages give the executable.
// Wrapper scripts and the binary they start differ ("chromium" runs
// ".../chromium/chromium", "firefox-esr" runs "firefox-esr" or "firefox").
const std::pair<QLatin1StringView, QLatin1StringView> kKnownExecutables[] = {
    {"chromium"_L1, "org.chromium.Chromium"_L1},
    {"chromium-browser"_L1, "org.chromium.Chromium"_L1},
    {"chrome"_L1, "com.google.Chrome"_L1},
    {"google-chrome"_L1, "com.google.Chrome"_L1},
    {"google-chrome-stable"_L1, "com.google.Chrome"_L1},
    {"brave"_L1, "com.brave.Browser"_L1},
    {"brave-browser"_L1, "com.brave.Browser"_L1},
    {"microsoft-edge"_L1, "com.microsoft.edgemac"_L1},
    {"msedge"_L1, "com.microsoft.edgemac"_L1},
    {"vivaldi"_L1, "com.vivaldi.Vivaldi"_L1},
    {"vivaldi-bin"_L1, "com.vivaldi.Vivaldi"_L1},
    {"opera"_L1, "com.operasoftware.Opera"_L1},
    {"firefox"_L1, "org.mozilla.firefox"_L1},
    {"firefox-esr"_L1, "org.mozilla.firefox"_L1},
    {"firefox-bin"_L1, "org.mozilla.firefox"_L1},
};
} // namespace

QString ApplicationId::fromProcess(const QStringList& executableNames, const QString& flatpakId) {
    if (!flatpakId.isEmpty())
        return flatpakId;
    for (const QString& name : executableNames) {
        const QString base = QFileInfo(name).fileName();
        for (const auto& [executable, id] : kKnownExecutables) {
            if (base == executable)
                return id;
        }
    }
    for (const QString& name : executableNames) {
        const QString base = QFileInfo(name).fileName();
        if (!base.isEmpty())
            return base;
    }
    return {};
}

QString ApplicationId::flatpakIdFromInfo(const QByteArray& flatpakInfo) {
    bool inApplication = false;
    for (const QByteArray& raw : flatpakInfo.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inApplication = line == "[Application]";
            continue;
        }
        if (inApplication && line.startsWith("name=")) {
            return QString::fromUtf8(line.mid(5)).trimmed();
        }
    }
    return {};
}
