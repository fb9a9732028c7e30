#include "app/cli/EnrichCommand.h"

#include "app/AppServices.h"
#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "app/cli/StoreAccess.h"
#include "store/Store.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <ostream>

using namespace Qt::StringLiterals;

QString EnrichCommand::name() const {
    return u"enrich"_s;
}

QString EnrichCommand::summary() const {
    return u"Read the pages, images and documents of items that lack what reading gives."_s;
}

namespace {

// Writes what became of the items handed over; the exit status.
int report(Store& store, int handed, const QString& command, CommandStreams& streams) {
    const int unfinished = store.pendingEnrichments();
    if (!StoreAccess::flush(store, command, streams))
        return ExitStatus::failure;
    const QByteArray json =
        QJsonDocument(QJsonObject{{u"handed"_s, handed}, {u"finished"_s, handed - unfinished}})
            .toJson(QJsonDocument::Compact);
    streams.out.write(json.constData(), json.size());
    streams.out << '\n';
    if (unfinished > 0) {
        writeUtf8(streams.err, u"tovik enrich: "_s + QString::number(unfinished) +
                                   u" items were not finished in time\n"_s);
        return ExitStatus::failure;
    }
    return ExitStatus::success;
}

} // namespace

std::optional<int> EnrichCommand::parse(const QStringList& arguments, CommandStreams& streams,
                                        bool& waitForAll) const {
    CommandParser parser(
        name(),
        summary() +
            u"\nFetches the page, preview and icon of each link without a preview, reads the text "
            "and thumbnail of each file without one and the words in each image without text, "
            "and sorts those items again with the richer text, one item at a time. Items tried "
            "recently are tried again. Prints "
            "{\"handed\": N, \"finished\": N}. Without --wait it stops waiting after "_s +
            QString::number(defaultWait.count()) +
            u" seconds; unfinished items are tried again next time (exit status 1)."_s);
    const QCommandLineOption waitOption(u"wait"_s,
                                        u"Wait until every item is done, however long it takes."_s);
    parser.options().addOption(waitOption);
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return status;
    waitForAll = parser.options().isSet(waitOption);
    return std::nullopt;
}

int EnrichCommand::run(const QStringList& arguments, CommandStreams& streams) {
    bool waitForAll = false;
    if (std::optional<int> status = parse(arguments, streams, waitForAll))
        return *status;
    std::shared_ptr<Store> store =
        StoreAccess::open(true, name(), streams, AppServices::current().makeContentEnricher());
    if (!store)
        return ExitStatus::failure;
    store->enrichMissing();
    const int handed = store->pendingEnrichments();
    if (handed > 0) {
        // This process does nothing else: its loop runs until results are merged.
        QEventLoop loop;
        QObject::connect(store.get(), &Store::enrichmentIdle, &loop, &QEventLoop::quit);
        if (!waitForAll)
            QTimer::singleShot(std::chrono::milliseconds(defaultWait), &loop, &QEventLoop::quit);
        if (store->pendingEnrichments() > 0)
            loop.exec();
    }
    return report(*store, handed, name(), streams);
}

void EnrichCommand::runInApp(const QStringList& arguments, CommandStreams& streams,
                             std::function<void(int)> done) {
    bool waitForAll = false;
    if (std::optional<int> status = parse(arguments, streams, waitForAll)) {
        done(*status);
        return;
    }
    std::shared_ptr<Store> store = StoreAccess::open(true, name(), streams);
    if (!store) {
        done(ExitStatus::failure);
        return;
    }
    // Items the app's queue already holds are not handed twice; the command
    // waits for those as well.
    store->enrichMissing();
    const int handed = store->pendingEnrichments();
    if (store->pendingEnrichments() == 0) {
        done(report(*store, handed, name(), streams));
        return;
    }
    // The app's loop goes on; the answer follows the last merged result.
    auto* waiting = new QObject(store.get());
    const auto finish = [waiting, store, handed, command = name(), &streams, done] {
        if (waiting->property("finished").toBool())
            return;
        waiting->setProperty("finished", true);
        waiting->deleteLater();
        done(report(*store, handed, command, streams));
    };
    QObject::connect(store.get(), &Store::enrichmentIdle, waiting, finish);
    if (!waitForAll)
        QTimer::singleShot(std::chrono::milliseconds(defaultWait), waiting, finish);
}
