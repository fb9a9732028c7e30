#include "library/ui/ItemCard.h"

#include "library/ui/LibraryFixture.h"
#include "library/ui/TagEditor.h"
#include "library/ui/TagRow.h"
#include "support/QtPrinters.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class ItemCardTest : public LibraryFixture {
protected:
    std::unique_ptr<ItemCard> card(const Item& item) {
        auto made = std::make_unique<ItemCard>(*context, item);
        made->resize(280, 200);
        return made;
    }

    static Item item(ItemKind kind) {
        Item item;
        item.id = QUuid::createUuid();
        item.kind = kind;
        item.title = u"Report"_s;
        return item;
    }

    QStringList titles(QMenu* menu) {
        QStringList result;
        for (QAction* action : menu->actions())
            result.append(action->isSeparator() ? u"—"_s : action->text());
        return result;
    }
};

} // namespace

TEST_F(ItemCardTest, CopyIsNeverOfferedBackButAnotherAppsCopyIs) {
    watcher->start();
    store->addText(u"keep me"_s, std::nullopt);
    auto text = card(store->items().front());
    text->copy();
    EXPECT_EQ(pasteboard.plainText(), u"keep me"_s);
    watcher->tick();
    scheduler.advance(0);
    EXPECT_FALSE(state->pendingClip()) << "the app's own copy raised the keep prompt";

    pasteboard.setText(u"from elsewhere"_s);
    watcher->tick();
    scheduler.advance(0);
    ASSERT_TRUE(state->pendingClip());
}

TEST_F(ItemCardTest, OpenCopiesTextOpensLinksAndFilesAndIgnoresNamelessFiles) {
    Item text = item(ItemKind::text);
    text.text = u"the body"_s;
    card(text)->open();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(pasteboard.plainText(), u"the body"_s);

    Item nameless = item(ItemKind::file);
    card(nameless)->open();
    EXPECT_TRUE(opened.isEmpty());

    Item link = item(ItemKind::link);
    link.detail = u"https://example.org/"_s;
    card(link)->open();
    Item file = item(ItemKind::file);
    file.fileName = u"X.pdf"_s;
    card(file)->open();
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(u"https://example.org/"_s),
                                   QUrl::fromLocalFile(store->filesDir() + u"/X.pdf"_s)}));
}

TEST_F(ItemCardTest, ContextMenuListsCommandsAndTogglesTags) {
    store->addText(u"first"_s, std::nullopt);
    store->addText(u"second"_s, std::nullopt);
    store->toggleTag(u"Work"_s, store->items()[1].id);
    auto second = card(store->items()[0]);
    std::unique_ptr<QMenu> menu(second->makeContextMenu(nullptr));
    EXPECT_EQ(titles(menu.get()), (QStringList{u"Open"_s, u"Copy"_s, u"—"_s, u"Tag"_s,
                                               u"Auto-sort"_s, u"—"_s, u"Delete"_s}));
    QMenu* tags = menu->actions()[3]->menu();
    ASSERT_NE(tags, nullptr);
    EXPECT_EQ(titles(tags), store->allTags() + QStringList{u"New Tag…"_s});
    tags->actions().front()->trigger(); // "Work", the most used tag
    EXPECT_TRUE(store->items()[0].hasTag(u"Work"_s));

    menu.reset(second->makeContextMenu(nullptr));
    menu->actions()[4]->trigger();
    EXPECT_FALSE(store->items()[0].tags.has_value()) << "Auto-sort resets to automatic";

    menu.reset(second->makeContextMenu(nullptr));
    menu->actions().back()->trigger();
    QApplication::processEvents();
    EXPECT_EQ(store->items().size(), 1);
}

TEST_F(ItemCardTest, TagEditorRowsFollowTheDraftAndTheItem) {
    store->addText(u"a note"_s, std::nullopt);
    const QUuid id = store->items().front().id;
    TagEditor editor(*store, id);
    const auto rowTitles = [&] {
        QStringList result;
        for (TagRow* row : editor.rows())
            result.append((row->isChecked() ? u"✓"_s : u""_s) + row->title());
        return result;
    };
    EXPECT_EQ(rowTitles(), QStringList{u"Sorted automatically"_s} + store->allTags());
    EXPECT_EQ(editor.rows().front()->symbol(), u"sparkles"_s);
    EXPECT_EQ(editor.field()->placeholderText(), u"Add or find a tag"_s);

    QTest::keyClicks(editor.field(), u"  Garden   Plans "_s);
    EXPECT_EQ(rowTitles(), (QStringList{u"Sorted automatically"_s, u"Create “Garden Plans”"_s}));
    EXPECT_EQ(editor.rows().back()->symbol(), u"plus"_s);
    QTest::keyClick(editor.field(), Qt::Key_Return);
    EXPECT_TRUE(editor.field()->text().isEmpty());
    EXPECT_EQ(store->item(id)->tags, QStringList{u"Garden Plans"_s});
    EXPECT_EQ(rowTitles().front(), u"Auto-sort this item"_s);
    EXPECT_TRUE(rowTitles().contains(u"✓Garden Plans"_s));

    QTest::keyClicks(editor.field(), u"garden PLANS"_s);
    EXPECT_EQ(rowTitles(), (QStringList{u"Auto-sort this item"_s, u"✓Garden Plans"_s}));
    editor.rows().back()->click();
    QApplication::processEvents();
    EXPECT_EQ(store->item(id)->tags, QStringList{}) << "the last own tag leaves an empty list";

    editor.rows().front()->click();
    QApplication::processEvents();
    EXPECT_FALSE(store->item(id)->tags.has_value());
    EXPECT_EQ(editor.emptyLabel(), nullptr);
}
