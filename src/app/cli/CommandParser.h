#pragma once

#include <QCommandLineParser>
#include <QString>
#include <optional>

struct CommandStreams;

// QCommandLineParser with the behaviour every tovik subcommand shares: --help
// prints the command's usage to standard output, and a wrong command line
// gives one line on standard error and exit status 2 (QCommandLineParser
// itself would exit the process with status 1).
class CommandParser {
public:
    CommandParser(QString commandName, QString description, QString positionalSyntax = {});

    QCommandLineParser& options() { return parser; }

    // Parses arguments (those after the command name). Returns an exit status
    // when the command should stop here (help shown or an error reported).
    std::optional<int> parse(const QStringList& arguments, CommandStreams& streams);
    // The same, for commands that take options only: any other argument is
    // a usage error.
    std::optional<int> parseOptionsOnly(const QStringList& arguments, CommandStreams& streams);

    // Reports a usage error in the shared one-line form; returns status 2.
    int usageError(const QString& message, CommandStreams& streams) const;

    QString helpText() const;

private:
    QString commandName;
    QString description;
    QString positionalSyntax;
    QCommandLineParser parser;
};

// text between single quotes, with line breaks, tabs and other control
// characters written as escapes (\n, \t, \x1b) and a quote as \', so an
// argument echoed in a message can never break its one line or forge another.
QString quoted(const QString& text);

// Writes text to a standard stream as UTF-8.
void writeUtf8(std::ostream& stream, const QString& text);
