// The content readers as the app has them: from the module, loaded on first use.
#include "platform/linux/LazyContentReaders.h"

#include "platform/integration/LocalHttpServer.h"
#include "platform/integration/RenderedText.h"
#include "platform/integration/TestApplication.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

TEST(LazyContentReadersTest, TheModuleThisBuildMadeServesEveryReader) {
    ensureTestApplication();
    LocalHttpServer server;
    server.routeHtml("/page", "<title>Loaded</title>");
    LazyContentReaders readers({});

    QString failure;
    EXPECT_EQ(readers.httpClient().fetchData(server.url("/page"), 1000, 5s, &failure),
              QByteArray("<title>Loaded</title>"))
        << failure.toStdString();
    EXPECT_TRUE(readers.loadFailure().isEmpty()) << readers.loadFailure().toStdString();
    EXPECT_EQ(readers.textRecognizer().recognizeLines(renderedText({u"Harbour"_s}, 48),
                                                      TextRecognizer::Level::fast),
              QStringList{u"Harbour"_s});
    EXPECT_FALSE(readers.pdfReader().text(u"/nonexistent.pdf"_s, 100));
}

TEST(LazyContentReadersTest, AStopBeforeTheFirstFetchReachesTheClientLoadedAfter) {
    ensureTestApplication();
    LocalHttpServer server;
    server.routeHtml("/page", "<title>Late</title>");
    LazyContentReaders readers({});
    readers.httpClient().stopAll();

    QString failure;
    EXPECT_FALSE(readers.httpClient().fetchData(server.url("/page"), 1000, 5s, &failure));
    EXPECT_EQ(failure, u"stopped"_s);
    ASSERT_TRUE(readers.loadFailure().isEmpty()); // loads the module now
    failure.clear();
    EXPECT_FALSE(readers.httpClient().fetchData(server.url("/page"), 1000, 5s, &failure));
    EXPECT_EQ(failure, u"stopped"_s);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(LazyContentReadersTest, AModuleThatCannotBeLoadedFailsEveryReadWithTheReason) {
    ensureTestApplication();
    QTemporaryDir folder;
    QFile notALibrary(folder.filePath(u"tovik-content-readers.so"_s));
    ASSERT_TRUE(notALibrary.open(QIODevice::WriteOnly));
    notALibrary.write("not a shared library\n");
    notALibrary.close();
    LocalHttpServer server;
    server.routeHtml("/page", "<title>Unreached</title>");

    for (const QString& path : {folder.filePath(u"missing.so"_s), notALibrary.fileName()}) {
        SCOPED_TRACE(path.toStdString());
        LazyContentReaders readers({}, path);
        QString failure;
        EXPECT_FALSE(readers.httpClient().fetchData(server.url("/page"), 1000, 5s, &failure));
        EXPECT_TRUE(failure.startsWith(u"the content readers could not be loaded: "_s))
            << failure.toStdString();
        EXPECT_EQ(readers.loadFailure(), failure);
        EXPECT_TRUE(
            readers.textRecognizer()
                .recognizeLines(renderedText({u"Harbour"_s}, 48), TextRecognizer::Level::fast)
                .isEmpty());
        EXPECT_FALSE(readers.pdfReader().firstPage(u"/nonexistent.pdf"_s, QSize(100, 100)));
    }
    EXPECT_TRUE(server.requests().isEmpty());
}
