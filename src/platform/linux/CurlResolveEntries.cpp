// CurlHttpClient's reading of TOVIK_RESOLVE. It lives apart from the client
// because the app reads it at start, before libcurl (in the content readers
// module) is loaded.
#include "platform/Environment.h"
#include "platform/linux/CurlHttpClient.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

QStringList CurlHttpClient::resolveFromEnvironment(const Environment& environment) {
    const std::optional<QString> value = environment.value(u"TOVIK_RESOLVE"_s);
    if (!value)
        return {};
    // host:port:… starts an entry (also +host for a time-limited one and
    // -host for a removal); [::1] or 10.0.0.2 alone continues the last one.
    static const QRegularExpression startsEntry(u"^[-+]?[^:\\[\\]]+:[0-9]+(:|$)"_s);
    QStringList entries;
    for (const QString& piece : value->split(u',')) {
        const QString trimmed = piece.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (startsEntry.match(trimmed).hasMatch() || entries.isEmpty())
            entries.append(trimmed);
        else
            entries.last() += u',' + trimmed;
    }
    return entries;
}
