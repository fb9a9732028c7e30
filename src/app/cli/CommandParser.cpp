#include "app/cli/CommandParser.h"

#include "app/cli/Command.h"
#include "app/cli/CommandStreams.h"

#include <ostream>

using namespace Qt::StringLiterals;

void writeUtf8(std::ostream& stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    stream.write(bytes.constData(), bytes.size());
}

CommandParser::CommandParser(QString commandName, QString description, QString positionalSyntax)
    : commandName(std::move(commandName)), description(std::move(description)),
      positionalSyntax(std::move(positionalSyntax)) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption({u"h"_s, u"help"_s}, u"Show this help."_s));
}

QString CommandParser::helpText() const {
    QString text = u"Usage: tovik "_s + commandName + u" [options]"_s;
    if (!positionalSyntax.isEmpty())
        text += u' ' + positionalSyntax;
    text += u"\n\n"_s + description + u"\n"_s;
    // QCommandLineParser's own option list, without its usage line.
    QString options = parser.helpText();
    const qsizetype start = options.indexOf(u"Options:"_s);
    if (start >= 0) {
        options = options.mid(start);
        const qsizetype argumentsAt = options.indexOf(u"\nArguments:"_s);
        if (argumentsAt >= 0)
            options.truncate(argumentsAt + 1);
        text += u"\n"_s + options;
    }
    return text;
}

std::optional<int> CommandParser::parse(const QStringList& arguments, CommandStreams& streams) {
    // QCommandLineParser expects the program name first.
    if (!parser.parse(QStringList{u"tovik"_s} + arguments))
        // It echoes an unknown option as given: keep that on one line.
        return usageError(parser.errorText().replace(u'\n', u"\\n"_s), streams);
    if (parser.isSet(u"help"_s)) {
        writeUtf8(streams.out, helpText());
        return ExitStatus::success;
    }
    return std::nullopt;
}

std::optional<int> CommandParser::parseOptionsOnly(const QStringList& arguments,
                                                   CommandStreams& streams) {
    if (std::optional<int> status = parse(arguments, streams))
        return status;
    const QStringList values = parser.positionalArguments();
    if (values.isEmpty())
        return std::nullopt;
    return usageError(u"unexpected argument "_s + quoted(values.first()), streams);
}

QString quoted(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    out += u'\'';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\n':
            out += u"\\n"_s;
            break;
        case u'\r':
            out += u"\\r"_s;
            break;
        case u'\t':
            out += u"\\t"_s;
            break;
        case u'\\':
            out += u"\\\\"_s;
            break;
        case u'\'':
            out += u"\\'"_s;
            break;
        default:
            if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                c == QChar::ParagraphSeparator)
                out += u"\\x"_s + QString::number(c.unicode(), 16).rightJustified(2, u'0');
            else
                out += c;
        }
    }
    out += u'\'';
    return out;
}

int CommandParser::usageError(const QString& message, CommandStreams& streams) const {
    writeUtf8(streams.err, u"tovik "_s + commandName + u": "_s + message + u" (see 'tovik "_s +
                               commandName + u" --help')\n"_s);
    return ExitStatus::usage;
}
