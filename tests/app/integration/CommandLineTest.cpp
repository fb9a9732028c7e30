#include "support/TovikProcess.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TovikCategorize, PrintsTheCategoryOrNothing) {
    TovikRun run = runTovik({u"categorize"_s, u"--title"_s, u"x"_s, u"--url"_s,
                             u"https://www.youtube.com/watch?v=1"_s});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "Video\n");

    run = runTovik(
        {u"categorize"_s, u"--title"_s, u"notes"_s, u"--text"_s, u"python and a compiler"_s});
    EXPECT_EQ(run.out, "Code\n");

    run = runTovik({u"categorize"_s, u"--title"_s, u"hello"_s});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
}

TEST(TovikCategorize, JsonLinesAnswerEveryLineInOrderAndSurviveBadOnes) {
    const QByteArray input = "{\"title\":\"someone@example.com\"}\n"
                             "not json at all\n"
                             "{\"text\":\"no title\"}\n"
                             "[1,2]\n"
                             "{\"title\":\"x\",\"url\":5}\n"
                             "\n"
                             "{\"title\":\"x\",\"text\":null,\"url\":\"https://github.com/a\"}\r\n"
                             "{\"title\":\"hello\"}";
    const TovikRun run = runTovik({u"categorize"_s, u"--jsonl"_s}, input);
    EXPECT_EQ(run.exitStatus, 0);
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 7) << run.out.toStdString();
    auto object = [&](int i) { return QJsonDocument::fromJson(lines[i]).object(); };
    EXPECT_EQ(object(0).value(u"category"_s).toString(), u"Contacts"_s);
    EXPECT_TRUE(object(1).contains(u"error"_s));
    EXPECT_TRUE(object(2).contains(u"error"_s));
    EXPECT_TRUE(object(3).contains(u"error"_s));
    EXPECT_TRUE(object(4).contains(u"error"_s));
    EXPECT_EQ(object(5).value(u"category"_s).toString(), u"Code"_s);
    EXPECT_TRUE(object(6).value(u"category"_s).isNull());
    EXPECT_EQ(lines[6], "{\"category\":null}");
}

TEST(TovikClip, DescribesTextLinksFilesAndImagesAsACopyWould) {
    TovikRun run = runTovik({u"clip"_s, u"--text"_s, u"  https://github.com/x  "_s});
    EXPECT_EQ(run.exitStatus, 0);
    QJsonObject clip = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(clip.value(u"previewTitle"_s).toString(), u"github.com"_s);
    EXPECT_EQ(clip.value(u"kindLabel"_s).toString(), u"Link"_s);
    EXPECT_EQ(clip.value(u"predictedTag"_s).toString(), u"Code"_s);
    EXPECT_EQ(clip.value(u"isEmpty"_s).toBool(), false);

    run = runTovik({u"clip"_s, u"--text"_s, u"   "_s});
    clip = QJsonDocument::fromJson(run.out).object();
    EXPECT_TRUE(clip.value(u"isEmpty"_s).toBool());
    EXPECT_EQ(clip.value(u"previewTitle"_s).toString(), u"Clipboard"_s);
    EXPECT_TRUE(clip.value(u"predictedTag"_s).isNull());

    run = runTovik({u"clip"_s, u"--file"_s, u"/tmp/a.txt"_s, u"/tmp/b.txt"_s});
    clip = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(clip.value(u"previewTitle"_s).toString(), u"2 files"_s);
    EXPECT_EQ(clip.value(u"symbolName"_s).toString(), u"doc.fill"_s);

    QTemporaryDir dir;
    const QString png = dir.filePath(u"shot.png"_s);
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(png));
    run = runTovik({u"clip"_s, u"--image"_s, png});
    clip = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(clip.value(u"previewTitle"_s).toString(), u"Image"_s);
    EXPECT_EQ(clip.value(u"kindLabel"_s).toString(), u"Image"_s);

    run = runTovik({u"clip"_s, u"--image"_s, dir.filePath(u"missing.png"_s)});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(run.err.startsWith("tovik clip: ")) << run.err.toStdString();
}

TEST(TovikCommandLine, WrongCommandLinesGiveOneLineAndStatusTwo) {
    const QList<QStringList> wrong = {
        {u"frobnicate"_s},
        {u"--frobnicate"_s},
        {u"categorize"_s, u"--bogus"_s},
        {u"categorize"_s},
        {u"categorize"_s, u"--jsonl"_s, u"--title"_s, u"x"_s},
        {u"clip"_s},
        {u"clip"_s, u"--text"_s, u"a"_s, u"--url"_s, u"https://a.b"_s},
    };
    for (const QStringList& arguments : wrong) {
        const TovikRun run = runTovik(arguments);
        EXPECT_EQ(run.exitStatus, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST(TovikCommandLine, HelpOnEveryLevel) {
    for (const QStringList& arguments :
         {QStringList{u"--help"_s}, QStringList{u"categorize"_s, u"--help"_s},
          QStringList{u"clip"_s, u"--help"_s}}) {
        const TovikRun run = runTovik(arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_TRUE(run.out.startsWith("Usage: tovik")) << run.out.toStdString();
    }
}
