#include "app/cli/CategorizeCommand.h"

#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "organise/Categorizer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <istream>
#include <ostream>
#include <string>

using namespace Qt::StringLiterals;

QString CategorizeCommand::name() const {
    return u"categorize"_s;
}

QString CategorizeCommand::summary() const {
    return u"Print the automatic category of a title, text and web address."_s;
}

namespace {

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray errorLine(const QString& message) {
    return compact(QJsonObject{{u"error"_s, message}});
}

// An optional string member: absent or null is absent; anything else but a
// string is an error, reported through ok.
std::optional<QString> optionalMember(const QJsonObject& object, const QString& key, bool& ok) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isString()) {
        ok = false;
        return std::nullopt;
    }
    return value.toString();
}

} // namespace

QByteArray CategorizeCommand::answerLine(const QByteArray& line) const {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError)
        return errorLine(u"not JSON: "_s + error.errorString());
    if (!document.isObject())
        return errorLine(u"not a JSON object"_s);
    const QJsonObject object = document.object();
    const QJsonValue title = object.value(u"title"_s);
    if (!title.isString())
        return errorLine(title.isUndefined() ? u"missing \"title\""_s
                                             : u"\"title\" is not a string"_s);
    bool ok = true;
    const std::optional<QString> text = optionalMember(object, u"text"_s, ok);
    if (!ok)
        return errorLine(u"\"text\" is not a string"_s);
    const std::optional<QString> url = optionalMember(object, u"url"_s, ok);
    if (!ok)
        return errorLine(u"\"url\" is not a string"_s);

    const std::optional<QString> category =
        Categorizer::shared().categorize(title.toString(), text, url);
    return compact(QJsonObject{
        {u"category"_s, category ? QJsonValue(*category) : QJsonValue(QJsonValue::Null)}});
}

int CategorizeCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(
        name(), summary() +
                    u"\nPrints the category, or nothing when none fits.\n"
                    "With --jsonl, reads lines {\"title\": …, \"text\": …, \"url\": …} from "
                    "standard input and writes {\"category\": …} for each."_s);
    const QCommandLineOption titleOption(u"title"_s, u"The item's title."_s, u"T"_s);
    const QCommandLineOption textOption(u"text"_s, u"The item's text."_s, u"X"_s);
    const QCommandLineOption urlOption(u"url"_s, u"The item's web address."_s, u"U"_s);
    const QCommandLineOption jsonlOption(u"jsonl"_s,
                                         u"Categorize JSON lines from standard input."_s);
    parser.options().addOptions({titleOption, textOption, urlOption, jsonlOption});
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    QCommandLineParser& options = parser.options();

    if (options.isSet(jsonlOption)) {
        if (options.isSet(titleOption) || options.isSet(textOption) || options.isSet(urlOption))
            return parser.usageError(u"--jsonl reads everything from standard input"_s, streams);
        std::string line;
        while (std::getline(streams.in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.find_first_not_of(" \t") == std::string::npos)
                continue;
            const QByteArray answer = answerLine(QByteArray::fromStdString(line));
            streams.out.write(answer.constData(), answer.size());
            streams.out << '\n' << std::flush;
        }
        return ExitStatus::success;
    }

    if (!options.isSet(titleOption))
        return parser.usageError(u"--title is required"_s, streams);
    auto optionalValue = [&options](const QCommandLineOption& option) -> std::optional<QString> {
        if (!options.isSet(option))
            return std::nullopt;
        return options.value(option);
    };
    const std::optional<QString> category = Categorizer::shared().categorize(
        options.value(titleOption), optionalValue(textOption), optionalValue(urlOption));
    if (category)
        writeUtf8(streams.out, *category + u'\n');
    return ExitStatus::success;
}
