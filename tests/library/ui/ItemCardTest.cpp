#include "library/ui/ItemCard.h"

#include "library/ui/CardMetrics.h"
#include "library/ui/CardPainter.h"
#include "library/ui/LibraryFixture.h"
#include "library/ui/TagEditor.h"
#include "library/ui/TagRow.h"
#include "support/QtPrinters.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
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

namespace {

// The rows of ink a card's content area shows, as (first, last) pixel rows
// of each line of text, from an image of the card drawn on its own.
QList<QPair<int, int>> inkLines(const QImage& image, const QRect& area) {
    QList<QPair<int, int>> lines;
    bool inLine = false;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        bool ink = false;
        for (int x = area.left(); x <= area.right() && !ink; ++x)
            ink = QColor(image.pixel(x, y)).lightness() < 160;
        if (ink && !inLine)
            lines.append({y, y});
        if (ink)
            lines.back().second = y;
        inLine = ink;
    }
    return lines;
}

} // namespace

TEST_F(ItemCardTest, TextCardsBreakLinesWhereTheTextDoesAndEndWhereTheTextEnds) {
    struct Case {
        QString text;
        int lines;
    };
    const QString paragraph =
        u"Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
        "incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud "
        "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat."_s;
    const int paragraphLines = -1; // however many the width gives; only the gap is checked
    const QList<Case> cases = {
        {u"Line one\nLine two"_s, 2},
        {u"Shopping\n- milk\n- bread\n- cheese"_s, 4},
        {u"Windows\r\nline\r\nends"_s, 3},
        {u"Gap\n\nabove"_s, 2}, // an empty line is a line without ink
        {u"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14"_s, 12},
        {paragraph, paragraphLines},
        {paragraph + u"\n\nSigned, the author"_s, paragraphLines},
    };
    constexpr int width = 260;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        Item note = item(ItemKind::text);
        note.text = c.text;
        const qreal height = CardMetrics::itemHeight(note, width);
        ItemCard card(*context, note);
        const int m = int(CardPainter::shadowMargin);
        card.resize(width + 2 * m, qCeil(height) + 2 * m);
        const QImage image = card.grab().toImage();
        const int textBottom = m + qCeil(height) - int(CardPainter::footerHeight);
        const QList<QPair<int, int>> lines =
            inkLines(image, QRect(m + 6, m + 2, width - 12, textBottom - m - 2));
        ASSERT_FALSE(lines.isEmpty());
        if (c.lines > 0) {
            EXPECT_EQ(lines.size(), c.lines);
        }
        // No more than the space of one line's descent and the margin below
        // the text: the card is not taller than what it draws.
        const qreal lineHeight = QFontMetricsF(CardPainter::font(12.5)).height();
        EXPECT_LT(textBottom - lines.back().second, lineHeight);
    }
}

TEST_F(ItemCardTest, ClickingATagRowKeepsTheListWhereTheUserScrolledIt) {
    for (int i = 0; i < 24; ++i) {
        store->addText(u"note %1"_s.arg(i), std::nullopt);
        store->toggleTag(u"Tag %1"_s.arg(i, 2, 10, QChar(u'0')), store->items().front().id);
    }
    const QUuid id = store->items().back().id;
    TagEditor editor(*store, id);
    editor.popUp(QPoint(40, 40));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    QScrollBar* bar = editor.findChild<QScrollArea*>()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 200) << "the list must scroll for this test";
    bar->setValue(bar->maximum() / 3);
    const int place = bar->value();

    for (int click = 0; click < 2; ++click) {
        SCOPED_TRACE(click);
        // The row under the middle of the visible list.
        QWidget* viewport = editor.findChild<QScrollArea*>()->viewport();
        const QPoint middle = viewport->mapToGlobal(viewport->rect().center());
        TagRow* row = nullptr;
        for (TagRow* candidate : editor.rows()) {
            if (candidate->rect().contains(candidate->mapFromGlobal(middle)))
                row = candidate;
        }
        ASSERT_NE(row, nullptr);
        const QString name = row->title();
        const bool had = store->item(id)->hasTag(name);
        QTest::mouseClick(row, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(store->item(id)->hasTag(name), !had) << name.toStdString();
        EXPECT_EQ(bar->value(), place);
    }
    editor.close();
}

TEST_F(ItemCardTest, LongTagNamesAreElidedInTheFontTheyAreDrawnIn) {
    TagRow row(QString(), u"Quarterly planning for the Lisbon office move"_s, false);
    row.resize(TagEditor::width, row.sizeHint().height());
    const QString shown = row.shownTitle();
    EXPECT_TRUE(shown.endsWith(u"…"_s)) << shown.toStdString();
    EXPECT_LE(QFontMetricsF(CardPainter::font(12.5)).horizontalAdvance(shown),
              row.titleRect().width());
    TagRow shortRow(QString(), u"Travel"_s, false);
    shortRow.resize(TagEditor::width, shortRow.sizeHint().height());
    EXPECT_EQ(shortRow.shownTitle(), u"Travel"_s);
}
