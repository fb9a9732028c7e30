// NetworkStore: the people file, changes, groups, and the fetching of
// avatars and logos with the races it must survive.
#include "network/NetworkStore.h"

#include "network/PeopleFile.h"
#include "platform/HttpClient.h"
#include "platform/memory/MemoryClock.h"
#include "store/Item.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QThread>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

QByteArray pngBytes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

// Serves a table of answers; a URL marked held blocks its fetch until the
// test releases it, so the test can change people while a fetch runs.
class HeldHttpClient final : public HttpClient {
public:
    std::optional<QByteArray> fetchData(const QUrl& url, qint64 maxBytes, std::chrono::seconds,
                                        QString* = nullptr) override {
        std::unique_lock guard(lock);
        requested.append(url);
        if (held.contains(url)) {
            waiting = url;
            changed.notify_all();
            changed.wait(guard, [&] { return !held.contains(url); });
            waiting.clear();
        }
        const auto found = bodies.constFind(url);
        if (found == bodies.constEnd())
            return std::nullopt;
        return found->left(maxBytes);
    }
    void stopAll() override {}

    void serve(const QString& url, const QByteArray& body) {
        const std::lock_guard guard(lock);
        bodies.insert(QUrl(url), body);
    }
    void hold(const QString& url) {
        const std::lock_guard guard(lock);
        held.insert(QUrl(url));
    }
    // Blocks until a fetch waits at url.
    void waitUntilHeldAt(const QString& url) {
        std::unique_lock guard(lock);
        changed.wait(guard, [&] { return waiting == QUrl(url); });
    }
    void release(const QString& url) {
        {
            const std::lock_guard guard(lock);
            held.remove(QUrl(url));
        }
        changed.notify_all();
    }
    int count(const QString& url) const {
        const std::lock_guard guard(lock);
        return int(requested.count(QUrl(url)));
    }

private:
    mutable std::mutex lock;
    std::condition_variable changed;
    QHash<QUrl, QByteArray> bodies;
    QSet<QUrl> held;
    QUrl waiting;
    QList<QUrl> requested;
};

constexpr auto companyService = "http://suggest.test";
constexpr auto faviconService = "http://icons.test";

class NetworkStoreTest : public ::testing::Test {
protected:
    NetworkStoreTest() {
        static int argc = 1;
        static char name[] = "tovik_core_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            app = std::make_unique<QCoreApplication>(argc, argv);
        // Acme's logo and Ada's profile with its picture.
        http.serve(u"http://suggest.test/v1/companies/suggest?query=Acme"_s,
                   R"([{"name":"Acme","domain":"acme.test"}])");
        http.serve(u"http://icons.test/s2/favicons?domain=acme.test&sz=128"_s, pngBytes(300, 200));
        http.serve(u"https://www.linkedin.com/in/ada"_s,
                   "<title>Ada Lovelace - Analyst at Acme | LinkedIn</title>"
                   "<meta property=\"og:image\" content=\"http://media.test/ada.png\">");
        // Larger than an avatar, yet small enough that Qt scales it on the
        // calling thread: its slicing across its own pool is hidden from
        // ThreadSanitizer and reads there as a race.
        http.serve(u"http://media.test/ada.png"_s, pngBytes(320, 320));
    }

    std::unique_ptr<NetworkStore> open(bool enrichAtOpen = true) {
        NetworkStore::Options options;
        options.dataFolder = folder.path();
        options.http = &http;
        options.clock = &clock;
        options.services.companyService = QString::fromLatin1(companyService);
        options.services.faviconService = QString::fromLatin1(faviconService);
        options.enrichAtOpen = enrichAtOpen;
        return std::make_unique<NetworkStore>(options);
    }

    static Person person(const QString& name, const QString& company = {},
                         std::optional<QString> link = std::nullopt) {
        Person person;
        person.id = QUuid::createUuid();
        person.name = name;
        person.company = company;
        person.linkedin = std::move(link);
        person.addedAt = 100;
        return person;
    }

    static void waitForIdle(const NetworkStore& store) {
        for (int i = 0; i < 2000 && store.pendingEnrichments() > 0; ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        ASSERT_EQ(store.pendingEnrichments(), 0);
    }

    QList<Person> onDisk() const {
        QFile file(folder.path() + u"/people.json"_s);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return PeopleFile::decode(file.readAll()).value_or(QList<Person>());
    }

    QStringList files() const { return QDir(folder.path() + u"/Files"_s).entryList(QDir::Files); }

    QSize imageSize(const std::optional<QString>& name) const {
        return QImage(folder.path() + u"/Files/"_s + name.value_or(QString())).size();
    }

    std::unique_ptr<QCoreApplication> app;
    QTemporaryDir folder;
    MemoryClock clock;
    HeldHttpClient http;
};

} // namespace

TEST_F(NetworkStoreTest, ChangesAreWrittenAndReadBackInOrder) {
    Person ada = person(u"Ada"_s, u"Acme"_s);
    Person grace = person(u"Grace"_s);
    {
        auto store = open();
        EXPECT_TRUE(store->add(ada));
        EXPECT_TRUE(store->add(grace));
        waitForIdle(*store);
        ada = *store->person(ada.id);
    }
    auto store = open();
    ASSERT_EQ(store->people().size(), 2);
    EXPECT_EQ(store->people()[0], ada);
    EXPECT_EQ(store->people()[1], grace);
    EXPECT_EQ(onDisk(), store->people());
}

TEST_F(NetworkStoreTest, AnUnreadablePeopleFileIsSetAsideAndNeverOverwritten) {
    const QByteArray damaged = R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"Ada"}])";
    {
        QFile file(folder.path() + u"/people.json"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    auto store = open();
    EXPECT_TRUE(store->people().isEmpty());
    ASSERT_TRUE(store->setAsideFile());
    QFile aside(*store->setAsideFile());
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), damaged);
    EXPECT_TRUE(aside.fileName().contains(u"people.json.unreadable-"_s));
    EXPECT_TRUE(store->add(person(u"Grace"_s)));
    EXPECT_EQ(onDisk().size(), 1);
}

TEST_F(NetworkStoreTest, UpdateForgetsOnlyTheImagesWhoseSourceChanged) {
    auto store = open();
    Person ada = person(u"Ada"_s, u"Acme"_s, u"https://www.linkedin.com/in/ada"_s);
    store->add(ada);
    waitForIdle(*store);
    ada = *store->person(ada.id);
    ASSERT_TRUE(ada.avatarFileName && !ada.avatarFileName->isEmpty());
    ASSERT_TRUE(ada.logoFileName && !ada.logoFileName->isEmpty());

    Person edited = ada;
    edited.note = u"from the society"_s;
    store->update(edited);
    waitForIdle(*store);
    EXPECT_EQ(*store->person(ada.id), edited);

    // A trailing space is a different company: the logo is looked up again
    // (and the suggestion service knows nothing of it).
    edited.company = u"Acme "_s;
    store->update(edited);
    EXPECT_FALSE(store->person(ada.id)->logoFileName);
    EXPECT_EQ(store->person(ada.id)->avatarFileName, ada.avatarFileName);
    waitForIdle(*store);
    EXPECT_EQ(store->person(ada.id)->logoFileName, u""_s);

    edited = *store->person(ada.id);
    edited.linkedin = u"https://www.linkedin.com/in/nobody"_s;
    store->update(edited);
    waitForIdle(*store);
    EXPECT_EQ(store->person(ada.id)->avatarFileName, u""_s);
    EXPECT_EQ(onDisk().first(), *store->person(ada.id));

    // Nothing happens for an unknown id.
    EXPECT_TRUE(store->update(person(u"Nobody"_s)));
    EXPECT_EQ(store->people().size(), 1);
}

TEST_F(NetworkStoreTest, EnrichmentStoresAScaledAvatarAndLogoAndFailuresAreNotRetried) {
    auto store = open();
    Person ada = person(u"Ada"_s, u"Acme"_s, u"https://www.linkedin.com/in/ada"_s);
    Person lone = person(u"Lone"_s);
    Person nowhere = person(u"Nowhere"_s, u"Unknown Co"_s);
    store->add(ada);
    store->add(lone);
    store->add(nowhere);
    waitForIdle(*store);
    const Person stored = *store->person(ada.id);
    EXPECT_EQ(imageSize(stored.avatarFileName), QSize(256, 256));
    // 300 × 200 scaled to 128 wide (the decoder may round the height up).
    EXPECT_EQ(imageSize(stored.logoFileName).width(), 128);
    EXPECT_NEAR(imageSize(stored.logoFileName).height(), 85, 1);
    EXPECT_TRUE(stored.avatarFileName->endsWith(u"-avatar.png"_s));
    EXPECT_TRUE(stored.logoFileName->endsWith(u"-logo.png"_s));
    EXPECT_EQ(stored.avatarFileName->size(), 36 + 11);
    EXPECT_EQ(*store->person(lone.id), lone); // nothing to fetch
    EXPECT_EQ(store->person(nowhere.id)->logoFileName, u""_s);
    EXPECT_EQ(store->logoURL(u"Acme"_s), store->filesDir() + u'/' + *stored.logoFileName);
    EXPECT_FALSE(store->logoURL(u"Unknown Co"_s));
    EXPECT_FALSE(store->logoURL(u"Independent"_s));

    const int asked = http.count(u"http://suggest.test/v1/companies/suggest?query=Unknown%20Co"_s);
    EXPECT_EQ(asked, 1);
    store.reset();
    store = open(); // at start only people still missing an image are queued
    waitForIdle(*store);
    EXPECT_EQ(http.count(u"http://suggest.test/v1/companies/suggest?query=Unknown%20Co"_s), 1);
    EXPECT_EQ(store->enrichPending(), 0);
}

TEST_F(NetworkStoreTest, SuggestionAnswersWithoutADomainLeaveTheLogoEmpty) {
    const struct {
        QString company;
        QByteArray answer;
    } cases[] = {
        {u"Empty"_s, "[]"},
        {u"NoDomain"_s, R"([{"name":"NoDomain"}])"},
        {u"BlankDomain"_s, R"([{"domain":""}])"},
        {u"NotAList"_s, R"({"domain":"x.test"})"},
        {u"NoIcon"_s, R"([{"domain":"unserved.test"}])"},
    };
    auto store = open();
    QList<QUuid> ids;
    for (const auto& [company, answer] : cases) {
        http.serve(u"http://suggest.test/v1/companies/suggest?query="_s + company, answer);
        const Person each = person(company, company);
        ids.append(each.id);
        store->add(each);
    }
    waitForIdle(*store);
    for (const QUuid& id : ids)
        EXPECT_EQ(store->person(id)->logoFileName, u""_s) << store->person(id)->name.toStdString();
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(NetworkStoreTest, CompanyNamesReachTheServiceAsOneQueryValue) {
    auto store = open();
    store->add(person(u"Ma"_s, u"AT&T + Co"_s));
    store->add(person(u"Sp"_s, u"  "_s)); // only spaces: still looked up
    waitForIdle(*store);
    EXPECT_EQ(http.count(u"http://suggest.test/v1/companies/suggest?query=AT%26T%20%2B%20Co"_s), 1);
    EXPECT_EQ(http.count(u"http://suggest.test/v1/companies/suggest?query=%20%20"_s), 1);
}

TEST_F(NetworkStoreTest, APersonRemovedWhileFetchingIsNotWrittenBack) {
    auto store = open();
    const QString logo = u"http://icons.test/s2/favicons?domain=acme.test&sz=128"_s;
    http.hold(logo);
    const Person ada = person(u"Ada"_s, u"Acme"_s, u"https://www.linkedin.com/in/ada"_s);
    store->add(ada);
    http.waitUntilHeldAt(logo); // the avatar is stored, the logo on its way
    store->remove(ada);
    http.release(logo);
    waitForIdle(*store);
    EXPECT_TRUE(store->people().isEmpty());
    EXPECT_TRUE(onDisk().isEmpty());
    EXPECT_TRUE(files().isEmpty()) << files().join(u' ').toStdString();
}

TEST_F(NetworkStoreTest, EditsDuringAFetchSurviveAndAnOutdatedResultIsDropped) {
    auto store = open();
    const QString logo = u"http://icons.test/s2/favicons?domain=acme.test&sz=128"_s;
    http.serve(u"http://suggest.test/v1/companies/suggest?query=Beta"_s,
               R"([{"domain":"beta.test"}])");
    http.serve(u"http://icons.test/s2/favicons?domain=beta.test&sz=128"_s, pngBytes(64, 64));
    http.hold(logo);
    Person ada = person(u"Ada"_s, u"Acme"_s);
    store->add(ada);
    http.waitUntilHeldAt(logo);
    // The note changes while Acme's logo is fetched: both are kept.
    ada.note = u"met in Paris"_s;
    store->update(ada);
    http.release(logo);
    waitForIdle(*store);
    EXPECT_EQ(store->person(ada.id)->note, u"met in Paris"_s);
    const std::optional<QString> acmeLogo = store->person(ada.id)->logoFileName;
    ASSERT_TRUE(acmeLogo && !acmeLogo->isEmpty());

    // The company changes while the old one's logo is fetched: the old
    // answer is dropped and the new company's logo is stored.
    Person bob = person(u"Bob"_s, u"Acme"_s);
    http.hold(logo);
    store->add(bob);
    http.waitUntilHeldAt(logo);
    bob.company = u"Beta"_s;
    store->update(bob);
    http.release(logo);
    waitForIdle(*store);
    const std::optional<QString> bobLogo = store->person(bob.id)->logoFileName;
    ASSERT_TRUE(bobLogo && !bobLogo->isEmpty());
    EXPECT_EQ(imageSize(bobLogo), QSize(64, 64));
    EXPECT_EQ(onDisk(), store->people());
    // Ada's logo and Bob's Beta logo; the outdated Acme logo was deleted.
    EXPECT_EQ(files().size(), 2);
}

TEST_F(NetworkStoreTest, RemovingAPersonDeletesOnlyTheirOwnPlainNamedFiles) {
    const QString files = folder.path() + u"/Files/"_s;
    QDir().mkpath(files);
    for (const QString& name :
         {u"A-avatar.png"_s, u"A-logo.png"_s, u"B-logo.png"_s, u"shared-logo.png"_s})
        QFile(files + name).open(QIODevice::WriteOnly);
    QFile(folder.path() + u"/keep.txt"_s).open(QIODevice::WriteOnly);

    Person a = person(u"A"_s, u"Acme"_s);
    a.avatarFileName = u"A-avatar.png"_s;
    a.logoFileName = u"A-logo.png"_s;
    Person b = person(u"B"_s, u"Acme"_s);
    b.logoFileName = u"B-logo.png"_s;
    Person tampered = person(u"T"_s, u"Acme"_s);
    tampered.avatarFileName = u"../keep.txt"_s;
    tampered.logoFileName = u"shared-logo.png"_s;
    Person copy = person(u"C"_s, u"Acme"_s);
    copy.logoFileName = u"shared-logo.png"_s;
    {
        QFile file(folder.path() + u"/people.json"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(PeopleFile::encode({a, b, tampered, copy}));
    }
    auto store = open(false);
    store->remove(a);
    store->remove(tampered);
    EXPECT_FALSE(QFile::exists(files + u"A-avatar.png"_s));
    EXPECT_FALSE(QFile::exists(files + u"A-logo.png"_s));
    EXPECT_TRUE(QFile::exists(files + u"B-logo.png"_s));
    EXPECT_TRUE(QFile::exists(files + u"shared-logo.png"_s)); // C still shows it
    EXPECT_TRUE(QFile::exists(folder.path() + u"/keep.txt"_s));
    EXPECT_EQ(store->people().size(), 2);
    // A name that leaves "Files" is never used as a path.
    EXPECT_EQ(store->storedPath(u"../keep.txt"_s), QString());
    EXPECT_EQ(store->storedPath(u""_s), QString());
    EXPECT_EQ(store->logoURL(u"Acme"_s), files + u"B-logo.png"_s);
}

TEST_F(NetworkStoreTest, GroupsPutTheLargestFirstAndSortMembersByScalarValues) {
    auto store = open(false);
    const auto add = [&](const QString& name, const QString& company) {
        store->add(person(name, company));
    };
    for (const QString& name : {u"c"_s, u"a"_s, u"b"_s})
        add(name, u"Acme"_s);
    for (const QString& name : {u"z"_s, u"y"_s, u"x"_s})
        add(name, u"Beta"_s);
    for (const QString& name : {u"adam"_s, u"Zoe"_s, u"Émile"_s, u"E\u0301mile"_s, u"Ann"_s})
        add(name, u"Zed"_s);
    add(u"Solo"_s, u""_s);
    add(u"Spaced"_s, u" "_s);
    add(u"Trailing"_s, u"Acme "_s);
    // One café, however its é is encoded.
    add(u"Composed"_s, u"Caf\u00e9"_s);
    add(u"Decomposed"_s, u"Cafe\u0301"_s);

    const QList<PeopleGroup> groups = store->groups();
    QStringList order;
    for (const PeopleGroup& group : groups)
        order.append(group.company);
    EXPECT_EQ(order, (QStringList{u"Zed"_s, u"Acme"_s, u"Beta"_s, u"Caf\u00e9"_s, u"Independent"_s,
                                  u"Acme "_s}));
    QStringList zed;
    for (const Person& member : groups[0].members)
        zed.append(member.name);
    // Canonically equal names keep their order (stable); "Zoe" before "adam".
    EXPECT_EQ(zed, (QStringList{u"Ann"_s, u"Zoe"_s, u"adam"_s, u"Émile"_s, u"E\u0301mile"_s}));
    EXPECT_EQ(groups[3].members.size(), 2);
    EXPECT_EQ(groups[4].members.size(), 2);
    EXPECT_EQ(groups[4].members[0].name, u"Solo"_s);
}

TEST_F(NetworkStoreTest, ProfileFetchesForTheSheetAnswerOnTheMainThreadUnlessItIsGone) {
    auto store = open(false);
    QObject receiver;
    std::optional<FetchedProfile> got;
    store->fetchProfile(u"www.linkedin.com/in/ada"_s, &receiver,
                        [&](const FetchedProfile& profile) { got = profile; });
    for (int i = 0; i < 2000 && !got; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    ASSERT_TRUE(got);
    EXPECT_EQ(got->name, u"Ada Lovelace"_s);
    EXPECT_EQ(got->company, u"Acme"_s);

    bool called = false;
    auto gone = std::make_unique<QObject>();
    const QString held = u"https://www.linkedin.com/in/ada"_s;
    http.hold(held);
    store->fetchProfile(held, gone.get(), [&](const FetchedProfile&) { called = true; });
    http.waitUntilHeldAt(held);
    gone.reset();
    http.release(held);
    // Fetches run one after another: once a later one has answered, the
    // earlier answer has been delivered or dropped.
    got.reset();
    store->fetchProfile(u"x.com/ada"_s, &receiver,
                        [&](const FetchedProfile& profile) { got = profile; });
    for (int i = 0; i < 2000 && !got; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    ASSERT_TRUE(got);
    EXPECT_FALSE(called);
}
