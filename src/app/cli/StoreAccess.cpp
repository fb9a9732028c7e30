#include "app/cli/StoreAccess.h"

#include "app/AppServices.h"
#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "store/ContentEnricher.h"
#include "store/Store.h"

#include <QEventLoop>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace StoreAccess {

namespace {
Store* inProcessStore = nullptr;
}

void useInProcessStore(Store* store) {
    inProcessStore = store;
}

std::shared_ptr<Store> open(bool writable, const QString& command, CommandStreams& streams,
                            std::shared_ptr<ContentEnricher> enricher) {
    if (inProcessStore)
        return std::shared_ptr<Store>(inProcessStore, [](Store*) {});
    Store::Options options = AppServices::current().storeOptions();
    options.readOnly = !writable;
    // Commands run one after another in a burst (scripts, a file manager's
    // "send to"): each waits its turn rather than failing.
    options.lockTimeoutMs = 15000;
    options.enricher = std::move(enricher);
    options.enrichAtOpen = false;
    QString error;
    std::shared_ptr<Store> store = Store::open(options, &error);
    if (!store) {
        writeUtf8(streams.err, u"tovik "_s + command + u": "_s + error + u'\n');
        return nullptr;
    }
    if (store->setAsideIndex())
        writeUtf8(streams.err, u"tovik "_s + command +
                                   u": the index could not be read; it was kept as "_s +
                                   *store->setAsideIndex() + u" and a new one started\n"_s);
    return store;
}

bool isInProcess(const Store& store) {
    return &store == inProcessStore;
}

void waitForEnrichment(Store& store) {
    if (store.pendingEnrichments() == 0)
        return;
    QEventLoop loop;
    QObject::connect(&store, &Store::enrichmentIdle, &loop, &QEventLoop::quit);
    if (store.pendingEnrichments() > 0)
        loop.exec();
}

bool flush(Store& store, const QString& command, CommandStreams& streams) {
    if (store.ensureDurable())
        return true;
    writeUtf8(streams.err,
              u"tovik "_s + command + u": could not write "_s + store.indexFile() + u'\n');
    return false;
}

std::optional<QUuid> parseId(const QString& text) {
    const QString trimmed = text.trimmed();
    const QUuid id = QUuid::fromString(trimmed);
    if (id.isNull())
        return std::nullopt;
    return id;
}

} // namespace StoreAccess
