#include "platform/linux/CurlHttpClient.h"

#include "platform/integration/LocalHttpServer.h"
#include "platform/integration/TestApplication.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class CurlHttpClientTest : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }

    std::optional<QByteArray> fetch(const QByteArray& path, qint64 maxBytes = 1'000'000,
                                    std::chrono::seconds timeout = 5s) {
        return client.fetchData(server.url(path), maxBytes, timeout);
    }

    LocalHttpServer server;
    CurlHttpClient client;
};

} // namespace

TEST_F(CurlHttpClientTest, SendsOnlyTheUserAgentAndAnswersTheBody) {
    server.routeHtml("/page?x=1", "<title>Hello</title>");
    EXPECT_EQ(fetch("/page?x=1"), QByteArray("<title>Hello</title>"));

    const QList<LocalHttpServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].headers.value("user-agent"), "Mozilla/5.0 (Macintosh) Lumavex/1.0");
    EXPECT_FALSE(requests[0].headers.contains("cookie"));
    EXPECT_FALSE(requests[0].headers.contains("accept"));
}

TEST_F(CurlHttpClientTest, StatusFourHundredOrMoreIsAbsentAndLowerIsAnAnswer) {
    struct Case {
        int status;
        bool answered;
    };
    for (const Case& c : {Case{200, true}, Case{203, true}, Case{399, true}, Case{400, false},
                          Case{404, false}, Case{410, false}, Case{500, false}, Case{503, false}}) {
        const QByteArray path = "/status/" + QByteArray::number(c.status);
        LocalHttpServer::Response response;
        response.status = c.status;
        response.body = "body";
        server.route(path, response);
        EXPECT_EQ(fetch(path).has_value(), c.answered) << c.status;
    }
    EXPECT_FALSE(fetch("/never-routed"));
}

TEST_F(CurlHttpClientTest, EmptyBodyIsAnEmptyAnswer) {
    server.routeHtml("/empty", "");
    EXPECT_EQ(fetch("/empty"), QByteArray());
}

TEST_F(CurlHttpClientTest, FollowsRedirectsOnlyToHttpAndHttps) {
    server.routeHtml("/final", "arrived");
    server.redirect("/one", "/two");
    server.redirect("/two", server.url("/final").toEncoded(), 301);
    EXPECT_EQ(fetch("/one"), QByteArray("arrived"));

    for (const QByteArray& target :
         {QByteArray("file:///etc/hostname"), QByteArray("ftp://127.0.0.1/file"),
          QByteArray("gopher://127.0.0.1/"), QByteArray("dict://127.0.0.1/d:x")}) {
        server.redirect("/away", target);
        EXPECT_FALSE(fetch("/away")) << target.constData();
    }
}

TEST_F(CurlHttpClientTest, RefusesAddressesThatAreNotHttp) {
    for (const char* address : {"file:///etc/hostname", "ftp://127.0.0.1/", "data:text/plain,hi",
                                "not a url", "/relative/path"})
        EXPECT_FALSE(client.fetchData(QUrl(QString::fromLatin1(address)), 1000, 2s)) << address;
}

TEST_F(CurlHttpClientTest, LongBodyIsCutToTheCapNotRejected) {
    QByteArray body(5'000'000, 'x');
    for (qsizetype i = 0; i < body.size(); i += 997)
        body[i] = char('a' + i % 26);
    server.routeHtml("/big", body);
    const std::optional<QByteArray> cut = fetch("/big", 3'000'000);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), 3'000'000);
    EXPECT_EQ(*cut, body.left(3'000'000));
    // A body exactly at the cap is whole.
    EXPECT_EQ(fetch("/big", 5'000'000), body);
}

TEST_F(CurlHttpClientTest, AnswerSlowerThanTheTimeOutIsAbsent) {
    LocalHttpServer::Response slow;
    slow.body = "late";
    slow.delayMs = 4000;
    server.route("/slow", slow);
    EXPECT_FALSE(fetch("/slow", 1000, 1s));

    LocalHttpServer::Response inTime;
    inTime.body = "in time";
    inTime.delayMs = 200;
    server.route("/quick", inTime);
    EXPECT_EQ(fetch("/quick", 1000, 1s), QByteArray("in time"));
}

TEST_F(CurlHttpClientTest, TricklingServerIsCutOffAfterTheGrace) {
    // One byte every 300 ms never stalls long enough for the time-out alone.
    LocalHttpServer::Response trickle;
    trickle.body = QByteArray(100, 't');
    trickle.trickleMs = 300;
    server.route("/trickle", trickle);
    EXPECT_FALSE(fetch("/trickle", 1000, 1s));
}

TEST_F(CurlHttpClientTest, ClosedPortIsAbsent) {
    quint16 port = 0;
    {
        const LocalHttpServer gone;
        port = gone.port();
    }
    EXPECT_FALSE(client.fetchData(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)), 100, 2s));
}

TEST_F(CurlHttpClientTest, ResolveEntriesServeANamedHostFromAnotherAddress) {
    server.routeHtml("/in/ada", "<title>Ada</title>");
    const QString port = QString::number(server.port());
    CurlHttpClient resolving(
        {QStringLiteral("www.linkedin.test:") + port + QStringLiteral(":127.0.0.1")});
    const QUrl named(QStringLiteral("http://www.linkedin.test:") + port +
                     QStringLiteral("/in/ada"));
    EXPECT_EQ(resolving.fetchData(named, 1000, 5s), QByteArray("<title>Ada</title>"));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].headers.value("host"), "www.linkedin.test:" + port.toUtf8());
    // Without the entry the name does not resolve (.test is reserved).
    EXPECT_FALSE(client.fetchData(named, 1000, 5s));
}
