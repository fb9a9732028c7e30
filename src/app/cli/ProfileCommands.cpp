#include "app/cli/ProfileCommands.h"

#include "app/AppServices.h"
#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "autofill/FieldMatcher.h"
#include "autofill/ProfileStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <istream>
#include <ostream>
#include <string>

using namespace Qt::StringLiterals;

namespace {
void writeJson(std::ostream& out, const QJsonValue& value) {
    const QByteArray bytes = value.isObject()
                                 ? QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact)
                                 : QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    out.write(bytes.constData(), bytes.size());
    out << '\n';
}

QString fieldList() {
    QStringList ids;
    for (const ProfileField f : ProfileFields::all())
        ids.append(ProfileFields::id(f));
    return ids.join(u", "_s);
}
} // namespace

QString ProfileCommand::name() const {
    return u"profile"_s;
}

QString ProfileCommand::summary() const {
    return u"Show or change the details autofill types and the answers it learned."_s;
}

int ProfileCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(
        name(),
        summary() +
            u"\n  profile [--json]                    the values and the learned answers\n"
            "  profile set FIELD VALUE             an empty VALUE removes the field\n"
            "  profile fill FIELD | --custom KEY   the value autofill would type (exit 1: none)\n"
            "  profile learn FIELD TEXT            learn TEXT as autofill would; prints "
            "true/false\n"
            "  profile learn --custom KEY --label LABEL TEXT\n"
            "  profile forget KEY                  forget a learned answer\n"
            "FIELD is one of: "_s +
            fieldList() + u"."_s,
        u"[ACTION ARG…]"_s);
    const QCommandLineOption json(u"json"_s, u"Print JSON."_s);
    const QCommandLineOption custom(u"custom"_s, u"A learned answer's key."_s, u"KEY"_s);
    const QCommandLineOption label(u"label"_s, u"The question of a learned answer."_s, u"LABEL"_s);
    parser.options().addOption(json);
    parser.options().addOption(custom);
    parser.options().addOption(label);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    QStringList args = parser.options().positionalArguments();
    ProfileStore& store = profile ? *profile : AppServices::current().profileStore();
    const QString action = args.isEmpty() ? QString() : args.takeFirst();
    const auto field = [&](const QString& id) -> std::optional<ProfileField> {
        return ProfileFields::fromId(id);
    };

    if (action.isEmpty()) {
        if (!args.isEmpty())
            return parser.usageError(u"unexpected argument "_s + quoted(args.first()), streams);
        if (parser.options().isSet(json)) {
            QJsonObject values;
            for (auto it = store.values().cbegin(); it != store.values().cend(); ++it) {
                if (ProfileFields::fromId(it.key()))
                    values.insert(it.key(), it.value());
            }
            QJsonArray learned;
            for (const LearnedAnswer& a : store.learned())
                learned.append(
                    QJsonObject{{u"key"_s, a.key}, {u"label"_s, a.label}, {u"value"_s, a.value}});
            writeJson(streams.out, QJsonObject{{u"values"_s, values}, {u"learned"_s, learned}});
            return ExitStatus::success;
        }
        for (const ProfileField f : ProfileFields::all()) {
            const QString value = store.raw(f);
            if (!value.isEmpty())
                writeUtf8(streams.out, ProfileFields::id(f) + u": "_s + quoted(value) + u'\n');
        }
        for (const LearnedAnswer& a : store.learned())
            writeUtf8(streams.out,
                      quoted(a.label) + u" ("_s + a.key + u"): "_s + quoted(a.value) + u'\n');
        return ExitStatus::success;
    }
    if (action == u"set") {
        if (args.size() != 2)
            return parser.usageError(u"set needs FIELD and VALUE"_s, streams);
        const auto f = field(args[0]);
        if (!f)
            return parser.usageError(quoted(args[0]) + u" is not a field ("_s + fieldList() + u')',
                                     streams);
        store.set(args[1], *f);
        return ExitStatus::success;
    }
    if (action == u"fill") {
        std::optional<QString> value;
        if (parser.options().isSet(custom)) {
            if (!args.isEmpty())
                return parser.usageError(u"fill --custom KEY takes nothing else"_s, streams);
            value = store.fillValue(FillTarget::custom(parser.options().value(custom), {}));
        } else {
            if (args.size() != 1)
                return parser.usageError(u"fill needs FIELD or --custom KEY"_s, streams);
            const auto f = field(args[0]);
            if (!f)
                return parser.usageError(quoted(args[0]) + u" is not a field"_s, streams);
            value = store.fillValue(*f);
        }
        if (!value)
            return ExitStatus::failure;
        writeUtf8(streams.out, *value + u'\n');
        return ExitStatus::success;
    }
    if (action == u"learn") {
        bool learned = false;
        if (parser.options().isSet(custom)) {
            if (!parser.options().isSet(label) || args.size() != 1)
                return parser.usageError(u"learn --custom KEY --label LABEL TEXT"_s, streams);
            learned = store.learn(args[0], FillTarget::custom(parser.options().value(custom),
                                                              parser.options().value(label)));
        } else {
            if (args.size() != 2)
                return parser.usageError(u"learn needs FIELD and TEXT"_s, streams);
            const auto f = field(args[0]);
            if (!f)
                return parser.usageError(quoted(args[0]) + u" is not a field"_s, streams);
            learned = store.learn(args[1], FillTarget::profile(*f));
        }
        streams.out << (learned ? "true\n" : "false\n");
        return ExitStatus::success;
    }
    if (action == u"forget") {
        if (args.size() != 1)
            return parser.usageError(u"forget needs KEY"_s, streams);
        store.removeLearned(args[0]);
        return ExitStatus::success;
    }
    return parser.usageError(u"unknown action "_s + quoted(action), streams);
}

QString FieldCommand::name() const {
    return u"field"_s;
}

QString FieldCommand::summary() const {
    return u"Show what autofill makes of a form field's texts."_s;
}

int FieldCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(
        name(),
        summary() +
            u"\n  field TEXT     prints match and customKey of one label\n"
            "  field --jsonl  reads one JSON object a line with any of \"label\", \"title\", "
            "\"description\", \"before\", \"picker\", \"placeholder\", \"value\", \"domId\" and "
            "answers one line each with the target autofill would fill"_s,
        u"[TEXT]"_s);
    const QCommandLineOption jsonl(u"jsonl"_s, u"Read and answer JSON lines."_s);
    parser.options().addOption(jsonl);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList args = parser.options().positionalArguments();
    if (!parser.options().isSet(jsonl)) {
        if (args.size() != 1)
            return parser.usageError(u"give one TEXT, or --jsonl"_s, streams);
        const auto field = FieldMatcher::match(args[0]);
        const auto key = FieldMatcher::customKey(args[0]);
        writeUtf8(streams.out, u"match: "_s + (field ? ProfileFields::id(*field) : u"-"_s) +
                                   u"\ncustomKey: "_s + (key ? *key : u"-"_s) + u'\n');
        return ExitStatus::success;
    }
    if (!args.isEmpty())
        return parser.usageError(u"--jsonl reads standard input and takes no TEXT"_s, streams);
    std::string line;
    while (std::getline(streams.in, line)) {
        if (QByteArray::fromStdString(line).trimmed().isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject()) {
            writeJson(streams.out, QJsonObject{{u"error"_s, error.error != QJsonParseError::NoError
                                                                ? error.errorString()
                                                                : u"not a JSON object"_s}});
            continue;
        }
        const QJsonObject o = doc.object();
        const auto text = [&](const char* key) -> std::optional<QString> {
            const QJsonValue v = o.value(QLatin1StringView(key));
            if (!v.isString())
                return std::nullopt;
            return v.toString();
        };
        FieldTexts texts;
        texts.label = text("label");
        texts.title = text("title");
        texts.description = text("description");
        texts.before = text("before");
        texts.hasCountryPicker = o.value(u"picker"_s).toBool(false);
        texts.placeholder = text("placeholder");
        texts.value = text("value");
        texts.domId = text("domId");
        const auto identified = FieldMatcher::identify(texts);
        QJsonObject answer;
        if (!identified) {
            answer.insert(u"target"_s, QJsonValue::Null);
            answer.insert(u"hasCountryPicker"_s, texts.hasCountryPicker);
        } else {
            const FillTarget& t = identified->target;
            answer.insert(u"target"_s,
                          t.field ? QJsonObject{{u"field"_s, ProfileFields::id(*t.field)}}
                                  : QJsonObject{{u"custom"_s, t.key}, {u"label"_s, t.label}});
            answer.insert(u"hasCountryPicker"_s, identified->hasCountryPicker);
        }
        writeJson(streams.out, answer);
        streams.out.flush();
    }
    return ExitStatus::success;
}
