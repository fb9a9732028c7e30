#include "app/cli/AddCommand.h"

#include "app/AppServices.h"
#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "app/cli/StoreAccess.h"
#include "capture/ClipContent.h"
#include "capture/KeepPipeline.h"
#include "store/ImageData.h"
#include "store/Store.h"
#include "store/TagName.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <istream>
#include <iterator>
#include <ostream>

using namespace Qt::StringLiterals;

QString AddCommand::name() const {
    return u"add"_s;
}

QString AddCommand::summary() const {
    return u"Keep a text, link, files or an image."_s;
}

namespace {

const QString kinds = u"text, link, file or image"_s;

QString usageLine() {
    return u"Usage: tovik add (text TEXT|- | link URL | file PATH… | image PATH) [--source NAME] "
           "[--tag NAME]\n\n"
           "Keeps something in the memory, as keeping a copy from the clipboard does: texts and\n"
           "links already kept move to the front, files and images are copied into the data\n"
           "folder. Prints {\"id\": …, \"isNew\": …, \"tag\": …}, one line per item kept.\n"
           "Links, files and images are read (page, text, preview) before the command ends.\n\n"
           "Kinds:\n"
           "  text TEXT|-   a text; - reads it from standard input\n"
           "  link URL      a web address\n"
           "  file PATH…    one or more files or folders\n"
           "  image PATH    image data read from an image file\n\n"
           "Run 'tovik add KIND --help' for the options.\n"_s;
}

} // namespace

QStringList AddCommand::resolvePaths(const QStringList& arguments, const QDir& folder) const {
    const QString kind = arguments.value(0);
    if (kind != u"file"_s && kind != u"image"_s)
        return arguments;
    QStringList resolved{kind};
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == u"--"_s) {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == u"--source"_s || argument == u"--tag"_s)) {
            resolved.append(argument);
            if (++i < arguments.size())
                resolved.append(arguments[i]); // the option's value, not a path
            continue;
        } else if (optionsEnded || !argument.startsWith(u'-')) {
            resolved.append(QDir::cleanPath(folder.absoluteFilePath(argument)));
            continue;
        }
        resolved.append(argument);
    }
    return resolved;
}

int AddCommand::run(const QStringList& arguments, CommandStreams& streams) {
    const QString kind = arguments.value(0);
    if (kind.isEmpty() || kind == u"--help"_s || kind == u"-h"_s) {
        if (kind.isEmpty()) {
            writeUtf8(streams.err,
                      u"tovik add: say what to add: "_s + kinds + u" (see 'tovik add --help')\n"_s);
            return ExitStatus::usage;
        }
        writeUtf8(streams.out, usageLine());
        return ExitStatus::success;
    }

    static const QHash<QString, std::pair<QString, QString>> syntax{
        {u"text"_s, {u"TEXT|-"_s, u"Keep a text (- reads it from standard input)."_s}},
        {u"link"_s, {u"URL"_s, u"Keep a web address."_s}},
        {u"file"_s, {u"PATH…"_s, u"Keep copies of files or folders."_s}},
        {u"image"_s, {u"PATH"_s, u"Keep the image in an image file as copied image data."_s}},
    };
    if (!syntax.contains(kind)) {
        writeUtf8(streams.err, u"tovik add: unknown kind "_s + quoted(kind) + u"; use "_s + kinds +
                                   u" (see 'tovik add --help')\n"_s);
        return ExitStatus::usage;
    }

    CommandParser parser(u"add "_s + kind, syntax[kind].second, syntax[kind].first);
    const QCommandLineOption sourceOption(u"source"_s, u"Where the content came from."_s,
                                          u"NAME"_s);
    const QCommandLineOption tagOption(u"tag"_s, u"Tag the kept item."_s, u"NAME"_s);
    parser.options().addOptions({sourceOption, tagOption});
    if (std::optional<int> status = parser.parse(arguments.mid(1), streams))
        return *status;
    QCommandLineParser& options = parser.options();
    const QStringList values = options.positionalArguments();

    ClipContent clip;
    if (options.isSet(sourceOption))
        clip.sourceApp = options.value(sourceOption);
    std::optional<QString> tag;
    if (options.isSet(tagOption))
        tag = options.value(tagOption);

    if (kind == u"file"_s) {
        if (values.isEmpty())
            return parser.usageError(u"give at least one path"_s, streams);
        for (const QString& path : values) {
            const QFileInfo info(path);
            if (!info.exists() && !info.isSymLink()) {
                writeUtf8(streams.err, u"tovik add file: no such file: "_s + quoted(path) + u'\n');
                return ExitStatus::failure;
            }
            clip.fileURLs.append(QUrl::fromLocalFile(info.absoluteFilePath()));
        }
    } else {
        if (values.size() != 1)
            return parser.usageError(u"give exactly one "_s + syntax[kind].first, streams);
        const QString value = values.first();
        if (kind == u"text"_s) {
            QString text = value;
            if (value == u"-"_s) {
                const std::string input((std::istreambuf_iterator<char>(streams.in)),
                                        std::istreambuf_iterator<char>());
                text = QString::fromUtf8(input);
            }
            clip.string = text.trimmed();
            if (clip.string->isEmpty()) {
                writeUtf8(streams.err, u"tovik add text: the text is empty\n"_s);
                return ExitStatus::failure;
            }
        } else if (kind == u"link"_s) {
            const QUrl url(value, QUrl::StrictMode);
            if (!url.isValid() || url.scheme().isEmpty())
                return parser.usageError(u"not a web address: "_s + quoted(value), streams);
            clip.url = url;
        } else {
            // Through the store's bounded decoder: the file may come from anywhere.
            std::optional<QImage> image = ImageData::load(value);
            if (!image) {
                writeUtf8(streams.err,
                          u"tovik add image: cannot read an image from "_s + quoted(value) + u'\n');
                return ExitStatus::failure;
            }
            clip.image = std::move(*image);
        }
    }
    if (tag && !TagName::clean(*tag))
        return parser.usageError(u"the tag name is empty"_s, streams);

    std::shared_ptr<Store> store =
        StoreAccess::open(true, u"add"_s, streams, AppServices::current().makeContentEnricher());
    if (!store)
        return ExitStatus::failure;
    const SaveResult result = KeepPipeline::save(*store, clip, tag);
    for (const QString& failure : result.failures)
        writeUtf8(streams.err, u"tovik add "_s + kind + u": not kept: "_s + failure + u'\n');
    // A command's process ends with it: what it kept is read now, or never
    // (inside the app, the app's own queue reads it).
    if (!StoreAccess::isInProcess(*store))
        StoreAccess::waitForEnrichment(*store);
    if (result.ids.isEmpty())
        return ExitStatus::failure; // said above; there is nothing to write
    if (!StoreAccess::flush(*store, u"add"_s, streams))
        return ExitStatus::failure;

    // One line per item, in the order they were given (ids are newest first).
    for (auto id = result.ids.crbegin(); id != result.ids.crend(); ++id) {
        const Item* item = store->item(*id);
        if (!item)
            continue;
        const QStringList tags = item->displayTags();
        const QJsonObject answer{
            {u"id"_s, idString(*id)},
            {u"isNew"_s, result.isNew},
            {u"tag"_s, tags.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(tags.first())},
        };
        const QByteArray json = QJsonDocument(answer).toJson(QJsonDocument::Compact);
        streams.out.write(json.constData(), json.size());
        streams.out << '\n';
    }
    return result.stored() ? ExitStatus::success : ExitStatus::failure;
}
