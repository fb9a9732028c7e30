#include "library/ItemActions.h"

#include <QMimeData>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

Item item(ItemKind kind) {
    Item item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    item.title = u"Report"_s;
    return item;
}

const QString files = u"/data/Files"_s;

} // namespace

TEST(ItemActions, OpenShowsLinksAndStoredFilesButNotTextOrNamelessFiles) {
    Item link = item(ItemKind::link);
    link.detail = u"https://example.org/a"_s;
    Item file = item(ItemKind::file);
    file.fileName = u"ABC.pdf"_s;
    Item nameless = item(ItemKind::file);
    nameless.fileName = u""_s;
    Item image = item(ItemKind::image);
    image.fileName = u"pic.png"_s;

    EXPECT_EQ(ItemActions::openTarget(link, files), QUrl(u"https://example.org/a"_s));
    EXPECT_EQ(ItemActions::openTarget(file, files), QUrl::fromLocalFile(u"/data/Files/ABC.pdf"_s));
    EXPECT_EQ(ItemActions::openTarget(image, files), QUrl::fromLocalFile(u"/data/Files/pic.png"_s));
    EXPECT_FALSE(ItemActions::openTarget(nameless, files));
    EXPECT_FALSE(ItemActions::openTarget(item(ItemKind::file), files));
    EXPECT_FALSE(ItemActions::openTarget(item(ItemKind::text), files));
}

TEST(ItemActions, CopyAndDragCarryWhatTheItemIs) {
    Item link = item(ItemKind::link);
    link.detail = u"https://example.org/a"_s;
    Item text = item(ItemKind::text);
    text.text = u"the body"_s;
    Item titleOnly = item(ItemKind::text);
    Item file = item(ItemKind::file);
    file.fileName = u"ABC.pdf"_s;

    std::unique_ptr<QMimeData> copied(ItemActions::copyData(link, files));
    EXPECT_EQ(copied->text(), u"https://example.org/a"_s);
    copied.reset(ItemActions::copyData(text, files));
    EXPECT_EQ(copied->text(), u"the body"_s);
    copied.reset(ItemActions::copyData(titleOnly, files));
    EXPECT_EQ(copied->text(), u"Report"_s);
    copied.reset(ItemActions::copyData(file, files));
    EXPECT_EQ(copied->urls(), QList<QUrl>{QUrl::fromLocalFile(u"/data/Files/ABC.pdf"_s)});
    EXPECT_EQ(ItemActions::copyData(item(ItemKind::image), files), nullptr);

    std::unique_ptr<QMimeData> dragged(ItemActions::dragData(file, files));
    EXPECT_EQ(dragged->urls(), QList<QUrl>{QUrl::fromLocalFile(u"/data/Files/ABC.pdf"_s)});
    EXPECT_EQ(dragged->data(u"application/x-kde-suggestedfilename"_s), "Report");
    dragged.reset(ItemActions::dragData(text, files));
    EXPECT_EQ(dragged->text(), u"the body"_s);
    dragged.reset(ItemActions::dragData(link, files));
    EXPECT_EQ(dragged->urls(), QList<QUrl>{QUrl(u"https://example.org/a"_s)});
    dragged.reset(ItemActions::dragData(item(ItemKind::image), files));
    EXPECT_TRUE(dragged->formats().isEmpty());
}
