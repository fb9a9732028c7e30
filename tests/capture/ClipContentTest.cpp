#include "capture/ClipContent.h"

#include "organise/Categorizer.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const Categorizer& noModel() {
    static const Categorizer categorizer([] { return std::unique_ptr<SentenceEmbedding>(); });
    return categorizer;
}
ClipContent copiedText(const QString& text) {
    return ClipContent::fromClipboard({}, text, std::nullopt);
}
} // namespace

TEST(ClipFromClipboard, LoneWebAddressesBecomeLinksAndNothingElse) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    const ClipContent link =
        ClipContent::fromClipboard({}, u"  HTTPS://Example.com/a?b=1 \n"_s, image);
    ASSERT_TRUE(link.url.has_value());
    EXPECT_EQ(link.url->host(), u"example.com"_s);
    EXPECT_FALSE(link.string.has_value());
    EXPECT_FALSE(link.image.has_value()) << "no image is read once a link is found";
    EXPECT_EQ(link.kindLabel(), u"Link"_s);
    EXPECT_EQ(link.symbolName(), u"link"_s);
}

TEST(ClipFromClipboard, OtherTextStaysText) {
    for (const QString& text : {u"https://example.com/a b"_s, u"mailto:me@example.com"_s,
                                u"ftp://files.example.com/x"_s, u"example.com"_s}) {
        const ClipContent clip = copiedText(text);
        EXPECT_FALSE(clip.url.has_value()) << text.toStdString();
        EXPECT_EQ(clip.string, text);
        EXPECT_EQ(clip.kindLabel(), u"Text"_s);
    }
}

TEST(ClipFromClipboard, WhiteSpaceOnlyIsEmpty) {
    const ClipContent clip = copiedText(u" \n\t "_s);
    EXPECT_TRUE(clip.isEmpty());
    EXPECT_EQ(clip.previewTitle(), u"Clipboard"_s);
    EXPECT_TRUE(ClipContent().isEmpty());
}

TEST(ClipFromClipboard, KeepsOnlyLocalFilesAmongUrls) {
    const ClipContent clip = ClipContent::fromClipboard(
        {QUrl(u"https://example.com/x"_s), QUrl::fromLocalFile(u"/tmp/a.txt"_s)}, std::nullopt,
        std::nullopt);
    ASSERT_EQ(clip.fileURLs.size(), 1);
    EXPECT_EQ(clip.previewTitle(), u"a.txt"_s);
}

TEST(ClipDerived, PreviewTitleCutsAfterSixtyCharacters) {
    const QString sixty(60, u'x');
    EXPECT_EQ(copiedText(sixty).previewTitle(), sixty);
    EXPECT_EQ(copiedText(sixty + u"y"_s).previewTitle(), sixty + u"…"_s);
    // Sixty emoji are sixty characters, not 120 code units.
    QString emoji;
    for (int i = 0; i < 60; ++i)
        emoji += u"\U0001F600"_s;
    EXPECT_EQ(copiedText(emoji).previewTitle(), emoji);
}

TEST(ClipDerived, FilesComeFirstThenImageThenLinkThenText) {
    ClipContent clip;
    clip.fileURLs = {QUrl::fromLocalFile(u"/tmp/a.txt"_s), QUrl::fromLocalFile(u"/tmp/b.txt"_s)};
    clip.string = u"a.txt\nb.txt"_s;
    clip.image = QImage(2, 2, QImage::Format_RGB32);
    clip.url = QUrl(u"https://github.com"_s);
    EXPECT_EQ(clip.previewTitle(), u"2 files"_s);
    EXPECT_EQ(clip.kindLabel(), u"File"_s);
    EXPECT_EQ(clip.symbolName(), u"doc.fill"_s);
    EXPECT_EQ(clip.predictedTag(noModel()), std::nullopt);

    clip.fileURLs.clear();
    EXPECT_EQ(clip.previewTitle(), u"Image"_s);
    EXPECT_EQ(clip.kindLabel(), u"Image"_s);
    EXPECT_EQ(clip.symbolName(), u"photo.fill"_s);
    EXPECT_EQ(clip.predictedTag(noModel()), std::nullopt);

    clip.image.reset();
    EXPECT_EQ(clip.previewTitle(), u"github.com"_s);
    EXPECT_EQ(clip.predictedTag(noModel()), u"Code"_s);

    clip.url.reset();
    EXPECT_EQ(clip.symbolName(), u"text.alignleft"_s);
    EXPECT_EQ(clip.previewTitle(), u"a.txt\nb.txt"_s);
}

TEST(ClipDerived, OneFileOrFolderIsTitledByItsName) {
    struct Case {
        QUrl url;
        QString title;
    };
    for (const Case& c : {
             Case{QUrl::fromLocalFile(u"/tmp/a.txt"_s), u"a.txt"_s},
             Case{QUrl::fromLocalFile(u"/home/me/Projects"_s), u"Projects"_s},
             Case{QUrl(u"file:///home/me/Projects/"_s), u"Projects"_s},
             Case{QUrl(u"file:///home/me/Tax%202025//"_s), u"Tax 2025"_s},
             Case{QUrl::fromLocalFile(u"/tmp/50% off.pdf"_s), u"50% off.pdf"_s},
             Case{QUrl(u"file:///"_s), u"/"_s},
         }) {
        SCOPED_TRACE(c.url.toString().toStdString());
        ClipContent clip;
        clip.fileURLs = {c.url};
        EXPECT_EQ(clip.previewTitle(), c.title);
    }
}

TEST(ClipDerived, LinkWithoutHostShowsItsWholeAddress) {
    ClipContent clip;
    clip.url = QUrl(u"mailto:someone@example.com"_s);
    EXPECT_EQ(clip.previewTitle(), u"mailto:someone@example.com"_s);
}

TEST(ClipDerived, PredictedTagOfTextUsesTheStructuralAndKeywordRules) {
    EXPECT_EQ(copiedText(u"someone@example.com"_s).predictedTag(noModel()), u"Contacts"_s);
    EXPECT_EQ(copiedText(u"Fix the python compiler flags"_s).predictedTag(noModel()), u"Code"_s);
    EXPECT_EQ(copiedText(u"hello there"_s).predictedTag(noModel()), std::nullopt);
    // The title is the first 70 characters, the text the whole: a keyword far
    // beyond the title still counts.
    const QString text = QString(100, u'a') + u" recipe and cooking"_s;
    EXPECT_EQ(copiedText(text).predictedTag(noModel()), u"Food"_s);
}
