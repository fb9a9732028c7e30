#include "app/cli/FetchPageCommand.h"

#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "platform/HttpClient.h"
#include "platform/Platform.h"
#include "store/ContentFetcher.h"

#include <QJsonDocument>
#include <ostream>

using namespace Qt::StringLiterals;

FetchPageCommand::FetchPageCommand(HttpClient* http) : http(http) {}

QString FetchPageCommand::name() const {
    return u"fetch-page"_s;
}

QString FetchPageCommand::summary() const {
    return u"Print a web page's title, text, preview image and icon as JSON."_s;
}

int FetchPageCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(),
                         summary() +
                             u"\nFetches URL as a kept link would be read and prints "
                             "{\"title\", \"text\", \"imageURL\", \"iconURL\"}, each null when "
                             "the page does not give it. When the page cannot be fetched (no "
                             "answer, an error status) it says why and exits with status 1."_s,
                         u"URL"_s);
    parser.options().addPositionalArgument(u"URL"_s, u"An http or https address."_s);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList positional = parser.options().positionalArguments();
    if (positional.isEmpty())
        return parser.usageError(u"a URL is required"_s, streams);
    if (positional.size() > 1)
        return parser.usageError(u"unexpected argument "_s + quoted(positional.at(1)), streams);
    const QUrl url(positional.first(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return parser.usageError(quoted(positional.first()) + u" is not an http or https URL"_s,
                                 streams);

    HttpClient& client = http ? *http : Platform::current().httpClient();
    QString failure;
    const PageInfo page = ContentFetcher(client).fetchPage(url, &failure);
    if (!failure.isEmpty()) {
        writeUtf8(streams.err, u"tovik fetch-page: cannot fetch "_s + quoted(positional.first()) +
                                   u": "_s + failure + u'\n');
        return ExitStatus::failure;
    }
    const QByteArray json = QJsonDocument(page.toJson()).toJson(QJsonDocument::Compact);
    streams.out.write(json.constData(), json.size());
    streams.out << '\n';
    return ExitStatus::success;
}
