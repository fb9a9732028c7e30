#include "app/cli/LibraryCommands.h"

#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "app/cli/StoreAccess.h"
#include "common/ReferenceDate.h"
#include "organise/AutoSortNote.h"
#include "store/IndexFile.h"
#include "store/Store.h"

#include <QUuid>
#include <ostream>

using namespace Qt::StringLiterals;

namespace {

// Finds the item an ID argument names, reporting a failure as one line.
const Item* findItem(const Store& store, const QString& argument, const QString& command,
                     CommandStreams& streams) {
    const std::optional<QUuid> id = StoreAccess::parseId(argument);
    const Item* item = id ? store.item(*id) : nullptr;
    if (!item)
        writeUtf8(streams.err,
                  u"tovik "_s + command + u": no item with id "_s + quoted(argument) + u'\n');
    return item;
}

} // namespace

QString ListCommand::name() const {
    return u"list"_s;
}

QString ListCommand::summary() const {
    return u"List the kept items, newest first."_s;
}

int ListCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(), summary() +
                                     u"\nWith --json, prints the index as stored: one JSON array "
                                     "of the items."_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Print the items as JSON."_s);
    parser.options().addOption(jsonOption);
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    std::shared_ptr<Store> store = StoreAccess::open(false, name(), streams);
    if (!store)
        return ExitStatus::failure;

    if (parser.options().isSet(jsonOption)) {
        const QByteArray json = IndexFile::encode(store->items());
        streams.out.write(json.constData(), json.size());
        streams.out << '\n';
        return ExitStatus::success;
    }
    for (const Item& item : store->items()) {
        QString line =
            idString(item.id) + u"  "_s + storedValue(item.kind).leftJustified(5) + u"  "_s +
            ReferenceDate::toDateTime(item.savedAt).toLocalTime().toString(u"yyyy-MM-dd HH:mm"_s) +
            u"  "_s + QString(item.title).replace(u'\n', u' ');
        const QStringList tags = item.displayTags();
        if (!tags.isEmpty())
            line += u"  ["_s + tags.join(u", "_s) + u"]"_s;
        writeUtf8(streams.out, line + u'\n');
    }
    return ExitStatus::success;
}

QString RemoveCommand::name() const {
    return u"remove"_s;
}

QString RemoveCommand::summary() const {
    return u"Remove an item and its stored files."_s;
}

int RemoveCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(), summary(), u"ID"_s);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList values = parser.options().positionalArguments();
    if (values.size() != 1)
        return parser.usageError(u"give exactly one item id"_s, streams);
    std::shared_ptr<Store> store = StoreAccess::open(true, name(), streams);
    if (!store)
        return ExitStatus::failure;
    const Item* item = findItem(*store, values.first(), name(), streams);
    if (!item)
        return ExitStatus::failure;
    store->remove(Item(*item));
    return StoreAccess::flush(*store, name(), streams) ? ExitStatus::success : ExitStatus::failure;
}

QString TagsCommand::name() const {
    return u"tags"_s;
}

QString TagsCommand::summary() const {
    return u"List the tag names: most used first, then the unused categories."_s;
}

int TagsCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(), summary());
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    std::shared_ptr<Store> store = StoreAccess::open(false, name(), streams);
    if (!store)
        return ExitStatus::failure;
    for (const QString& tag : store->allTags())
        writeUtf8(streams.out, tag + u'\n');
    return ExitStatus::success;
}

QString TagCommand::name() const {
    return u"tag"_s;
}

QString TagCommand::summary() const {
    return u"Add, remove or toggle an item's tag, or reset it to its automatic category."_s;
}

int TagCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(),
                         summary() +
                             u"\n\n"
                             "  add NAME ID      add the tag to the item's own tags\n"
                             "  remove NAME ID   remove the tag from what the item shows\n"
                             "  toggle NAME ID   remove the tag when shown, else add it\n"
                             "  reset ID         drop the item's own tags; use its category"_s,
                         u"(add|remove|toggle NAME ID | reset ID)"_s);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList values = parser.options().positionalArguments();
    const QString action = values.value(0);
    const bool reset = action == u"reset"_s;
    if (!reset && action != u"add"_s && action != u"remove"_s && action != u"toggle"_s)
        return parser.usageError(action.isEmpty() ? u"say add, remove, toggle or reset"_s
                                                  : u"unknown action "_s + quoted(action),
                                 streams);
    if (values.size() != (reset ? 2 : 3))
        return parser.usageError(
            reset ? u"give the item id"_s : u"give the tag name and the item id"_s, streams);

    std::shared_ptr<Store> store = StoreAccess::open(true, name(), streams);
    if (!store)
        return ExitStatus::failure;
    const Item* item = findItem(*store, values.last(), name(), streams);
    if (!item)
        return ExitStatus::failure;
    const QUuid id = item->id;
    if (reset) {
        store->resetToAuto(id);
    } else {
        const QString& tagName = values.at(1);
        if (!store->canonicalTag(tagName))
            return parser.usageError(u"the tag name is empty"_s, streams);
        if (action == u"add"_s)
            store->addTag(tagName, id);
        else if (action == u"remove"_s)
            store->removeTag(tagName, id);
        else
            store->toggleTag(tagName, id);
    }
    if (!StoreAccess::flush(*store, name(), streams))
        return ExitStatus::failure;
    writeUtf8(streams.out, store->item(id)->displayTags().join(u'\n') +
                               (store->item(id)->displayTags().isEmpty() ? u""_s : u"\n"_s));
    return ExitStatus::success;
}

QString AutosortCommand::name() const {
    return u"autosort"_s;
}

QString AutosortCommand::summary() const {
    return u"Categorize every item that has no tags of its own again."_s;
}

int AutosortCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(), summary());
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    std::shared_ptr<Store> store = StoreAccess::open(true, name(), streams);
    if (!store)
        return ExitStatus::failure;
    const Store::AutoSortCounts counts = store->autoSortAll();
    if (!StoreAccess::flush(*store, name(), streams))
        return ExitStatus::failure;
    qsizetype kept = 0;
    for (const Item& item : store->items())
        kept += item.tags ? 1 : 0;
    writeUtf8(streams.out, autoSortNote(store->items().size(), counts.sorted, kept) + u'\n');
    return ExitStatus::success;
}
