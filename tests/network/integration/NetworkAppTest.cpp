// The people map in the running desktop app: opened by TOVIK_SHOW=network,
// and changed from the command line through the app, which fetches the
// images itself.
#include "app/ui/AppShellView.h"
#include "network/PeopleFile.h"
#include "platform/integration/LocalHttpServer.h"
#include "support/AppHome.h"
#include "support/GuiApplication.h"
#include "support/Screenshots.h"
#include "support/TovikProcess.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray pngBytes(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

class NetworkApp : public ::testing::Test {
protected:
    void SetUp() override {
        if (!hasDisplay())
            GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
        guiApplication();
        env = home.environment();
        const QString base = u"http://127.0.0.1:"_s + QString::number(server.port());
        env.insert(u"TOVIK_COMPANY_SERVICE"_s, base);
        env.insert(u"TOVIK_FAVICON_SERVICE"_s, base);
        env.insert(u"TOVIK_RESOLVE"_s,
                   u"www.linkedin.com:"_s + QString::number(server.port()) + u":127.0.0.1"_s);
    }
    void start() { ASSERT_TRUE(home.start(app, env)); }
    void TearDown() override { AppHome::stop(app); }
    TovikRun tovik(const QStringList& arguments) { return runTovik(arguments, {}, env, 60000); }
    QJsonArray people() {
        return QJsonDocument::fromJson(tovik({u"people"_s, u"--json"_s}).out).array();
    }

    AppHome home;
    QProcessEnvironment env;
    QProcess app;
    LocalHttpServer server;
};

} // namespace

TEST_F(NetworkApp, ShowNetworkOpensTheMapOfThirtyPeopleInSixCompanies) {
    const QString folder = home.path(u"data/Lumavex"_s);
    QDir().mkpath(folder + u"/Files"_s);
    QImage logo(64, 64, QImage::Format_RGB32);
    logo.fill(QColor(230, 120, 30));
    ASSERT_TRUE(logo.save(folder + u"/Files/L-logo.png"_s));
    QImage avatar(128, 128, QImage::Format_RGB32);
    avatar.fill(QColor(60, 90, 200));
    ASSERT_TRUE(avatar.save(folder + u"/Files/A-avatar.png"_s));
    const QStringList companies{u"Engines Ltd"_s, u"Analytical"_s, u"Navy"_s,
                                u"Bletchley"_s,   u"Bell Labs"_s,  u""_s};
    const QStringList names{u"Ada Lovelace"_s,  u"Grace Hopper"_s,      u"Alan Turing"_s,
                            u"Ken Thompson"_s,  u"Barbara Liskov"_s,    u"Dennis Ritchie"_s,
                            u"Frances Allen"_s, u"Margaret Hamilton"_s, u"Edsger Dijkstra"_s,
                            u"Donald Knuth"_s};
    QList<Person> list;
    for (int i = 0; i < 30; ++i) {
        Person person;
        person.id = QUuid::createUuid();
        person.name = names[i % names.size()];
        person.company = companies[i % 6 == 5 ? 5 : (i * 7) % 5];
        person.location = i % 3 == 0 ? u"London"_s : QString();
        person.addedAt = 800'000'000 + i;
        // Already fetched (or tried), so the app asks no service at start.
        person.avatarFileName = i % 4 == 0 ? u"A-avatar.png"_s : QString();
        person.logoFileName = i % 5 == 1 ? u"L-logo.png"_s : QString();
        list.append(person);
    }
    QFile file(folder + u"/people.json"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(PeopleFile::encode(list));
    file.close();

    env.insert(u"TOVIK_SHOW"_s, u"network"_s);
    start();
    // The main window comes up on the map: a light page with the dark "You"
    // node in its middle and the coloured hubs, lines and people around it.
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    QImage shot;
    const auto showsTheMap = [&] {
        QProcess search;
        search.start(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^lumavex$"_s});
        search.waitForFinished(5000);
        const QList<QByteArray> ids = search.readAllStandardOutput().trimmed().split('\n');
        if (ids.isEmpty() || ids.first().isEmpty())
            return false;
        shot = screen->grabWindow(WId(ids.last().toULongLong())).toImage();
        if (shot.width() < 800 || shot.height() < 500)
            return false;
        // The map's middle: the centre of the page beside the sidebar.
        const QPoint middle = shot.rect().adjusted(AppShellView::kSidebarWidth, 0, 0, 0).center();
        int dark = 0;
        for (int y = middle.y() - 20; y <= middle.y() + 20; ++y)
            for (int x = middle.x() - 20; x <= middle.x() + 20; ++x)
                dark += qGray(shot.pixel(x, y)) < 80 ? 1 : 0;
        int light = 0;
        int coloured = 0;
        for (int y = 0; y < shot.height(); y += 3) {
            for (int x = 0; x < shot.width(); x += 3) {
                const QColor color = shot.pixelColor(x, y);
                light += color.lightness() > 200 ? 1 : 0;
                coloured += color.hsvSaturation() > 120 && color.value() > 120 ? 1 : 0;
            }
        }
        const int samples = (shot.width() / 3) * (shot.height() / 3);
        return dark > 400 && light > samples / 2 && coloured > 300;
    };
    EXPECT_TRUE(QTest::qWaitFor(showsTheMap, 15000));
    shot.save(screenshotDir() + u"/network-app.png"_s);
    EXPECT_TRUE(server.requests().isEmpty()) << "nothing was left to fetch";
}

TEST_F(NetworkApp, CommandsChangePeopleThroughTheRunningAppWhichFetchesTheirImages) {
    server.routeHtml("/in/ada", "<title>Ada - Analyst at Engines | LinkedIn</title>"
                                "<meta property=\"og:image\" content=\"http://127.0.0.1:" +
                                    QByteArray::number(server.port()) + "/ada.png\">");
    server.routeImage("/ada.png", pngBytes(512, 512, Qt::darkBlue));
    LocalHttpServer::Response suggestion;
    suggestion.contentType = "application/json";
    suggestion.body = R"([{"domain":"engines.test"}])";
    server.route("/v1/companies/suggest?query=Engines", suggestion);
    server.routeImage("/s2/favicons?domain=engines.test&sz=128", pngBytes(200, 200, Qt::red));
    start();

    const TovikRun added = tovik(
        {u"people"_s, u"add"_s, u"--name"_s, u"Ada"_s, u"--company"_s, u"Engines"_s, u"--link"_s,
         u"http://www.linkedin.com:"_s + QString::number(server.port()) + u"/in/ada"_s});
    ASSERT_EQ(added.exitStatus, 0) << added.err.toStdString();
    const QString id = QJsonDocument::fromJson(added.out).object().value(u"id"_s).toString();
    // The app fetches the images by itself; enrich waits for what is pending.
    const TovikRun enriched = tovik({u"people"_s, u"enrich"_s, u"--wait"_s});
    EXPECT_EQ(enriched.exitStatus, 0) << enriched.err.toStdString();
    const QJsonArray stored = people();
    ASSERT_EQ(stored.size(), 1);
    const QJsonObject ada = stored[0].toObject();
    EXPECT_EQ(ada.value(u"id"_s).toString(), id);
    const QString files = home.path(u"data/Lumavex/Files/"_s);
    EXPECT_EQ(QImage(files + ada.value(u"avatarFileName"_s).toString()).size(), QSize(256, 256));
    EXPECT_EQ(QImage(files + ada.value(u"logoFileName"_s).toString()).size(), QSize(128, 128));

    // An edit and a removal go through the app as well.
    const TovikRun edited = tovik({u"people"_s, u"edit"_s, id, u"--note"_s, u"met at a ball"_s});
    EXPECT_EQ(edited.exitStatus, 0) << edited.err.toStdString();
    EXPECT_EQ(people()[0].toObject().value(u"note"_s), u"met at a ball"_s);
    EXPECT_EQ(people()[0].toObject().value(u"logoFileName"_s), ada.value(u"logoFileName"_s));
    EXPECT_EQ(tovik({u"people"_s, u"remove"_s, id}).exitStatus, 0);
    EXPECT_EQ(people(), QJsonArray());
    EXPECT_TRUE(QDir(files).entryList(QDir::Files).isEmpty());
}
