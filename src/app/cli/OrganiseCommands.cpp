#include "app/cli/OrganiseCommands.h"

#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "app/cli/StoreAccess.h"
#include "organise/ItemSearch.h"
#include "organise/LibraryState.h"
#include "organise/TopicClusterer.h"
#include "platform/DefaultsKeys.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "store/Store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <ostream>

using namespace Qt::StringLiterals;

namespace {

void writeJson(std::ostream& out, const QJsonDocument& document) {
    const QByteArray json = document.toJson(QJsonDocument::Compact);
    out.write(json.constData(), json.size());
    out << '\n';
}

QJsonArray ids(const QList<Item>& items) {
    QJsonArray array;
    for (const Item& item : items)
        array.append(idString(item.id));
    return array;
}

// One item on one line: id, kind and title (line breaks flattened).
QString itemLine(const Item& item, const QString& indent = {}) {
    return indent + idString(item.id) + u"  "_s + storedValue(item.kind).leftJustified(5) +
           u"  "_s + QString(item.title).replace(u'\n', u' ') + u'\n';
}

} // namespace

QString SearchCommand::name() const {
    return u"search"_s;
}

QString SearchCommand::summary() const {
    return u"Find the items matching any word of a query, best match first."_s;
}

int SearchCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(),
                         summary() + u"\nSeveral arguments are read as one query, joined by "
                                     "spaces. With --json, prints the ids in result order."_s,
                         u"QUERY…"_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Print the ids as a JSON array."_s);
    parser.options().addOption(jsonOption);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList words = parser.options().positionalArguments();
    if (words.isEmpty())
        return parser.usageError(u"give a query"_s, streams);
    std::shared_ptr<Store> store = StoreAccess::open(false, name(), streams);
    if (!store)
        return ExitStatus::failure;

    ItemSearch search;
    const QList<Item> found = search.results(store->items(), words.join(u' '));
    if (parser.options().isSet(jsonOption)) {
        writeJson(streams.out, QJsonDocument(ids(found)));
        return ExitStatus::success;
    }
    for (const Item& item : found)
        writeUtf8(streams.out, itemLine(item));
    return ExitStatus::success;
}

QString TopicsCommand::name() const {
    return u"topics"_s;
}

QString TopicsCommand::summary() const {
    return u"Gather the items into topics by the keywords they share."_s;
}

int TopicsCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(), summary() + u"\nWith --json, prints [{\"label\": …, \"items\": "
                                             "[ids…]}], largest topic first."_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Print the topics as JSON."_s);
    parser.options().addOption(jsonOption);
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    std::shared_ptr<Store> store = StoreAccess::open(false, name(), streams);
    if (!store)
        return ExitStatus::failure;

    TopicClusterer clusterer;
    const QList<TopicCluster> topics = clusterer.clusters(store->items());
    if (parser.options().isSet(jsonOption)) {
        QJsonArray array;
        for (const TopicCluster& topic : topics)
            array.append(QJsonObject{{u"label"_s, topic.label}, {u"items"_s, ids(topic.items)}});
        writeJson(streams.out, QJsonDocument(array));
        return ExitStatus::success;
    }
    for (const TopicCluster& topic : topics) {
        writeUtf8(streams.out,
                  topic.label + u" ("_s + QString::number(topic.items.size()) + u" items)\n"_s);
        for (const Item& item : topic.items)
            writeUtf8(streams.out, itemLine(item, u"  "_s));
    }
    return ExitStatus::success;
}

QString LibraryCommand::name() const {
    return u"library"_s;
}

QString LibraryCommand::summary() const {
    return u"Show the library's grid, tag chips and counts as the window would."_s;
}

int LibraryCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(
        name(), summary() + u"\nWith --json, prints {\"entries\": [{\"id\": …} | {\"stack\": key, "
                            "\"items\": [ids…]}], \"tagCounts\": [[name, count]…], "
                            "\"untaggedCount\": n}."_s);
    const QCommandLineOption filterOption(
        u"filter"_s, u"The filter tab: all, notes, text, images, documents or links."_s, u"TAB"_s,
        u"all"_s);
    const QCommandLineOption tagOption(u"tag"_s, u"Only items showing the tag NAME."_s, u"NAME"_s);
    const QCommandLineOption untaggedOption(u"untagged"_s, u"Only items without tags."_s);
    const QCommandLineOption queryOption(u"query"_s, u"The search text."_s, u"Q"_s);
    const QCommandLineOption groupingOption(
        u"grouping"_s, u"Stacks by topics, tags or none (default: the library's setting)."_s,
        u"GROUPING"_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Print the grid as JSON."_s);
    parser.options().addOptions(
        {filterOption, tagOption, untaggedOption, queryOption, groupingOption, jsonOption});
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    QCommandLineParser& options = parser.options();

    LibraryState library;
    const std::optional<LibraryFilter> filter = libraryFilterNamed(options.value(filterOption));
    if (!filter)
        return parser.usageError(u"unknown filter "_s + quoted(options.value(filterOption)),
                                 streams);
    library.filter = *filter;
    if (options.isSet(tagOption) && options.isSet(untaggedOption))
        return parser.usageError(u"give --tag or --untagged, not both"_s, streams);
    if (options.isSet(tagOption))
        library.tagFilter = options.value(tagOption);
    else if (options.isSet(untaggedOption))
        library.tagFilter = LibraryState::untaggedMarker();
    library.query = options.value(queryOption);
    if (options.isSet(groupingOption)) {
        const QString value = options.value(groupingOption);
        if (value != storedValue(LibraryGrouping::topics) &&
            value != storedValue(LibraryGrouping::tags) &&
            value != storedValue(LibraryGrouping::none))
            return parser.usageError(u"unknown grouping "_s + quoted(value), streams);
        library.grouping = libraryGroupingFromStoredValue(value);
    } else {
        library.grouping = libraryGroupingFromStoredValue(
            DefaultsKeys::read(Platform::current().userDefaults(), DefaultsKeys::libraryGrouping)
                .toString());
    }

    std::shared_ptr<Store> store = StoreAccess::open(false, name(), streams);
    if (!store)
        return ExitStatus::failure;
    const LibraryState::Grid grid = library.grid(store->items());

    if (options.isSet(jsonOption)) {
        QJsonArray entries;
        for (const GridEntry& entry : grid.entries) {
            if (entry.isStack())
                entries.append(
                    QJsonObject{{u"stack"_s, entry.key}, {u"items"_s, ids(entry.items)}});
            else
                entries.append(QJsonObject{{u"id"_s, idString(entry.item().id)}});
        }
        QJsonArray tagCounts;
        for (const TagCount& chip : grid.tagCounts)
            tagCounts.append(QJsonArray{chip.name, chip.count});
        writeJson(streams.out,
                  QJsonDocument(QJsonObject{{u"entries"_s, entries},
                                            {u"tagCounts"_s, tagCounts},
                                            {u"untaggedCount"_s, grid.untaggedCount}}));
        return ExitStatus::success;
    }

    QString chips = u"All "_s + QString::number(grid.admittedCount);
    for (const TagCount& chip : grid.tagCounts)
        chips += u" · "_s + chip.name + u' ' + QString::number(chip.count);
    if (!grid.tagCounts.isEmpty() && grid.untaggedCount > 0)
        chips += u" · Untagged "_s + QString::number(grid.untaggedCount);
    writeUtf8(streams.out, chips + u'\n');
    for (const GridEntry& entry : grid.entries) {
        if (!entry.isStack()) {
            writeUtf8(streams.out, itemLine(entry.item()));
            continue;
        }
        writeUtf8(streams.out, u"[stack] "_s + entry.key + u" ("_s +
                                   QString::number(entry.items.size()) + u" items)\n"_s);
        for (const Item& item : entry.items)
            writeUtf8(streams.out, itemLine(item, u"  "_s));
    }
    return ExitStatus::success;
}
