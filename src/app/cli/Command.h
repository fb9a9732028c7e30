#pragma once

#include <QString>
#include <QStringList>

struct CommandStreams;

// Exit statuses shared by every subcommand.
namespace ExitStatus {
inline constexpr int success = 0;
inline constexpr int failure = 1; // the command could not do what was asked
inline constexpr int usage = 2;   // the command line itself was wrong
} // namespace ExitStatus

// One `tovik NAME …` subcommand.
class Command {
public:
    virtual ~Command() = default;
    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    // True for commands that change the store: while the desktop app runs
    // they are handed to it, so the data folder keeps one writer.
    virtual bool changesData() const { return false; }
    // True for commands that draw (text thumbnails need fonts): they run in a
    // graphical application on an offscreen screen.
    virtual bool drawsImages() const { return false; }
    // arguments are those after the command's name.
    virtual int run(const QStringList& arguments, CommandStreams& streams) = 0;
};
