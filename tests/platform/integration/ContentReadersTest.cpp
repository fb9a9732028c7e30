// The Linux content services on real input: tesseract on rendered text,
// poppler on PDFs written here, and the document thumbnailer.
#include "platform/integration/RenderedText.h"
#include "platform/integration/TestApplication.h"
#include "platform/linux/PopplerPdfReader.h"
#include "platform/linux/TesseractTextRecognizer.h"
#include "store/DocumentThumbnailer.h"
#include "store/TextRecognition.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A PDF with one paragraph per page.
void writePdf(const QString& path, const QStringList& pages,
              QPageLayout::Orientation orientation = QPageLayout::Portrait) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(orientation);
    writer.setResolution(300);
    QPainter painter(&writer);
    QFont font(u"DejaVu Sans"_s);
    font.setPointSize(14);
    painter.setFont(font);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        painter.drawText(QRect(200, 200, 2000, 1000), Qt::TextWordWrap, pages.at(i));
    }
}

class ContentReadersTest : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    QString write(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(ContentReadersTest, TesseractReadsClearlyPrintedEnglishInBothPasses) {
    const QImage image =
        renderedText({u"The quick brown fox jumps"_s, u"over the lazy dog 2024"_s}, 28);
    TesseractTextRecognizer recognizer;
    for (const auto level : {TextRecognizer::Level::fast, TextRecognizer::Level::accurate}) {
        const QStringList lines = recognizer.recognizeLines(image, level);
        EXPECT_EQ(lines, (QStringList{u"The quick brown fox jumps"_s, u"over the lazy dog 2024"_s}))
            << int(level);
    }
    QImage blank(400, 200, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_TRUE(recognizer.recognizeLines(blank, TextRecognizer::Level::fast).isEmpty());
}

TEST_F(ContentReadersTest, OcrGivesTheWordsOfSmallScreenText) {
    static TesseractTextRecognizer recognizer; // the accurate pass may outlive a test
    const QImage image = renderedText({u"Meeting notes for Tuesday"_s}, 15);
    EXPECT_EQ(TextRecognition::ocr(recognizer, image), u"Meeting notes for Tuesday"_s);
}

TEST_F(ContentReadersTest, PdfTextAndFirstPageComeFromPoppler) {
    const QString report = path(u"report.pdf"_s);
    writePdf(report, {u"Quarterly revenue grew in every region."_s, u"Second page appendix."_s});
    PopplerPdfReader pdf;
    const std::optional<QString> text = pdf.text(report, 40'000);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->simplified().contains(u"Quarterly revenue grew in every region."_s))
        << text->toStdString();
    EXPECT_TRUE(text->contains(u"Second page appendix."_s));
    // Reading stops once enough text is there.
    EXPECT_FALSE(pdf.text(report, 10)->contains(u"appendix"_s));

    const std::optional<QImage> portrait = pdf.firstPage(report, {1024, 1024});
    ASSERT_TRUE(portrait);
    EXPECT_EQ(portrait->height(), 1024);
    EXPECT_NEAR(portrait->width(), 724, 1);

    const QString wide = path(u"wide.pdf"_s);
    writePdf(wide, {u"Landscape slide"_s}, QPageLayout::Landscape);
    const std::optional<QImage> landscape = pdf.firstPage(wide, {1024, 1024});
    ASSERT_TRUE(landscape);
    EXPECT_EQ(landscape->width(), 1024);
}

TEST_F(ContentReadersTest, DocumentsPopplerCannotOpenAreAbsent) {
    PopplerPdfReader pdf;
    const QString real = path(u"real.pdf"_s);
    writePdf(real, {u"text"_s});
    QFile file(real);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    const QString blankPage = path(u"blank.pdf"_s);
    writePdf(blankPage, {u""_s});
    EXPECT_EQ(pdf.text(blankPage, 100), std::nullopt);

    for (const QString& broken :
         {write(u"garbage.pdf"_s, "this is not a PDF at all"), write(u"empty.pdf"_s, ""),
          write(u"header.pdf"_s, "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n"),
          write(u"cut.pdf"_s, bytes.left(bytes.size() / 4)), path(u"missing.pdf"_s)}) {
        EXPECT_EQ(pdf.text(broken, 100), std::nullopt) << broken.toStdString();
        EXPECT_EQ(pdf.firstPage(broken, {512, 512}), std::nullopt) << broken.toStdString();
    }
}

TEST_F(ContentReadersTest, ThumbnailsShowPdfsImagesAndTextDocuments) {
    PopplerPdfReader pdf;
    DocumentThumbnailer thumbnails(pdf);
    const QSize box(1024, 1024);

    const QString report = path(u"report.pdf"_s);
    writePdf(report, {u"Quarterly revenue"_s});
    std::optional<QImage> thumbnail = thumbnails.thumbnail(report, box);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->height(), 1024);

    const QString photo = path(u"photo.jpg"_s);
    QImage picture(3000, 1500, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    ASSERT_TRUE(picture.save(photo));
    thumbnail = thumbnails.thumbnail(photo, box);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->size(), QSize(1024, 512));

    const QString notes = write(u"notes.md"_s, "# Shopping\n\n- milk\n- bread\n");
    thumbnail = thumbnails.thumbnail(notes, box);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->height(), 1024);
    EXPECT_LT(thumbnail->width(), 1024);
    // Some ink on the white page.
    int dark = 0;
    for (int y = 0; y < thumbnail->height(); y += 2)
        for (int x = 0; x < thumbnail->width(); x += 2)
            dark += qGray(thumbnail->pixel(x, y)) < 128;
    EXPECT_GT(dark, 20);

    EXPECT_EQ(thumbnails.thumbnail(write(u"archive.zip"_s, "PK\x03\x04"), box), std::nullopt);
    EXPECT_EQ(thumbnails.thumbnail(write(u"broken.png"_s, "\x89PNG"), box), std::nullopt);
    EXPECT_EQ(thumbnails.thumbnail(path(u"missing.txt"_s), box), std::nullopt);
}
