#include "app/cli/FetchProfileCommand.h"

#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "network/ProfileFetcher.h"
#include "platform/HttpClient.h"
#include "platform/Platform.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <ostream>

using namespace Qt::StringLiterals;

namespace {

QJsonValue orNull(const std::optional<QString>& text) {
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

} // namespace

FetchProfileCommand::FetchProfileCommand(HttpClient* http) : http(http) {}

QString FetchProfileCommand::name() const {
    return u"fetch-profile"_s;
}

QString FetchProfileCommand::summary() const {
    return u"Print the name, company and picture address a social-profile link gives."_s;
}

int FetchProfileCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(
        name(),
        summary() +
            u"\nReads the page of URL (LinkedIn, X, Instagram or any other page; \"https://\" is "
            "put in front of a link without a scheme) as the person sheet's Autofill does, and "
            "prints {\"name\", \"company\", \"avatarURL\"}, each null when the page does not give "
            "it. A name the page does not give is made from the link itself."_s,
        u"URL"_s);
    parser.options().addPositionalArgument(u"URL"_s, u"A profile link."_s);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList positional = parser.options().positionalArguments();
    if (positional.isEmpty())
        return parser.usageError(u"a URL is required"_s, streams);
    if (positional.size() > 1)
        return parser.usageError(u"unexpected argument "_s + quoted(positional.at(1)), streams);

    HttpClient& client = http ? *http : Platform::current().httpClient();
    const FetchedProfile profile = ProfileFetcher(client).fetch(positional.first());
    const std::optional<QString> avatar =
        profile.avatarRemoteURL
            ? std::optional<QString>(QString::fromUtf8(profile.avatarRemoteURL->toEncoded()))
            : std::nullopt;
    const QJsonObject answer{{u"name"_s, orNull(profile.name)},
                             {u"company"_s, orNull(profile.company)},
                             {u"avatarURL"_s, orNull(avatar)}};
    const QByteArray json = QJsonDocument(answer).toJson(QJsonDocument::Compact);
    streams.out.write(json.constData(), json.size());
    streams.out << '\n';
    return ExitStatus::success;
}
