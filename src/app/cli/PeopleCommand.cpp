#include "app/cli/PeopleCommand.h"

#include "app/AppServices.h"
#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "app/cli/PeopleAccess.h"
#include "app/cli/StoreAccess.h"
#include "common/ReferenceDate.h"
#include "network/NetworkLayout.h"
#include "network/NetworkStore.h"
#include "network/PeopleFile.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "store/Item.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <ostream>

using namespace Qt::StringLiterals;

namespace {

const QString actionsHelp =
    u"\n\n"
    "  (none), list [--json]   the people, in the order they were added; --json prints the\n"
    "                          people file's array as stored\n"
    "  add --name NAME [--company C] [--location L] [--note N] [--link URL]\n"
    "                          add a person (texts trimmed of spaces and tabs, as the\n"
    "                          person sheet does) and print it as JSON; their avatar and\n"
    "                          company logo are fetched by 'people enrich' or the app\n"
    "  edit ID [--name N] [--company C] [--location L] [--note N] [--link URL]\n"
    "                          change a person's texts exactly as given and print it; a\n"
    "                          new link or company fetches the avatar or logo again\n"
    "  remove ID               remove a person with their avatar and logo files\n"
    "  groups [--json]         the map's groups: [{\"company\", \"members\": [ids]}]\n"
    "  layout [--json]         the map: {\"hubs\", \"nodes\", \"edges\"} with positions on\n"
    "                          the 880 x 880 canvas and palette indices 0-7\n"
    "  enrich [--wait]         fetch the avatars and logos still missing"_s;

void writeJson(std::ostream& out, const QJsonDocument& document) {
    const QByteArray json = document.toJson(QJsonDocument::Compact);
    out.write(json.constData(), json.size());
    out << '\n';
}

QJsonArray point(const QPointF& p) {
    return QJsonArray{p.x(), p.y()};
}

int failure(const QString& action, const QString& message, CommandStreams& streams) {
    writeUtf8(streams.err, u"tovik people "_s + action + u": "_s + message + u'\n');
    return ExitStatus::failure;
}

int notWritten(const QString& action, const NetworkStore& store, CommandStreams& streams) {
    return failure(action, u"could not write "_s + store.file(), streams);
}

// The person an ID argument names, or a failure reported as one line.
const Person* findPerson(const NetworkStore& store, const QString& argument, const QString& action,
                         CommandStreams& streams) {
    const std::optional<QUuid> id = StoreAccess::parseId(argument);
    const Person* person = id ? store.person(*id) : nullptr;
    if (!person)
        failure(action, u"no person with id "_s + quoted(argument), streams);
    return person;
}

struct TextOptions {
    QCommandLineOption name{u"name"_s, u"The person's full name."_s, u"NAME"_s};
    QCommandLineOption company{u"company"_s, u"Where they work."_s, u"COMPANY"_s};
    QCommandLineOption location{u"location"_s, u"Where they live."_s, u"LOCATION"_s};
    QCommandLineOption note{u"note"_s, u"How you know them."_s, u"NOTE"_s};
    QCommandLineOption link{u"link"_s, u"Their LinkedIn, X or Instagram profile."_s, u"URL"_s};

    void addTo(CommandParser& parser) const {
        for (const QCommandLineOption* option : {&name, &company, &location, &note, &link})
            parser.options().addOption(*option);
    }
};

} // namespace

QString PeopleCommand::name() const {
    return u"people"_s;
}

QString PeopleCommand::summary() const {
    return u"List, add, edit or remove the people of the map; print its groups and layout."_s;
}

bool PeopleCommand::changesDataWith(const QStringList& arguments) const {
    const QString action = arguments.value(0);
    return action == u"add"_s || action == u"edit"_s || action == u"remove"_s ||
           action == u"enrich"_s;
}

int PeopleCommand::run(const QStringList& arguments, CommandStreams& streams) {
    const QString action = arguments.value(0);
    const QStringList rest = arguments.mid(1);
    if (action.isEmpty() || action.startsWith(u'-'))
        return list(arguments, streams);
    if (action == u"list"_s)
        return list(rest, streams);
    if (action == u"add"_s)
        return add(rest, streams);
    if (action == u"edit"_s)
        return edit(rest, streams);
    if (action == u"remove"_s)
        return remove(rest, streams);
    if (action == u"groups"_s)
        return groups(rest, streams);
    if (action == u"layout"_s)
        return layout(rest, streams);
    if (action == u"enrich"_s)
        return enrich(rest, streams);
    CommandParser parser(name(), summary() + actionsHelp, u"[ACTION]"_s);
    return parser.usageError(u"unknown action "_s + quoted(action), streams);
}

void PeopleCommand::runInApp(const QStringList& arguments, CommandStreams& streams,
                             std::function<void(int)> done) {
    if (arguments.value(0) == u"enrich"_s) {
        enrichInApp(arguments.mid(1), streams, std::move(done));
        return;
    }
    done(run(arguments, streams));
}

int PeopleCommand::list(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name(), summary() + actionsHelp, u"[ACTION]"_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Print JSON."_s);
    parser.options().addOption(jsonOption);
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    std::shared_ptr<NetworkStore> store = PeopleAccess::open(false, name(), streams);
    if (!store)
        return ExitStatus::failure;
    if (parser.options().isSet(jsonOption)) {
        const QByteArray json = PeopleFile::encode(store->people());
        streams.out.write(json.constData(), json.size());
        streams.out << '\n';
        return ExitStatus::success;
    }
    for (const Person& person : store->people()) {
        QString line = idString(person.id) + u"  "_s + person.name;
        if (!person.company.isEmpty())
            line += u"  ("_s + person.company + u')';
        if (!person.location.isEmpty())
            line += u"  "_s + person.location;
        writeUtf8(streams.out, line.replace(u'\n', u' ') + u'\n');
    }
    return ExitStatus::success;
}

int PeopleCommand::add(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name() + u" add"_s, u"Add a person to the map and print them as JSON."_s);
    const TextOptions texts;
    texts.addTo(parser);
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    const QCommandLineParser& options = parser.options();
    Person person;
    person.id = QUuid::createUuid();
    person.name = trimSpacesAndTabs(options.value(texts.name));
    if (person.name.isEmpty())
        return parser.usageError(u"a name is required (--name NAME)"_s, streams);
    person.company = trimSpacesAndTabs(options.value(texts.company));
    person.location = trimSpacesAndTabs(options.value(texts.location));
    person.note = trimSpacesAndTabs(options.value(texts.note));
    if (options.isSet(texts.link))
        person.linkedin = trimSpacesAndTabs(options.value(texts.link));
    person.addedAt = ReferenceDate::secondsFrom(AppServices::current().platform().clock().now());

    std::shared_ptr<NetworkStore> store = PeopleAccess::open(true, name(), streams);
    if (!store)
        return ExitStatus::failure;
    if (!store->add(person))
        return notWritten(u"add"_s, *store, streams);
    writeJson(streams.out, QJsonDocument(person.toJson()));
    return ExitStatus::success;
}

int PeopleCommand::edit(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name() + u" edit"_s,
                         u"Change a person's texts, exactly as given, and print them as JSON."_s,
                         u"ID"_s);
    const TextOptions texts;
    texts.addTo(parser);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList values = parser.options().positionalArguments();
    if (values.size() != 1)
        return parser.usageError(u"give exactly one person id"_s, streams);
    std::shared_ptr<NetworkStore> store = PeopleAccess::open(true, name(), streams);
    if (!store)
        return ExitStatus::failure;
    const Person* found = findPerson(*store, values.first(), u"edit"_s, streams);
    if (!found)
        return ExitStatus::failure;
    Person person = *found;
    const QCommandLineParser& options = parser.options();
    if (options.isSet(texts.name))
        person.name = options.value(texts.name);
    if (options.isSet(texts.company))
        person.company = options.value(texts.company);
    if (options.isSet(texts.location))
        person.location = options.value(texts.location);
    if (options.isSet(texts.note))
        person.note = options.value(texts.note);
    if (options.isSet(texts.link))
        person.linkedin = options.value(texts.link);
    if (!store->update(person))
        return notWritten(u"edit"_s, *store, streams);
    writeJson(streams.out, QJsonDocument(store->person(person.id)->toJson()));
    return ExitStatus::success;
}

int PeopleCommand::remove(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name() + u" remove"_s,
                         u"Remove a person and their avatar and logo files."_s, u"ID"_s);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList values = parser.options().positionalArguments();
    if (values.size() != 1)
        return parser.usageError(u"give exactly one person id"_s, streams);
    std::shared_ptr<NetworkStore> store = PeopleAccess::open(true, name(), streams);
    if (!store)
        return ExitStatus::failure;
    const Person* person = findPerson(*store, values.first(), u"remove"_s, streams);
    if (!person)
        return ExitStatus::failure;
    if (!store->remove(Person(*person)))
        return notWritten(u"remove"_s, *store, streams);
    return ExitStatus::success;
}

int PeopleCommand::groups(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(name() + u" groups"_s,
                         u"The people grouped by company as the map shows them: the largest "
                         "group first, members by name. --json prints "
                         "[{\"company\": KEY, \"members\": [IDS]}]."_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Print JSON."_s);
    parser.options().addOption(jsonOption);
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    std::shared_ptr<NetworkStore> store = PeopleAccess::open(false, name(), streams);
    if (!store)
        return ExitStatus::failure;
    const QList<PeopleGroup> groups = store->groups();
    if (parser.options().isSet(jsonOption)) {
        QJsonArray array;
        for (const PeopleGroup& group : groups) {
            QJsonArray members;
            for (const Person& person : group.members)
                members.append(idString(person.id));
            array.append(QJsonObject{{u"company"_s, group.company}, {u"members"_s, members}});
        }
        writeJson(streams.out, QJsonDocument(array));
        return ExitStatus::success;
    }
    for (const PeopleGroup& group : groups) {
        QStringList names;
        for (const Person& person : group.members)
            names.append(person.name);
        writeUtf8(streams.out, group.company + u" ("_s + QString::number(group.members.size()) +
                                   u"): "_s + names.join(u", "_s) + u'\n');
    }
    return ExitStatus::success;
}

int PeopleCommand::layout(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(
        name() + u" layout"_s,
        u"Where the map places its hubs, people and lines on the 880 x 880 canvas. --json "
        "prints {\"hubs\": [{\"company\", \"x\", \"y\", \"color\"}], \"nodes\": [{\"id\", "
        "\"x\", \"y\", \"color\"}], \"edges\": [{\"from\": [x, y], \"to\": [x, y], "
        "\"color\"}]}, colours being palette indices 0-7."_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Print JSON."_s);
    parser.options().addOption(jsonOption);
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return *status;
    std::shared_ptr<NetworkStore> store = PeopleAccess::open(false, name(), streams);
    if (!store)
        return ExitStatus::failure;
    const NetworkLayout layout(store->groups());
    if (parser.options().isSet(jsonOption)) {
        QJsonArray hubs;
        for (const NetworkLayout::Hub& hub : layout.hubs())
            hubs.append(QJsonObject{{u"company"_s, hub.company},
                                    {u"x"_s, hub.position.x()},
                                    {u"y"_s, hub.position.y()},
                                    {u"color"_s, hub.color}});
        QJsonArray nodes;
        for (const NetworkLayout::Node& node : layout.nodes())
            nodes.append(QJsonObject{{u"id"_s, idString(node.person.id)},
                                     {u"x"_s, node.position.x()},
                                     {u"y"_s, node.position.y()},
                                     {u"color"_s, node.color}});
        QJsonArray edges;
        for (const NetworkLayout::Edge& edge : layout.edges())
            edges.append(QJsonObject{{u"from"_s, point(edge.from)},
                                     {u"to"_s, point(edge.to)},
                                     {u"color"_s, edge.color}});
        writeJson(streams.out, QJsonDocument(QJsonObject{
                                   {u"hubs"_s, hubs}, {u"nodes"_s, nodes}, {u"edges"_s, edges}}));
        return ExitStatus::success;
    }
    const auto at = [](const QPointF& p) {
        return QString::number(p.x(), 'f', 2) + u' ' + QString::number(p.y(), 'f', 2);
    };
    for (const NetworkLayout::Hub& hub : layout.hubs())
        writeUtf8(streams.out, u"hub   "_s + at(hub.position) + u"  "_s + hub.company + u'\n');
    for (const NetworkLayout::Node& node : layout.nodes())
        writeUtf8(streams.out,
                  u"node  "_s + at(node.position) + u"  "_s + node.person.name + u'\n');
    return ExitStatus::success;
}

std::optional<int> PeopleCommand::parseEnrich(const QStringList& arguments, CommandStreams& streams,
                                              bool& waitForAll) const {
    CommandParser parser(
        name() + u" enrich"_s,
        u"Fetches the avatar of each person with a profile link and the logo of each person's "
        "company, where they are still missing, one person at a time. A fetch that fails is "
        "not tried again until the link or company changes. Prints "
        "{\"handed\": N, \"finished\": N}. Without --wait it stops waiting after "_s +
            QString::number(defaultWait.count()) +
            u" seconds; what is not finished then is fetched next time (exit status 1)."_s);
    const QCommandLineOption waitOption(u"wait"_s, u"Wait until every fetch is done."_s);
    parser.options().addOption(waitOption);
    if (std::optional<int> status = parser.parseOptionsOnly(arguments, streams))
        return status;
    waitForAll = parser.options().isSet(waitOption);
    return std::nullopt;
}

namespace {

int reportEnrichment(const NetworkStore& store, int handed, CommandStreams& streams) {
    const int unfinished = store.pendingEnrichments();
    writeJson(streams.out, QJsonDocument(QJsonObject{{u"handed"_s, handed},
                                                     {u"finished"_s, handed - unfinished}}));
    if (unfinished > 0)
        return failure(u"enrich"_s,
                       QString::number(unfinished) + u" people were not finished in time"_s,
                       streams);
    return ExitStatus::success;
}

} // namespace

int PeopleCommand::enrich(const QStringList& arguments, CommandStreams& streams) {
    bool waitForAll = false;
    if (std::optional<int> status = parseEnrich(arguments, streams, waitForAll))
        return *status;
    std::shared_ptr<NetworkStore> store = PeopleAccess::open(true, name(), streams);
    if (!store)
        return ExitStatus::failure;
    store->enrichPending();
    const int handed = store->pendingEnrichments();
    if (handed > 0) {
        // This process does nothing else: its loop runs until results are merged.
        QEventLoop loop;
        QObject::connect(store.get(), &NetworkStore::enrichmentIdle, &loop, &QEventLoop::quit);
        if (!waitForAll)
            QTimer::singleShot(std::chrono::milliseconds(defaultWait), &loop, &QEventLoop::quit);
        if (store->pendingEnrichments() > 0)
            loop.exec();
    }
    if (!store->isWritable())
        return notWritten(u"enrich"_s, *store, streams);
    return reportEnrichment(*store, handed, streams);
}

void PeopleCommand::enrichInApp(const QStringList& arguments, CommandStreams& streams,
                                std::function<void(int)> done) {
    bool waitForAll = false;
    if (std::optional<int> status = parseEnrich(arguments, streams, waitForAll)) {
        done(*status);
        return;
    }
    std::shared_ptr<NetworkStore> store = PeopleAccess::open(true, name(), streams);
    if (!store) {
        done(ExitStatus::failure);
        return;
    }
    // People the app's queue already holds are not queued twice; the command
    // waits for them as well.
    store->enrichPending();
    const int handed = store->pendingEnrichments();
    if (handed == 0) {
        done(reportEnrichment(*store, handed, streams));
        return;
    }
    // The app's loop goes on; the answer follows the last merged result.
    auto* waiting = new QObject(store.get());
    const auto finish = [waiting, store, handed, &streams, done] {
        if (waiting->property("finished").toBool())
            return;
        waiting->setProperty("finished", true);
        waiting->deleteLater();
        done(reportEnrichment(*store, handed, streams));
    };
    QObject::connect(store.get(), &NetworkStore::enrichmentIdle, waiting, finish);
    if (!waitForAll)
        QTimer::singleShot(std::chrono::milliseconds(defaultWait), waiting, finish);
}
