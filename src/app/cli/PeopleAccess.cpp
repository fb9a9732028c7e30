#include "app/cli/PeopleAccess.h"

#include "app/AppServices.h"
#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "network/NetworkStore.h"
#include "platform/HttpClient.h"
#include "platform/Platform.h"
#include "store/DataFolder.h"
#include "store/DataFolderLock.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace PeopleAccess {

namespace {
NetworkStore* inProcessStore = nullptr;

// How long a command waits for another writer of the data folder.
constexpr int lockTimeoutMs = 15000;
} // namespace

void useInProcessStore(NetworkStore* store) {
    inProcessStore = store;
}

std::shared_ptr<NetworkStore> open(bool writable, const QString& command, CommandStreams& streams) {
    if (inProcessStore)
        return std::shared_ptr<NetworkStore>(inProcessStore, [](NetworkStore*) {});
    AppServices& services = AppServices::current();
    Platform& platform = services.platform();
    const QString root =
        DataFolder::root(services.storeOptions().applicationSupport, /*migrate=*/writable);

    struct Held {
        DataFolderLock lock;
        std::unique_ptr<NetworkStore> store;
        HttpClient* http = nullptr;
        ~Held() {
            // The command is over: a fetch it stopped waiting for must not
            // hold up its end while the store's queue is joined.
            if (store && store->pendingEnrichments() > 0)
                http->stopAll();
        }
    };
    auto held = std::make_shared<Held>();
    held->http = &platform.httpClient();
    if (writable) {
        QDir().mkpath(root);
        QString error;
        held->lock = DataFolderLock::acquire(root, lockTimeoutMs, &error);
        if (!held->lock.locked()) {
            writeUtf8(streams.err, u"tovik "_s + command + u": "_s + error + u'\n');
            return nullptr;
        }
    }
    NetworkStore::Options options;
    options.dataFolder = root;
    options.http = &platform.httpClient();
    options.clock = &platform.clock();
    options.services = NetworkServices::fromEnvironment(platform.environment());
    options.readOnly = !writable;
    options.enrichAtOpen = false;
    // A command ends as soon as it has answered: it fetches only when asked.
    options.enrichOnChange = false;
    held->store = std::make_unique<NetworkStore>(options);
    if (held->store->fileUnreadable())
        writeUtf8(streams.err, u"tovik "_s + command + u": the people file "_s +
                                   held->store->file() + u" could not be read\n"_s);
    if (held->store->setAsideFile())
        writeUtf8(streams.err, u"tovik "_s + command +
                                   u": the people file could not be read; it was kept as "_s +
                                   *held->store->setAsideFile() + u" and a new one started\n"_s);
    return std::shared_ptr<NetworkStore>(held, held->store.get());
}

} // namespace PeopleAccess
