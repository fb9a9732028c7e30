#include "app/cli/CommandLine.h"

#include "app/cli/A11yCommand.h"
#include "app/cli/AddCommand.h"
#include "app/cli/BlurCommand.h"
#include "app/cli/CategorizeCommand.h"
#include "app/cli/ClipCommand.h"
#include "app/cli/Command.h"
#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "app/cli/EnrichCommand.h"
#include "app/cli/FetchPageCommand.h"
#include "app/cli/FetchProfileCommand.h"
#include "app/cli/LibraryCommands.h"
#include "app/cli/OrganiseCommands.h"
#include "app/cli/PeopleCommand.h"
#include "app/cli/ProfileCommands.h"

#include <ostream>

using namespace Qt::StringLiterals;

CommandLine::CommandLine() {
    commands.push_back(std::make_unique<CategorizeCommand>());
    commands.push_back(std::make_unique<ClipCommand>());
    commands.push_back(std::make_unique<AddCommand>());
    commands.push_back(std::make_unique<ListCommand>());
    commands.push_back(std::make_unique<RemoveCommand>());
    commands.push_back(std::make_unique<TagsCommand>());
    commands.push_back(std::make_unique<TagCommand>());
    commands.push_back(std::make_unique<AutosortCommand>());
    commands.push_back(std::make_unique<SearchCommand>());
    commands.push_back(std::make_unique<TopicsCommand>());
    commands.push_back(std::make_unique<LibraryCommand>());
    commands.push_back(std::make_unique<FetchPageCommand>());
    commands.push_back(std::make_unique<EnrichCommand>());
    commands.push_back(std::make_unique<A11yCommand>());
    commands.push_back(std::make_unique<ProfileCommand>());
    commands.push_back(std::make_unique<FieldCommand>());
    commands.push_back(std::make_unique<PeopleCommand>());
    commands.push_back(std::make_unique<FetchProfileCommand>());
    commands.push_back(std::make_unique<BlurCommand>());
}

CommandLine::~CommandLine() = default;

bool CommandLine::wantsCommand(const QStringList& arguments) {
    return !arguments.isEmpty();
}

QString CommandLine::helpText() const {
    QString text = u"Usage: tovik [COMMAND [options]]\n\n"
                   "Without a command, starts Tovik in the system tray.\n\n"
                   "Commands:\n"_s;
    qsizetype width = 0;
    for (const auto& command : commands)
        width = std::max(width, command->name().size());
    for (const auto& command : commands)
        text += u"  "_s + command->name().leftJustified(width + 2) + command->summary() + u'\n';
    text += u"\nRun 'tovik COMMAND --help' for a command's options.\n"_s;
    return text;
}

const Command* CommandLine::find(const QString& name) const {
    for (const auto& command : commands) {
        if (command->name() == name)
            return command.get();
    }
    return nullptr;
}

bool CommandLine::changesData(const QStringList& arguments) const {
    const Command* command = find(arguments.value(0));
    return command && command->changesDataWith(arguments.mid(1)) &&
           !arguments.contains(u"--help"_s) && !arguments.contains(u"-h"_s);
}

bool CommandLine::drawsImages(const QStringList& arguments) const {
    const Command* command = find(arguments.value(0));
    return command && command->drawsImages();
}

QStringList CommandLine::resolvePaths(const QStringList& arguments, const QDir& folder) const {
    const Command* command = find(arguments.value(0));
    if (!command)
        return arguments;
    return QStringList{arguments.first()} + command->resolvePaths(arguments.mid(1), folder);
}

void CommandLine::runInApp(const QStringList& arguments, CommandStreams& streams,
                           std::function<void(int)> done) {
    if (Command* command = const_cast<Command*>(find(arguments.value(0)))) {
        command->runInApp(arguments.mid(1), streams, std::move(done));
        return;
    }
    done(run(arguments, streams));
}

int CommandLine::run(const QStringList& arguments, CommandStreams& streams) {
    const QString first = arguments.value(0);
    if (first == u"--help"_s || first == u"-h"_s || first == u"help"_s) {
        writeUtf8(streams.out, helpText());
        return ExitStatus::success;
    }
    if (first == u"--version"_s) {
        writeUtf8(streams.out, u"tovik " TOVIK_VERSION "\n"_s);
        return ExitStatus::success;
    }
    for (const auto& command : commands) {
        if (command->name() == first)
            return command->run(arguments.mid(1), streams);
    }
    const QString what = first.startsWith(u'-') ? u"unknown option "_s : u"unknown command "_s;
    writeUtf8(streams.err, u"tovik: "_s + what + quoted(first) + u" (see 'tovik --help')\n"_s);
    return ExitStatus::usage;
}
