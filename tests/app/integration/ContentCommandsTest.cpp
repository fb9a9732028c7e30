// tovik fetch-page and tovik enrich against pages served from 127.0.0.1.
#include "platform/integration/LocalHttpServer.h"
#include "platform/integration/RenderedText.h"
#include "platform/integration/TestApplication.h"
#include "store/ImageData.h"
#include "support/QtPrinters.h"
#include "support/TovikProcess.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray imageBytes(int width, int height, const char* format = "png") {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 80, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

class ContentCommands : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, data.path());
        return env;
    }

    TovikRun tovik(const QStringList& arguments) const {
        return runTovik(arguments, {}, environment(), 60000);
    }

    QJsonObject fetchPage(const QByteArray& path) const {
        const TovikRun run = tovik({u"fetch-page"_s, server.url(path).toString()});
        EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out).object();
    }

    QString addLink(const QByteArray& path) const {
        const TovikRun run = tovik({u"add"_s, u"link"_s, server.url(path).toString()});
        EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out).object().value(u"id"_s).toString();
    }

    QJsonObject storedItem(const QString& id) const {
        const TovikRun run = tovik({u"list"_s, u"--json"_s});
        for (const QJsonValue item : QJsonDocument::fromJson(run.out).array())
            if (item.toObject().value(u"id"_s).toString() == id)
                return item.toObject();
        ADD_FAILURE() << "no item " << id.toStdString();
        return {};
    }

    QSize storedImageSize(const QJsonValue& name) const {
        if (!name.isString())
            return {};
        return QImage(data.path() + u"/Lumavex/Files/"_s + name.toString()).size();
    }

    LocalHttpServer server;
    QTemporaryDir data;
};

} // namespace

TEST_F(ContentCommands, FetchPagePrintsWhatThePageYields) {
    server.routeHtml("/article",
                     "<html><head><title>Tom &amp; Jerry &#38; friends</title>"
                     "<meta content=\"/img/preview.png\" property=\"og:image\">"
                     "<link href=\"https://cdn.example.org/icon.png\" rel=\"shortcut icon\">"
                     "<script>var hidden = 'script words';</script><style>p{}</style></head>"
                     "<body><header>Site header</header><nav>Menu</nav>"
                     "<p>The story&nbsp;itself.</p><noscript>No JS</noscript>"
                     "<svg><text>drawn</text></svg><footer>Footer</footer></body></html>");
    const QJsonObject page = fetchPage("/article");
    EXPECT_EQ(page.value(u"title"_s).toString(), u"Tom & Jerry &#38; friends"_s);
    EXPECT_EQ(page.value(u"text"_s).toString(), u"Tom & Jerry &#38; friends The story itself."_s);
    EXPECT_EQ(page.value(u"imageURL"_s).toString(), server.url("/img/preview.png").toString());
    EXPECT_EQ(page.value(u"iconURL"_s).toString(), u"https://cdn.example.org/icon.png"_s);

    server.routeHtml("/bare", "<p>Only a paragraph</p>");
    const QJsonObject bare = fetchPage("/bare");
    EXPECT_TRUE(bare.value(u"title"_s).isNull());
    EXPECT_EQ(bare.value(u"text"_s).toString(), u"Only a paragraph"_s);
    EXPECT_TRUE(bare.value(u"imageURL"_s).isNull());
    EXPECT_TRUE(bare.value(u"iconURL"_s).isNull());
}

TEST_F(ContentCommands, FetchPageOfAnUnreachablePageSaysWhyAndFails) {
    server.redirect("/to-file", "file:///etc/hostname");
    server.redirect("/to-ftp", "ftp://127.0.0.1/x");
    LocalHttpServer::Response error;
    error.status = 500;
    error.body = "<title>Server error page</title>";
    server.route("/error", error);
    struct Case {
        QString url;
        QByteArray reason;
    };
    const std::vector<Case> cases = {
        {server.url("/missing").toString(), "HTTP 404"},
        {server.url("/error").toString(), "HTTP 500"},
        {server.url("/to-file").toString(), ""},
        {server.url("/to-ftp").toString(), ""},
        // Nothing listens on port 9 of this machine.
        {u"http://127.0.0.1:9/"_s, ""},
    };
    for (const Case& c : cases) {
        const TovikRun run = tovik({u"fetch-page"_s, c.url});
        EXPECT_EQ(run.exitStatus, 1) << c.url.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << c.url.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("tovik fetch-page: cannot fetch ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.reason)) << run.err.toStdString();
    }
    server.routeHtml("/landing", "<title>Landed</title>");
    server.redirect("/moved", "/landing", 301);
    EXPECT_EQ(fetchPage("/moved").value(u"title"_s).toString(), u"Landed"_s);
}

TEST_F(ContentCommands, ImagesAreReadBeforeAddReturnsAndEnrichReadsTheRest) {
    // Words large and clear enough for recognition.
    const QImage words = renderedText({u"Quarterly budget"_s}, 64);
    QTemporaryDir source;
    ASSERT_TRUE(words.save(source.filePath(u"scan.png"_s)));
    const TovikRun added = tovik({u"add"_s, u"image"_s, source.filePath(u"scan.png"_s)});
    ASSERT_EQ(added.exitStatus, 0) << added.err.toStdString();
    const QString id = QJsonDocument::fromJson(added.out).object().value(u"id"_s).toString();
    EXPECT_TRUE(storedItem(id).value(u"text"_s).toString().contains(u"budget"_s))
        << "read before the command returned";

    // An image item that was never read (kept by an older version, say).
    QFile indexFile(data.path() + u"/Lumavex/items.json"_s);
    ASSERT_TRUE(indexFile.open(QIODevice::ReadOnly));
    QJsonArray items = QJsonDocument::fromJson(indexFile.readAll()).array();
    indexFile.close();
    QJsonObject unread = items[0].toObject();
    unread.remove(u"text"_s);
    items[0] = unread;
    ASSERT_TRUE(indexFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    indexFile.write(QJsonDocument(items).toJson(QJsonDocument::Compact));
    indexFile.close();
    const TovikRun enriched = tovik({u"enrich"_s, u"--wait"_s});
    EXPECT_EQ(enriched.exitStatus, 0) << enriched.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(enriched.out).object().value(u"handed"_s).toInt(), 1);
    EXPECT_TRUE(storedItem(id).value(u"text"_s).toString().contains(u"budget"_s));
}

TEST_F(ContentCommands, FetchPageReadsOnlyTheStartOfHugePages) {
    // 2.5 MB: the title is read, what lies past two million bytes is not, and a
    // UTF-8 character cut at that point makes the page read as ISO Latin-1.
    QByteArray page = "<title>caf\xc3\xa9</title><p>";
    page += QByteArray(2'000'000 - page.size() - 1, 'a');
    page += "\xc3\xa9<p>beyond the limit</p>";
    page += QByteArray(2'500'000 - page.size(), 'z');
    server.routeHtml("/huge", page);
    const QJsonObject huge = fetchPage("/huge");
    EXPECT_EQ(huge.value(u"title"_s).toString(), u"caf\u00c3\u00a9"_s);
    EXPECT_FALSE(huge.value(u"text"_s).toString().contains(u"beyond"_s));
    EXPECT_EQ(huge.value(u"text"_s).toString().size(), 20'000);

    // Larger than the download cap: cut, not refused.
    QByteArray oversized = "<title>Still read</title>";
    oversized += QByteArray(5'000'000, 'x');
    server.routeHtml("/oversized", oversized);
    EXPECT_EQ(fetchPage("/oversized").value(u"title"_s).toString(), u"Still read"_s);

    // Thousands of unclosed tags.
    QByteArray hostile = "<title>Hostile</title>";
    while (hostile.size() < 1'900'000)
        hostile += "<script <title <meta property='og:image' ";
    server.routeHtml("/hostile", hostile);
    const QJsonObject parsed = fetchPage("/hostile");
    EXPECT_EQ(parsed.value(u"title"_s).toString(), u"Hostile"_s);
    EXPECT_TRUE(parsed.value(u"imageURL"_s).isNull());
}

TEST_F(ContentCommands, FetchPageRejectsWhatIsNotAWebAddress) {
    for (const QStringList& arguments :
         {QStringList{u"fetch-page"_s}, QStringList{u"fetch-page"_s, u"ftp://example.org/"_s},
          QStringList{u"fetch-page"_s, u"not a url"_s},
          QStringList{u"fetch-page"_s, u"http://a.org/"_s, u"extra"_s}}) {
        const TovikRun run = tovik(arguments);
        EXPECT_EQ(run.exitStatus, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1);
    }
}

TEST_F(ContentCommands, AddingALinkReadsItsTitleTextPreviewIconAndCategory) {
    server.routeHtml(
        "/post", "<html><head><title>Learning to write a compiler</title>"
                 "<meta property='og:image' content='/preview.png'>"
                 "<link rel='icon' href='/icon.png'></head>"
                 "<body><p>We write a small compiler in python, step by step.</p></body></html>");
    server.routeImage("/preview.png", imageBytes(2000, 1000));
    server.routeImage("/icon.png", imageBytes(256, 256));
    // Read before the command returns: its process ends with it.
    const QString id = addLink("/post");
    const QJsonObject item = storedItem(id);
    EXPECT_EQ(item.value(u"title"_s).toString(), u"Learning to write a compiler"_s);
    EXPECT_EQ(item.value(u"text"_s).toString(),
              u"Learning to write a compiler We write a small compiler in python, step by step."_s);
    EXPECT_EQ(storedImageSize(item.value(u"thumbFileName"_s)), QSize(900, 450));
    EXPECT_EQ(storedImageSize(item.value(u"iconFileName"_s)), QSize(64, 64));
    EXPECT_EQ(item.value(u"category"_s).toString(), u"Code"_s);

    // Done items are not handed over again.
    const TovikRun again = tovik({u"enrich"_s, u"--wait"_s});
    EXPECT_EQ(QJsonDocument::fromJson(again.out).object().value(u"handed"_s).toInt(), 0);
}

TEST_F(ContentCommands, EnrichFallsBackToFaviconAndLeavesBrokenPagesAlone) {
    server.routeHtml("/plain", "<title>Plain page</title><meta name='twitter:image' "
                               "content='/pixel.gif'>");
    server.routeImage("/pixel.gif", imageBytes(1, 1, "bmp"), "image/gif");
    server.routeImage("/favicon.ico", imageBytes(48, 48, "ico"), "image/x-icon");
    const QString plain = addLink("/plain");
    // A site with neither the page nor a favicon.
    const LocalHttpServer emptySite;
    const TovikRun addedMissing = tovik({u"add"_s, u"link"_s, emptySite.url("/gone").toString()});
    const QString missing =
        QJsonDocument::fromJson(addedMissing.out).object().value(u"id"_s).toString();

    const TovikRun run = tovik({u"enrich"_s, u"--wait"_s});
    ASSERT_EQ(run.exitStatus, 0) << run.err.toStdString();

    const QJsonObject withFavicon = storedItem(plain);
    EXPECT_EQ(withFavicon.value(u"title"_s).toString(), u"Plain page"_s);
    EXPECT_EQ(storedImageSize(withFavicon.value(u"iconFileName"_s)), QSize(48, 48));
    EXPECT_FALSE(withFavicon.contains(u"thumbFileName"_s)); // the tracking pixel is not kept

    const QJsonObject gone = storedItem(missing);
    EXPECT_EQ(gone.value(u"title"_s).toString(), u"127.0.0.1"_s);
    for (const QString& key : {u"text"_s, u"thumbFileName"_s, u"iconFileName"_s})
        EXPECT_FALSE(gone.contains(key)) << key.toStdString();
    // Only the favicon was written, and reading again replaces it rather
    // than piling up copies.
    const auto files = [this] {
        return QDir(data.path() + u"/Lumavex/Files"_s).entryList(QDir::Files);
    };
    EXPECT_EQ(files().size(), 1);
    for (int round = 0; round < 3; ++round) {
        const TovikRun again = tovik({u"enrich"_s, u"--wait"_s});
        EXPECT_EQ(QJsonDocument::fromJson(again.out).object().value(u"handed"_s).toInt(), 2)
            << "both still lack a preview; the user asked";
    }
    EXPECT_EQ(files().size(), 1) << files().join(u' ').toStdString();
    EXPECT_EQ(storedImageSize(storedItem(plain).value(u"iconFileName"_s)), QSize(48, 48));
}

TEST_F(ContentCommands, AKeptPdfGetsItsTextAndThumbnail) {
    QTemporaryDir source;
    const QString pdf = source.path() + u"/minutes.pdf"_s;
    {
        QPdfWriter writer(pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        QPainter painter(&writer);
        painter.setFont(QFont(u"DejaVu Sans"_s, 16));
        painter.drawText(QRect(300, 300, 6000, 2000), Qt::TextWordWrap,
                         u"Minutes of the budget meeting"_s);
    }
    const TovikRun added = tovik({u"add"_s, u"file"_s, pdf});
    ASSERT_EQ(added.exitStatus, 0) << added.err.toStdString();
    const QString id = QJsonDocument::fromJson(added.out).object().value(u"id"_s).toString();

    const TovikRun run = tovik({u"enrich"_s});
    ASSERT_EQ(run.exitStatus, 0) << run.err.toStdString();
    const QJsonObject item = storedItem(id);
    EXPECT_EQ(item.value(u"text"_s).toString().simplified(), u"Minutes of the budget meeting"_s);
    const QSize thumbnail = storedImageSize(item.value(u"thumbFileName"_s));
    EXPECT_EQ(thumbnail.width(), 1024);
    EXPECT_NEAR(thumbnail.height(), 724, 1);
}

TEST_F(ContentCommands, AKeptTextFileGetsItsFirstPageDrawn) {
    QTemporaryDir source;
    const QString notes = source.path() + u"/notes.txt"_s;
    {
        QFile file(notes);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Shopping list\nbread\nmilk\n");
    }
    const TovikRun added = tovik({u"add"_s, u"file"_s, notes});
    ASSERT_EQ(added.exitStatus, 0) << added.err.toStdString();
    const QString id = QJsonDocument::fromJson(added.out).object().value(u"id"_s).toString();

    const TovikRun run = tovik({u"enrich"_s});
    ASSERT_EQ(run.exitStatus, 0) << run.err.toStdString();
    const QJsonObject item = storedItem(id);
    EXPECT_TRUE(item.value(u"text"_s).toString().contains(u"Shopping list"_s));
    const QString name = item.value(u"thumbFileName"_s).toString();
    ASSERT_FALSE(name.isEmpty()) << "a command draws text pages like the app does";
    const QImage page(data.path() + u"/Lumavex/Files/"_s + name);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(page.height(), page.width()) << "a portrait page";
    // Some of the page is ink, not all of it paper.
    int dark = 0;
    for (int y = 0; y < page.height(); y += 2)
        for (int x = 0; x < page.width(); x += 2)
            dark += qGray(page.pixel(x, y)) < 128;
    EXPECT_GT(dark, 10);
}
