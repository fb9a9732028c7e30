#include "store/DocumentReader.h"

#include "platform/memory/MemoryPlatform.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

class DocumentReaderTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = QDir(folder.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QStringList filesIn(const QString& dir) const { return QDir(dir).entryList(QDir::Files); }

    // Outlives every test: a thumbnail that is not waited for may still run.
    static MemoryPlatform& platform() {
        static auto* shared = new MemoryPlatform;
        return *shared;
    }

    QTemporaryDir folder;
    QTemporaryDir filesDir;
    DocumentReader reader{platform().memoryPdfReader, platform().memoryTextRecognizer,
                          platform().memoryThumbnailGenerator};
};

} // namespace

TEST_F(DocumentReaderTest, TextFilesAreReadAsUtf8AndCut) {
    QByteArray fifty;
    for (int i = 0; i < 50'000; ++i)
        fifty += "\xc3\xa9"; // é
    const std::optional<QString> text = reader.extractFileText(write(u"long.txt"_s, fifty));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), 40'000);

    struct Case {
        QString name;
        QByteArray bytes;
        std::optional<QString> text;
    };
    const std::vector<Case> cases = {
        {u"notes.MD"_s, "# Title\nbody", u"# Title\nbody"_s},
        {u"page.html"_s, "<p>tags stay</p>", u"<p>tags stay</p>"_s},
        {u"run.sh"_s, "echo hi", u"echo hi"_s},
        {u"data.json"_s, "{}", u"{}"_s},
        {u"empty.txt"_s, "", u""_s},
        {u"latin.txt"_s, "caf\xe9", std::nullopt},
        {u"cut.txt"_s, "ends inside \xc3", std::nullopt},
        {u"archive.zip"_s, "PK\x03\x04", std::nullopt},
        {u"noextension"_s, "plain words", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reader.extractFileText(write(c.name, c.bytes)), c.text) << c.name.toStdString();
    EXPECT_EQ(reader.extractFileText(QDir(folder.path()).filePath(u"missing.txt"_s)), std::nullopt);
}

TEST_F(DocumentReaderTest, RtfIsReadAsRichTextOrElseAsPlainText) {
    QByteArray rtf = R"({\rtf1\ansi )";
    for (int i = 0; i < 5'000; ++i)
        rtf += "A sentence of ten words in a long rich text.\\par ";
    rtf += "}";
    const std::optional<QString> whole = reader.extractFileText(write(u"letter.rtf"_s, rtf));
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->size(), 5'000 * 45); // not cut to 40,000
    EXPECT_FALSE(whole->contains(u"\\par"_s));

    // Unbalanced groups: the reader gives up and the file is read as it is.
    EXPECT_EQ(reader.extractFileText(write(u"broken.rtf"_s, R"({\rtf1 open {\b group})")),
              uR"({\rtf1 open {\b group})"_s);
}

TEST_F(DocumentReaderTest, PdfTextComesFromThePdfReaderAndIsCut) {
    const QString small = write(u"small.pdf"_s, "%PDF");
    const QString large = write(u"large.PDF"_s, "%PDF");
    platform().memoryPdfReader.add(small, u"Quarterly results"_s);
    platform().memoryPdfReader.add(large, QString(45'000, u'x'));
    EXPECT_EQ(reader.extractFileText(small), u"Quarterly results"_s);
    EXPECT_EQ(reader.extractFileText(large)->size(), 40'000);
    EXPECT_EQ(reader.extractFileText(write(u"unreadable.pdf"_s, "junk")), std::nullopt);
}

TEST_F(DocumentReaderTest, ImageFilesAreReadByTextRecognition) {
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QString path = QDir(folder.path()).filePath(u"scan.png"_s);
    ASSERT_TRUE(image.save(path));
    platform().memoryTextRecognizer.read({u"fast"_s}, {u"Invoice 42"_s});
    EXPECT_EQ(reader.extractFileText(path), u"Invoice 42"_s);
    EXPECT_EQ(reader.extractFileText(write(u"damaged.png"_s, "\x89PNG\r\n")), std::nullopt);
}

TEST_F(DocumentReaderTest, ThumbnailIsStoredAsPngOrAbsent) {
    const QString document = write(u"slides.key"_s, "data");
    QImage picture(2048, 1024, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    platform().memoryThumbnailGenerator.add(document, picture);

    const std::optional<QString> name = reader.quickLookThumbnail(document, filesDir.path());
    ASSERT_TRUE(name);
    EXPECT_TRUE(name->endsWith(u"-thumb.png"_s));
    EXPECT_EQ(name->size(), 36 + 10);
    EXPECT_EQ(*name, name->toUpper().replace(u"-THUMB.PNG"_s, u"-thumb.png"_s));
    const QImage stored(QDir(filesDir.path()).filePath(*name));
    EXPECT_EQ(stored.size(), QSize(1024, 512));

    EXPECT_EQ(reader.quickLookThumbnail(write(u"other.bin"_s, "x"), filesDir.path()), std::nullopt);
    EXPECT_EQ(reader.quickLookThumbnail(document, filesDir.path() + u"/missing-folder"_s),
              std::nullopt);
    EXPECT_EQ(filesIn(filesDir.path()), QStringList{*name});
}

TEST_F(DocumentReaderTest, SlowThumbnailIsGivenUpAfterTheWait) {
    const QString document = write(u"slow.doc"_s, "data");
    QImage picture(100, 100, QImage::Format_RGB32);
    picture.fill(Qt::red);
    platform().memoryThumbnailGenerator.add(document, picture);
    platform().memoryThumbnailGenerator.takeTime(2000ms);
    EXPECT_EQ(reader.quickLookThumbnail(document, filesDir.path(), 50ms), std::nullopt);
    platform().memoryThumbnailGenerator.takeTime(0ms);
    EXPECT_TRUE(filesIn(filesDir.path()).isEmpty());
}
