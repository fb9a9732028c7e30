#include "app/cli/ClipCommand.h"

#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "capture/ClipContent.h"
#include "organise/Categorizer.h"

#include <QFileInfo>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <ostream>

using namespace Qt::StringLiterals;

QString ClipCommand::name() const {
    return u"clip"_s;
}

QString ClipCommand::summary() const {
    return u"Show what the keep prompt derives from a copied text, address, files or image."_s;
}

QByteArray ClipCommand::describe(const ClipContent& clip) const {
    const std::optional<QString> tag = clip.predictedTag(Categorizer::shared());
    const QJsonObject object{
        {u"isEmpty"_s, clip.isEmpty()},
        {u"previewTitle"_s, clip.previewTitle()},
        {u"kindLabel"_s, clip.kindLabel()},
        {u"symbolName"_s, clip.symbolName()},
        {u"predictedTag"_s, tag ? QJsonValue(*tag) : QJsonValue(QJsonValue::Null)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

int ClipCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(),
                         summary() +
                             u"\nGive exactly one of --text, --url, --file or --image; more "
                             "paths after --file are files too."_s,
                         u"[PATH…]"_s);
    const QCommandLineOption textOption(
        u"text"_s, u"Copied text (a lone web address becomes a link)."_s, u"T"_s);
    const QCommandLineOption urlOption(u"url"_s, u"A copied web address."_s, u"U"_s);
    const QCommandLineOption fileOption(u"file"_s, u"A copied file or folder (repeatable)."_s,
                                        u"PATH"_s);
    const QCommandLineOption imageOption(u"image"_s, u"Copied image data, read from a file."_s,
                                         u"PATH"_s);
    parser.options().addOptions({textOption, urlOption, fileOption, imageOption});
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    QCommandLineParser& options = parser.options();

    const int sources = int(options.isSet(textOption)) + int(options.isSet(urlOption)) +
                        int(options.isSet(fileOption)) + int(options.isSet(imageOption));
    if (sources != 1)
        return parser.usageError(u"give exactly one of --text, --url, --file or --image"_s,
                                 streams);
    const QStringList extra = options.positionalArguments();
    if (!extra.isEmpty() && !options.isSet(fileOption))
        return parser.usageError(u"unexpected argument "_s + quoted(extra.first()), streams);

    ClipContent clip;
    if (options.isSet(textOption)) {
        clip = ClipContent::fromClipboard({}, options.value(textOption), std::nullopt);
    } else if (options.isSet(urlOption)) {
        const QUrl url(options.value(urlOption), QUrl::StrictMode);
        if (!url.isValid() || url.scheme().isEmpty())
            return parser.usageError(u"not a web address: "_s + options.value(urlOption), streams);
        clip.url = url;
    } else if (options.isSet(fileOption)) {
        for (const QString& path : options.values(fileOption) + extra)
            clip.fileURLs.append(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    } else {
        QImageReader reader(options.value(imageOption));
        QImage image = reader.read();
        if (image.isNull()) {
            writeUtf8(streams.err, u"tovik clip: cannot read image "_s +
                                       options.value(imageOption) + u": "_s + reader.errorString() +
                                       u'\n');
            return ExitStatus::failure;
        }
        clip.image = std::move(image);
    }

    const QByteArray json = describe(clip);
    streams.out.write(json.constData(), json.size());
    streams.out << '\n';
    return ExitStatus::success;
}
