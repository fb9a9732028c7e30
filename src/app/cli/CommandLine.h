#pragma once

#include <QDir>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class Command;
struct CommandStreams;

// tovik's subcommands: finds the one named by the first argument and runs it.
class CommandLine {
public:
    CommandLine();
    ~CommandLine();

    // True when arguments (without the program name) ask for a subcommand or
    // for help rather than for the desktop app.
    static bool wantsCommand(const QStringList& arguments);

    int run(const QStringList& arguments, CommandStreams& streams);
    // Inside the running app (see Command::runInApp).
    void runInApp(const QStringList& arguments, CommandStreams& streams,
                  std::function<void(int)> done);
    // The arguments (command name first) with file paths made absolute.
    QStringList resolvePaths(const QStringList& arguments, const QDir& folder) const;

    // True when arguments name a command that changes the store.
    bool changesData(const QStringList& arguments) const;
    // Whether the command named by arguments needs a graphical application.
    bool drawsImages(const QStringList& arguments) const;

    QString helpText() const;

private:
    const Command* find(const QString& name) const;

    std::vector<std::unique_ptr<Command>> commands;
};
