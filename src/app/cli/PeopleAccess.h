#pragma once

#include <QString>
#include <memory>

class NetworkStore;
struct CommandStreams;

// Opening the user's people from a subcommand, the way the app opens them.
namespace PeopleAccess {

// The people of the current user's data folder. Inside the desktop app, the
// app's own store. Otherwise a store of the command's own: a writable one
// first takes the data folder's lock, so commands in a burst take turns (a
// failure is reported on standard error as one line, prefixed
// "tovik COMMAND: ", and the answer is null); it fetches nothing unless the
// command asks (NetworkStore::enrichPending).
std::shared_ptr<NetworkStore> open(bool writable, const QString& command, CommandStreams& streams);

// Makes open() answer store (the running app's), or open stores again when null.
void useInProcessStore(NetworkStore* store);

} // namespace PeopleAccess
