#include "network/NetworkStore.h"

#include "common/AtomicFile.h"
#include "common/HandOver.h"
#include "common/SerialQueue.h"
#include "common/SharedInstance.h"
#include "network/PeopleFile.h"
#include "platform/Clock.h"
#include "store/StoredFileName.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Code point order of two texts. UTF-16 order differs from it only where a
// surrogate meets a unit from U+E000 up: surrogates are moved above those.
int compareScalars(const QString& a, const QString& b) {
    const auto rank = [](char16_t c) -> char32_t {
        if (c >= 0xD800 && c <= 0xDFFF)
            return char32_t(c) + 0x2000;
        if (c >= 0xE000)
            return char32_t(c) - 0x800;
        return c;
    };
    const qsizetype length = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y)
            return rank(x) < rank(y) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

QString sortKey(const QString& text) {
    return text.normalized(QString::NormalizationForm_C);
}

} // namespace

NetworkStore::NetworkStore(Options options) : options(std::move(options)) {
    filesFolder = this->options.dataFolder + u"/Files"_s;
    peopleFile = this->options.dataFolder + u"/people.json"_s;
    if (!this->options.readOnly) {
        QDir().mkpath(filesFolder);
        enrichQueue = std::make_unique<SerialQueue>(u"lumavex.network.enrich"_s);
        profileQueue = std::make_unique<SerialQueue>(u"lumavex.network.profile"_s);
        images = std::make_unique<PersonImages>(*this->options.http, filesFolder,
                                                this->options.services);
    }
    load();
    if (!this->options.readOnly && this->options.enrichAtOpen)
        enrichPending();
}

NetworkStore::~NetworkStore() {
    // The running fetch finishes (its owner stops the HTTP client first when
    // quitting); fetches not started are dropped, and so are results not
    // merged yet, as the store they belong to goes.
    profileQueue.reset();
    enrichQueue.reset();
}

NetworkStore& NetworkStore::shared() {
    return SharedInstance<NetworkStore>::get();
}

void NetworkStore::load() {
    const QDateTime now = options.clock ? options.clock->now() : QDateTime::currentDateTimeUtc();
    PeopleFile::ReadResult read = PeopleFile::read(peopleFile, now, !options.readOnly);
    const std::lock_guard guard(peopleLock);
    peopleList = std::move(read.people);
    setAsidePath = read.setAsidePath;
    writesBlocked = read.blocked;
}

bool NetworkStore::persist() {
    Q_EMIT changed();
    if (!isWritable())
        return false;
    return AtomicFile::write(peopleFile, PeopleFile::encode(peopleList));
}

qsizetype NetworkStore::positionOf(const QUuid& id) const {
    for (qsizetype i = 0; i < peopleList.size(); ++i) {
        if (peopleList[i].id == id)
            return i;
    }
    return -1;
}

const Person* NetworkStore::person(const QUuid& id) const {
    const qsizetype at = positionOf(id);
    return at < 0 ? nullptr : &peopleList[at];
}

bool NetworkStore::add(const Person& person) {
    {
        const std::lock_guard guard(peopleLock);
        peopleList.append(person);
    }
    const bool written = persist();
    if (options.enrichOnChange)
        enrich(person.id);
    return written;
}

bool NetworkStore::update(Person person) {
    const qsizetype at = positionOf(person.id);
    if (at < 0)
        return true;
    const Person& stored = peopleList[at];
    if (person.linkedin != stored.linkedin)
        person.avatarFileName.reset();
    if (person.company != stored.company)
        person.logoFileName.reset();
    {
        const std::lock_guard guard(peopleLock);
        peopleList[at] = person;
    }
    const bool written = persist();
    if (options.enrichOnChange)
        enrich(person.id);
    return written;
}

bool NetworkStore::isNamedByAnyone(const QString& name) const {
    return std::any_of(peopleList.cbegin(), peopleList.cend(), [&name](const Person& person) {
        return person.avatarFileName == name || person.logoFileName == name;
    });
}

bool NetworkStore::remove(const Person& person) {
    // The stored record says which files are the person's: the caller's copy
    // may be older than an image that arrived meanwhile.
    const qsizetype at = positionOf(person.id);
    if (at < 0)
        return true;
    const Person stored = peopleList[at];
    {
        const std::lock_guard guard(peopleLock);
        peopleList.removeIf([&](const Person& each) { return each.id == person.id; });
    }
    // A name another person also gives (a copied or tampered file) stays.
    for (const std::optional<QString>& name : {stored.avatarFileName, stored.logoFileName}) {
        if (name && !isNamedByAnyone(*name))
            deleteStoredFile(name);
    }
    return persist();
}

QString NetworkStore::storedPath(const std::optional<QString>& name) const {
    if (!name || !isPlainStoredName(*name))
        return {};
    return filesFolder + u'/' + *name;
}

void NetworkStore::deleteStoredFile(const std::optional<QString>& name) const {
    const QString path = storedPath(name);
    if (!path.isEmpty())
        QFile::remove(path);
}

QList<PeopleGroup> NetworkStore::groups() const {
    struct Member {
        const Person* person;
        QString key;
    };
    struct Group {
        QString company;
        QString key;
        QList<Member> members;
    };
    QList<Group> found;
    // Keys that differ only in how an accented letter is encoded (é as one
    // character or as e and an accent) name the same company: one group,
    // shown with the key first seen.
    QHash<QString, qsizetype> index;
    for (const Person& person : peopleList) {
        const QString company = person.companyKey();
        const QString key = sortKey(company);
        auto it = index.constFind(key);
        if (it == index.constEnd()) {
            it = index.insert(key, found.size());
            found.append({company, key, {}});
        }
        found[*it].members.append({&person, sortKey(person.name)});
    }
    for (Group& group : found) {
        std::stable_sort(
            group.members.begin(), group.members.end(),
            [](const Member& a, const Member& b) { return compareScalars(a.key, b.key) < 0; });
    }
    std::sort(found.begin(), found.end(), [](const Group& a, const Group& b) {
        if (a.members.size() != b.members.size())
            return a.members.size() > b.members.size();
        return compareScalars(a.key, b.key) < 0;
    });
    QList<PeopleGroup> groups;
    groups.reserve(found.size());
    for (const Group& group : std::as_const(found)) {
        PeopleGroup result{group.company, {}};
        result.members.reserve(group.members.size());
        for (const Member& member : group.members)
            result.members.append(*member.person);
        groups.append(std::move(result));
    }
    return groups;
}

std::optional<QString> NetworkStore::logoURL(const QString& companyKey) const {
    const QString wanted = sortKey(companyKey);
    for (const Person& person : peopleList) {
        if (person.logoFileName && !person.logoFileName->isEmpty() &&
            sortKey(person.companyKey()) == wanted) {
            const QString path = storedPath(person.logoFileName);
            if (!path.isEmpty())
                return path;
        }
    }
    return std::nullopt;
}

int NetworkStore::enrichPending() {
    int queued = 0;
    for (const Person& person : std::as_const(peopleList)) {
        if (!person.needsEnrichment())
            continue;
        bool waiting = false;
        {
            const std::lock_guard guard(peopleLock);
            waiting = queuedIds.contains(person.id);
        }
        if (!waiting) {
            enrich(person.id);
            ++queued;
        }
    }
    return queued;
}

void NetworkStore::enrich(const QUuid& id) {
    if (!enrichQueue)
        return;
    {
        const std::lock_guard guard(peopleLock);
        // A task that has not started yet reads the person afresh anyway.
        if (queuedIds.contains(id))
            return;
        queuedIds.insert(id);
    }
    ++enrichmentsInFlight;
    enrichQueue->submit([this, id] { runEnrichment(id); });
}

void NetworkStore::runEnrichment(const QUuid& id) {
    std::optional<Person> person;
    {
        const std::lock_guard guard(peopleLock);
        queuedIds.remove(id);
        for (const Person& each : std::as_const(peopleList)) {
            if (each.id == id) {
                person = each;
                break;
            }
        }
    }
    EnrichmentResult result;
    result.id = id;
    if (person) {
        if (person->linkedin && !person->linkedin->isEmpty() && !person->avatarFileName) {
            result.link = *person->linkedin;
            result.avatar = images->fetchAvatar(result.link).value_or(QString());
        }
        if (!person->company.isEmpty() && !person->logoFileName) {
            result.company = person->company;
            result.logo = images->fetchCompanyLogo(result.company).value_or(QString());
        }
    }
    // The store outlives this task: its destructor joins the queue first.
    handOver(this, [this, result] { applyEnrichment(result); });
}

void NetworkStore::applyEnrichment(const EnrichmentResult& result) {
    --enrichmentsInFlight;
    const qsizetype at = positionOf(result.id);
    bool changedPerson = false;
    if (at >= 0) {
        Person person = peopleList[at];
        // A result is kept only for the link or company it was fetched for,
        // and only where no image has been set meanwhile: an edit during the
        // fetch has queued a fetch of its own, and an older answer must not
        // take its place.
        if (result.avatar && !person.avatarFileName && person.linkedin == result.link) {
            person.avatarFileName = result.avatar;
            changedPerson = true;
        } else if (result.avatar) {
            deleteStoredFile(result.avatar);
        }
        if (result.logo && !person.logoFileName && person.company == result.company) {
            person.logoFileName = result.logo;
            changedPerson = true;
        } else if (result.logo) {
            deleteStoredFile(result.logo);
        }
        if (changedPerson) {
            {
                const std::lock_guard guard(peopleLock);
                peopleList[at] = person;
            }
            persist();
        }
    } else {
        // Removed while its images were fetched: they belong to no one.
        deleteStoredFile(result.avatar);
        deleteStoredFile(result.logo);
    }
    if (enrichmentsInFlight == 0)
        Q_EMIT enrichmentIdle();
}

void NetworkStore::fetchProfile(const QString& link, QObject* context,
                                std::function<void(const FetchedProfile&)> done) {
    if (!profileQueue)
        return;
    QPointer<QObject> receiver(context);
    HttpClient* http = options.http;
    profileQueue->submit([this, link, http, receiver, done = std::move(done)] {
        const FetchedProfile profile = ProfileFetcher(*http).fetch(link);
        handOver(this, [receiver, done, profile] {
            if (receiver)
                done(profile);
        });
    });
}
