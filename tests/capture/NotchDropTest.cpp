#include "capture/NotchDrop.h"

#include "support/QtPrinters.h"
#include "support/StoreFixture.h"

#include <QBuffer>
#include <QFile>
#include <QMimeData>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
QByteArray png(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
} // namespace

TEST(NotchDropRead, TakesOneKindByPriority) {
    struct Case {
        const char* name;
        QList<QPair<QString, QByteArray>> formats;
        DroppedContent expected;
    };
    const QUrl fileA = QUrl::fromLocalFile(u"/home/u/a.pdf"_s);
    const QUrl fileB = QUrl::fromLocalFile(u"/home/u/b.png"_s);
    QImage decoded;
    decoded.loadFromData(png(4));
    const QList<Case> cases{
        {"files before everything else",
         {{u"text/uri-list"_s, "file:///home/u/a.pdf\r\nfile:///home/u/b.png\r\n"},
          {u"text/plain"_s, "a.pdf b.png"},
          {u"image/png"_s, png(4)}},
         {{fileA, fileB}, std::nullopt, std::nullopt, std::nullopt}},
        {"the last web address of a browser drag",
         {{u"text/uri-list"_s, "https://one.example/\r\nhttps://two.example/page\r\n"},
          {u"text/plain"_s, "https://two.example/page"}},
         {{}, QUrl(u"https://two.example/page"_s), std::nullopt, std::nullopt}},
        {"an image without an address",
         {{u"image/png"_s, png(4)}, {u"text/plain"_s, "alt text"}},
         {{}, std::nullopt, decoded, std::nullopt}},
        {"UTF-8 text before plain text",
         {{u"text/plain;charset=utf-8"_s, "caf\xc3\xa9"}, {u"text/plain"_s, "cafe"}},
         {{}, std::nullopt, std::nullopt, u"café"_s}},
        {"plain text", {{u"text/plain"_s, "hello"}}, {{}, std::nullopt, std::nullopt, u"hello"_s}},
        {"undecodable image data falls through to text",
         {{u"image/png"_s, "not a png"}, {u"text/plain"_s, "caption"}},
         {{}, std::nullopt, std::nullopt, u"caption"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QMimeData data;
        for (const auto& [type, bytes] : c.formats)
            data.setData(type, bytes);
        EXPECT_TRUE(NotchDrop::carriesAcceptedType(data));
        const DroppedContent read = NotchDrop::read(data);
        EXPECT_EQ(read.files, c.expected.files);
        EXPECT_EQ(read.url, c.expected.url);
        EXPECT_EQ(read.text, c.expected.text);
        ASSERT_EQ(read.image.has_value(), c.expected.image.has_value());
        if (read.image) {
            EXPECT_EQ(read.image->size(), c.expected.image->size());
        }
    }
}

TEST(NotchDropRead, OtherTypesAreNotTaken) {
    QMimeData data;
    data.setData(u"application/x-color"_s, "#ff0000");
    EXPECT_FALSE(NotchDrop::carriesAcceptedType(data));
}

class NotchDropSave : public StoreFixture {};

TEST_F(NotchDropSave, SavesAndAnswersTheFlash) {
    std::unique_ptr<Store> store = openStore();
    ASSERT_TRUE(store);
    const QString file = support.path() + u"/notes.txt"_s;
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("some notes");
    }

    DroppedContent files;
    files.files = {QUrl::fromLocalFile(file)};
    EXPECT_EQ(NotchDrop::save(*store, files, u"Files"_s), u"Saved"_s);
    EXPECT_EQ(store->items().first().source, u"Files"_s);

    DroppedContent link;
    link.url = QUrl(u"https://github.com/a/b"_s);
    EXPECT_EQ(NotchDrop::save(*store, link, std::nullopt), u"Saved · Code"_s);
    EXPECT_EQ(NotchDrop::save(*store, files, std::nullopt), u"Saved"_s)
        << "files always count as new";
    EXPECT_EQ(NotchDrop::save(*store, link, std::nullopt), u"Already saved · Code"_s);
    EXPECT_EQ(store->items().first().detail, u"https://github.com/a/b"_s) << "moved to the front";

    DroppedContent image;
    image.image = QImage(4, 4, QImage::Format_RGB32);
    image.image->fill(Qt::red);
    EXPECT_EQ(NotchDrop::save(*store, image, std::nullopt), u"Saved"_s);

    DroppedContent words;
    words.text = u"a dropped sentence"_s;
    EXPECT_EQ(NotchDrop::save(*store, words, std::nullopt), u"Saved"_s);
    EXPECT_EQ(NotchDrop::save(*store, words, std::nullopt), u"Already saved"_s);

    const qsizetype count = store->items().size();
    DroppedContent blank;
    blank.text = u"  \n "_s;
    EXPECT_EQ(NotchDrop::save(*store, blank, std::nullopt), std::nullopt);
    EXPECT_EQ(NotchDrop::save(*store, DroppedContent{}, std::nullopt), std::nullopt);
    EXPECT_EQ(store->items().size(), count) << "nothing saved for an empty drop";
}
