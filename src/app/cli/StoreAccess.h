#pragma once

#include <QString>
#include <memory>
#include <optional>

class ContentEnricher;
class Store;
class QUuid;
struct CommandStreams;

// Opening the user's store from a subcommand, the way the app opens it.
namespace StoreAccess {

// The store of the current user's data folder. Writable stores take the
// folder's lock first; when that fails the reason is reported on standard
// error as one line (prefixed "tovik COMMAND: ") and the answer is null.
// Inside the desktop app, the app's own store is answered instead. With an
// enricher, what the command keeps is read by it; nothing else is handed
// over unless the command asks (Store::enrichMissing).
std::shared_ptr<Store> open(bool writable, const QString& command, CommandStreams& streams,
                            std::shared_ptr<ContentEnricher> enricher = nullptr);

// True for the running app's own store (a command handed over to it).
bool isInProcess(const Store& store);

// Runs this thread's event loop until every item handed to enrichment has
// been merged. For a command's own store only: each read is bounded in time
// by the fetches and recognition it makes.
void waitForEnrichment(Store& store);

// Makes open() answer store (the running app's), or opens stores again when null.
void useInProcessStore(Store* store);

// Waits until every change is safe on disk (journaled or in the index);
// reports a failure the same way. True on success.
bool flush(Store& store, const QString& command, CommandStreams& streams);

// The id written in either case, with or without braces; absent otherwise.
std::optional<QUuid> parseId(const QString& text);

} // namespace StoreAccess
