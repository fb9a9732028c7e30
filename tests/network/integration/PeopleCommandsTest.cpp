// tovik people and tovik fetch-profile, run as a user would, against pages
// and stand-in services served from 127.0.0.1 (profile sites under their own
// host names through TOVIK_RESOLVE).
#include "platform/integration/LocalHttpServer.h"
#include "platform/integration/TestApplication.h"
#include "support/TovikProcess.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

QByteArray pngBytes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    out += type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(type + data), crc.data());
    return out + crc;
}

// A small PNG that declares 100,000 × 100,000 pixels: an image bomb.
QByteArray imageBomb() {
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(100'000, header.data());
    qToBigEndian<quint32>(100'000, header.data() + 4);
    header[8] = 8;
    const QByteArray zeros = qCompress(QByteArray(1'000'000, '\0'), 9).mid(4);
    return "\x89PNG\r\n\x1a\n"_ba + chunk("IHDR", header) + chunk("IDAT", zeros) +
           chunk("IEND", {});
}

LocalHttpServer::Response jsonAnswer(const QByteArray& body) {
    LocalHttpServer::Response response;
    response.contentType = "application/json";
    response.body = body;
    return response;
}

class PeopleCommands : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }

    QString base() const { return u"http://127.0.0.1:"_s + QString::number(server.port()); }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, data.path());
        env.insert(u"XDG_RUNTIME_DIR"_s, data.path()); // no running app is found here
        env.insert(u"TOVIK_COMPANY_SERVICE"_s, base());
        env.insert(u"TOVIK_FAVICON_SERVICE"_s, base());
        QStringList resolve;
        for (const char* host : {"www.linkedin.com", "x.com", "twitter.com", "www.instagram.com",
                                 "files.box.com", "blog.example"})
            resolve.append(QString::fromLatin1(host) + u':' + QString::number(server.port()) +
                           u":127.0.0.1"_s);
        env.insert(u"TOVIK_RESOLVE"_s, resolve.join(u','));
        return env;
    }

    TovikRun tovik(const QStringList& arguments) const {
        return runTovik(arguments, {}, environment(), 60000);
    }

    QJsonObject json(const QStringList& arguments) const {
        const TovikRun run = tovik(arguments);
        EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out).object();
    }

    QString site(const char* host) const {
        return u"http://"_s + QString::fromLatin1(host) + u':' + QString::number(server.port());
    }

    QString addPerson(const QStringList& options) const {
        const QJsonObject person = json(QStringList{u"people"_s, u"add"_s} + options);
        return person.value(u"id"_s).toString();
    }

    QJsonArray people() const {
        const TovikRun run = tovik({u"people"_s, u"--json"_s});
        EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out).array();
    }

    QSize storedImageSize(const QJsonValue& name) const {
        return QImage(data.path() + u"/Lumavex/Files/"_s + name.toString()).size();
    }

    LocalHttpServer server;
    QTemporaryDir data;
};

} // namespace

TEST_F(PeopleCommands, FetchProfileReadsEachSiteServedUnderItsOwnHost) {
    server.routeHtml("/in/ada-lovelace-1815",
                     "<html><head><title>Ada Lovelace - Analyst at Engines &amp; Co | "
                     "LinkedIn</title><meta content=\"https://media.example/ada.jpg\" "
                     "property=\"og:image\"></head></html>");
    server.routeHtml("/in/grace-hopper", "<title>Sign in | LinkedIn</title>");
    server.routeHtml("/ada",
                     "<meta property=\"og:title\" content=\"Ada &#x1F600; (@ada) / X\">"
                     "<meta property=\"og:image\" content=\"https://pbs.example/a_200x200.jpg\">");
    server.routeHtml("/ada_k", "<title>Ada King (@ada_k) on Twitter</title>");
    server.routeHtml("/ada.insta/", "<meta name=\"og:title\" content=\"Ada (@ada.insta) &bull; "
                                    "Instagram\"><meta name=\"og:image\" "
                                    "content=\"https://cdn.example/p_200x200.jpg\">");
    server.routeHtml("/s/shared", "<title>Shared file</title>");
    server.routeHtml("/about", "<title> Ada&rsquo;s blog </title>");

    const struct {
        QString link;
        QJsonValue name;
        QJsonValue company;
        QJsonValue avatar;
    } cases[] = {
        {site("www.linkedin.com") + u"/in/ada-lovelace-1815"_s, u"Ada Lovelace"_s,
         u"Engines & Co"_s, u"https://media.example/ada.jpg"_s},
        {site("www.linkedin.com") + u"/in/grace-hopper"_s, u"Grace Hopper"_s, QJsonValue::Null,
         QJsonValue::Null},
        {site("x.com") + u"/ada"_s, u"Ada \U0001F600"_s, QJsonValue::Null,
         u"https://pbs.example/a_400x400.jpg"_s},
        {site("twitter.com") + u"/ada_k"_s, u"Ada King"_s, QJsonValue::Null, QJsonValue::Null},
        {site("www.instagram.com") + u"/ada.insta/"_s, u"Ada"_s, QJsonValue::Null,
         u"https://cdn.example/p_200x200.jpg"_s},
        {site("files.box.com") + u"/s/shared"_s, u"Shared"_s, QJsonValue::Null, QJsonValue::Null},
        {site("blog.example") + u"/about"_s, u" Ada's blog "_s, QJsonValue::Null, QJsonValue::Null},
    };
    for (const auto& each : cases) {
        const QJsonObject profile = json({u"fetch-profile"_s, each.link});
        EXPECT_EQ(profile.value(u"name"_s), each.name) << each.link.toStdString();
        EXPECT_EQ(profile.value(u"company"_s), each.company) << each.link.toStdString();
        EXPECT_EQ(profile.value(u"avatarURL"_s), each.avatar) << each.link.toStdString();
    }
    for (const LocalHttpServer::Request& request : server.requests())
        EXPECT_EQ(request.headers.value("user-agent"), "Mozilla/5.0 (Macintosh) Lumavex/1.0");
}

TEST_F(PeopleCommands, FetchProfileGivesUpOnSlowAndOversizedPagesAndUsesTheSlug) {
    // The title lies beyond the first 2,000,000 bytes, which are all that is read.
    server.routeHtml("/in/huge-page-7", QByteArray(2'100'000, ' ') + "<title>Too late</title>");
    LocalHttpServer::Response slow;
    slow.body = "<title>Slow Name</title>";
    slow.delayMs = 14'000;
    server.route("/in/slow-coach", slow);
    EXPECT_EQ(json({u"fetch-profile"_s, site("www.linkedin.com") + u"/in/huge-page-7"_s})
                  .value(u"name"_s),
              u"Huge Page"_s);
    EXPECT_EQ(
        json({u"fetch-profile"_s, site("www.linkedin.com") + u"/in/slow-coach"_s}).value(u"name"_s),
        u"Slow Coach"_s);
    // Nothing to fetch without a host.
    const QJsonObject none = json({u"fetch-profile"_s, u"https://"_s});
    EXPECT_EQ(none, (QJsonObject{{u"name"_s, QJsonValue::Null},
                                 {u"company"_s, QJsonValue::Null},
                                 {u"avatarURL"_s, QJsonValue::Null}}));
    EXPECT_EQ(tovik({u"fetch-profile"_s}).exitStatus, 2);
}

TEST_F(PeopleCommands, AddEditRemoveAndListKeepThePeopleFile) {
    EXPECT_EQ(people(), QJsonArray());
    const QJsonObject ada = json({u"people"_s, u"add"_s, u"--name"_s, u" Ada Lovelace "_s,
                                  u"--company"_s, u"Engines"_s, u"--location"_s, u"London"_s});
    EXPECT_EQ(ada.value(u"name"_s), u"Ada Lovelace"_s);
    EXPECT_FALSE(ada.contains(u"linkedin"_s));
    EXPECT_TRUE(ada.value(u"addedAt"_s).isDouble());
    EXPECT_GT(ada.value(u"addedAt"_s).toDouble(), 7e8); // seconds since 2001
    const QString id = ada.value(u"id"_s).toString();
    EXPECT_EQ(id, id.toUpper());

    const QJsonObject edited = json({u"people"_s, u"edit"_s, id, u"--company"_s, u" Engines "_s,
                                     u"--note"_s, u"first programmer"_s});
    EXPECT_EQ(edited.value(u"company"_s), u" Engines "_s);
    EXPECT_EQ(edited.value(u"note"_s), u"first programmer"_s);
    EXPECT_EQ(edited.value(u"location"_s), u"London"_s);
    ASSERT_EQ(people().size(), 1);
    EXPECT_EQ(people()[0].toObject(), edited);

    QFile file(data.path() + u"/Lumavex/people.json"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains('\n'));

    const TovikRun missing =
        tovik({u"people"_s, u"remove"_s, u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_TRUE(missing.err.startsWith("tovik people remove: no person with id"));
    EXPECT_EQ(tovik({u"people"_s, u"add"_s, u"--name"_s, u"  "_s}).exitStatus, 2);
    EXPECT_EQ(tovik({u"people"_s, u"frobnicate"_s}).exitStatus, 2);
    EXPECT_EQ(tovik({u"people"_s, u"remove"_s, id}).exitStatus, 0);
    EXPECT_EQ(people(), QJsonArray());
}

TEST_F(PeopleCommands, GroupsAndLayoutFollowTheMapsRules) {
    QStringList zed, acme, beta;
    for (const QString& name : {u"zoe"_s, u"Yann"_s, u"adam"_s, u"Zoe"_s, u"Bea"_s})
        zed.append(addPerson({u"--name"_s, name, u"--company"_s, u"Zed"_s}));
    for (const QString& name : {u"c"_s, u"b"_s, u"a"_s})
        acme.append(addPerson({u"--name"_s, name, u"--company"_s, u"Acme"_s}));
    for (const QString& name : {u"y"_s, u"x"_s, u"w"_s})
        beta.append(addPerson({u"--name"_s, name, u"--company"_s, u"Beta"_s}));
    const QString solo = addPerson({u"--name"_s, u"Solo"_s});

    const TovikRun run = tovik({u"people"_s, u"groups"_s, u"--json"_s});
    ASSERT_EQ(run.exitStatus, 0) << run.err.toStdString();
    const QJsonArray groups = QJsonDocument::fromJson(run.out).array();
    ASSERT_EQ(groups.size(), 4);
    const auto ids = [](const QStringList& list) { return QJsonArray::fromStringList(list); };
    EXPECT_EQ(groups[0].toObject(),
              (QJsonObject{{u"company"_s, u"Zed"_s},
                           {u"members"_s, ids({zed[4], zed[1], zed[3], zed[2], zed[0]})}}));
    EXPECT_EQ(groups[1].toObject().value(u"company"_s), u"Acme"_s);
    EXPECT_EQ(groups[1].toObject().value(u"members"_s), ids({acme[2], acme[1], acme[0]}));
    EXPECT_EQ(groups[2].toObject().value(u"company"_s), u"Beta"_s);
    EXPECT_EQ(groups[3].toObject(),
              (QJsonObject{{u"company"_s, u"Independent"_s}, {u"members"_s, ids({solo})}}));

    const QJsonObject layout = json({u"people"_s, u"layout"_s, u"--json"_s});
    const QJsonArray hubs = layout.value(u"hubs"_s).toArray();
    const QJsonArray nodes = layout.value(u"nodes"_s).toArray();
    const QJsonArray edges = layout.value(u"edges"_s).toArray();
    ASSERT_EQ(hubs.size(), 4);
    ASSERT_EQ(nodes.size(), 12);
    ASSERT_EQ(edges.size(), 16);
    // Four hubs: top, right, bottom, left.
    const double expectedHubs[4][2] = {{440, 265}, {615, 440}, {440, 615}, {265, 440}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(hubs[i].toObject().value(u"x"_s).toDouble(), expectedHubs[i][0], 0.01);
        EXPECT_NEAR(hubs[i].toObject().value(u"y"_s).toDouble(), expectedHubs[i][1], 0.01);
    }
    // Zed's five would fan out over 1.5 radians around straight up; four hubs
    // cap the fan at 85 % of the quarter turn between them.
    const double pi = std::numbers::pi;
    const double spread = 0.85 * pi / 2;
    for (int j = 0; j < 5; ++j) {
        const double phi = -pi / 2 + spread * (j / 4.0 - 0.5);
        const QJsonObject node = nodes[j].toObject();
        EXPECT_EQ(node.value(u"id"_s), groups[0].toObject().value(u"members"_s).toArray()[j]);
        EXPECT_NEAR(node.value(u"x"_s).toDouble(), 440 + 330 * std::cos(phi), 0.01);
        EXPECT_NEAR(node.value(u"y"_s).toDouble(), 440 + 330 * std::sin(phi), 0.01);
        EXPECT_EQ(node.value(u"color"_s), hubs[0].toObject().value(u"color"_s));
    }
    const QJsonObject first = edges[0].toObject();
    EXPECT_EQ(first.value(u"from"_s), (QJsonArray{440.0, 440.0}));
    EXPECT_NEAR(first.value(u"to"_s).toArray()[1].toDouble(), 265, 0.01);
    const int color = hubs[3].toObject().value(u"color"_s).toInt();
    EXPECT_GE(color, 0);
    EXPECT_LE(color, 7);
}

TEST_F(PeopleCommands, EnrichStoresAScaledLogoAndAvatarAndDoesNotRetryFailures) {
    server.routeHtml("/in/ada", "<title>Ada - Analyst at Engines | LinkedIn</title>"
                                "<meta property=\"og:image\" content=\"" +
                                    base().toUtf8() + "/media/ada.png\">");
    server.routeImage("/media/ada.png", pngBytes(800, 600));
    server.route("/v1/companies/suggest?query=Engines%20Ltd",
                 jsonAnswer(R"([{"name":"Engines","domain":"engines.test"}])"));
    server.routeImage("/s2/favicons?domain=engines.test&sz=128", pngBytes(256, 256));
    server.route("/v1/companies/suggest?query=Nowhere", jsonAnswer("[]"));
    server.route("/v1/companies/suggest?query=Bomb", jsonAnswer(R"([{"domain":"bomb.test"}])"));
    server.routeImage("/s2/favicons?domain=bomb.test&sz=128", imageBomb());

    const QString ada = addPerson({u"--name"_s, u"Ada"_s, u"--company"_s, u"Engines Ltd"_s,
                                   u"--link"_s, site("www.linkedin.com") + u"/in/ada"_s});
    const QString lost = addPerson({u"--name"_s, u"Lost"_s, u"--company"_s, u"Nowhere"_s});
    const QString bomb = addPerson({u"--name"_s, u"Boom"_s, u"--company"_s, u"Bomb"_s});
    const QJsonObject result = json({u"people"_s, u"enrich"_s, u"--wait"_s});
    EXPECT_EQ(result, (QJsonObject{{u"handed"_s, 3}, {u"finished"_s, 3}}));

    QHash<QString, QJsonObject> byId;
    for (const QJsonValue person : people())
        byId.insert(person.toObject().value(u"id"_s).toString(), person.toObject());
    const QJsonObject stored = byId.value(ada);
    EXPECT_EQ(storedImageSize(stored.value(u"avatarFileName"_s)), QSize(256, 192));
    EXPECT_EQ(storedImageSize(stored.value(u"logoFileName"_s)), QSize(128, 128));
    EXPECT_TRUE(stored.value(u"avatarFileName"_s).toString().endsWith(u"-avatar.png"_s));
    EXPECT_EQ(byId.value(lost).value(u"logoFileName"_s), u""_s);
    EXPECT_EQ(byId.value(bomb).value(u"logoFileName"_s), u""_s);

    // Tried once: a second run has nothing to do.
    const qsizetype asked = server.requests().size();
    EXPECT_EQ(json({u"people"_s, u"enrich"_s, u"--wait"_s}),
              (QJsonObject{{u"handed"_s, 0}, {u"finished"_s, 0}}));
    EXPECT_EQ(server.requests().size(), asked);

    // Removing Ada deletes her images.
    EXPECT_EQ(tovik({u"people"_s, u"remove"_s, ada}).exitStatus, 0);
    EXPECT_TRUE(QDir(data.path() + u"/Lumavex/Files"_s).entryList(QDir::Files).isEmpty());
}

TEST_F(PeopleCommands, AnUnreadablePeopleFileIsKeptAsideWhenTheNextPersonIsAdded) {
    QDir().mkpath(data.path() + u"/Lumavex"_s);
    QFile file(data.path() + u"/Lumavex/people.json"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[{\"id\": \"not finished");
    file.close();
    // Reading alone leaves the file where it is and says so.
    const TovikRun listed = tovik({u"people"_s, u"--json"_s});
    EXPECT_EQ(listed.out, "[]\n");
    EXPECT_TRUE(listed.err.contains("could not be read")) << listed.err.toStdString();
    EXPECT_TRUE(QFile::exists(data.path() + u"/Lumavex/people.json"_s));
    const TovikRun run = tovik({u"people"_s, u"add"_s, u"--name"_s, u"Ada"_s});
    EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("could not be read; it was kept as")) << run.err.toStdString();
    const QStringList aside =
        QDir(data.path() + u"/Lumavex"_s).entryList({u"people.json.unreadable-*"_s});
    ASSERT_EQ(aside.size(), 1);
    QFile kept(data.path() + u"/Lumavex/"_s + aside.first());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "[{\"id\": \"not finished");
    EXPECT_EQ(people().size(), 1);
}
