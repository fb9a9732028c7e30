#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>

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
    // The same for one command line, for commands whose actions differ.
    virtual bool changesData(const QStringList& arguments) const {
        Q_UNUSED(arguments);
        return changesData();
    }
    // True for commands that draw (text thumbnails need fonts): they run in a
    // graphical application on an offscreen screen.
    virtual bool drawsImages() const { return false; }
    // arguments are those after the command's name.
    virtual int run(const QStringList& arguments, CommandStreams& streams) = 0;

    // The same inside the running app, which must not wait in a nested event
    // loop: done is called with the exit status once the command has
    // finished, now or later, on the main thread. streams stay valid until then.
    virtual void runInApp(const QStringList& arguments, CommandStreams& streams,
                          std::function<void(int)> done) {
        done(run(arguments, streams));
    }

    // The arguments with every file path made absolute against folder, so the
    // command means the same in a process with another working folder.
    virtual QStringList resolvePaths(const QStringList& arguments, const QDir& folder) const {
        Q_UNUSED(folder);
        return arguments;
    }
};
