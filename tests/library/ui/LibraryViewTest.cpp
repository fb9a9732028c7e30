#include "library/ui/LibraryView.h"

#include "library/ui/CardMetrics.h"
#include "library/ui/CardPainter.h"
#include "library/ui/ItemCard.h"
#include "library/ui/LibraryFixture.h"
#include "library/ui/MasonryGrid.h"
#include "library/ui/NoteSheet.h"
#include "library/ui/SampleLibrary.h"
#include "library/ui/SearchField.h"
#include "library/ui/StackOverlay.h"
#include "library/ui/TagBar.h"
#include "library/ui/TagChip.h"
#include "store/Enrichment.h"
#include "support/QtPrinters.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <QVariantAnimation>

using namespace Qt::StringLiterals;

namespace {

class LibraryViewTest : public LibraryFixture {
protected:
    void SetUp() override {
        LibraryFixture::SetUp();
        view = std::make_unique<LibraryView>(*context);
        view->resize(1120, 760);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        QApplication::processEvents();
    }

    void TearDown() override { view.reset(); }

    // Changes that follow one another closely reach the grid together once
    // the view's spacing has passed, and the grid then holds the next ones
    // for one spacing more; the helpers below look after that.
    void settle() { scheduler.advance(2 * LibraryView::changeSpacingMs); }

    QStringList chipNames() {
        settle();
        return chipsNow();
    }

    // The chips as they stand, changes held back or not.
    QStringList chipsNow() const {
        QStringList names;
        for (QPushButton* chip : view->tagBar()->chips())
            names.append(chip->property("chipName").toString() + u":"_s +
                         QString::number(chip->property("chipCount").toInt()));
        return names;
    }

    QString selectedChip() {
        settle();
        for (QPushButton* chip : view->tagBar()->chips()) {
            if (chip->property("selected").toBool())
                return chip->property("chipName").toString();
        }
        return {};
    }

    QPushButton* chipNamed(const QString& name) {
        settle();
        for (QPushButton* chip : view->tagBar()->chips()) {
            if (chip->property("chipName").toString() == name)
                return chip;
        }
        return nullptr;
    }

    QStringList gridTitles() {
        settle();
        QStringList titles;
        for (const GridEntry& entry : view->grid()->entries())
            titles.append(entry.isStack() ? u"stack:"_s + entry.key : entry.item().title);
        return titles;
    }

    const Item& newest() const { return store->items().front(); }

    std::unique_ptr<LibraryView> view;
};

} // namespace

TEST_F(LibraryViewTest, EmptyStatesTellAnEmptyMemoryFromAFruitlessSearch) {
    EXPECT_EQ(view->emptyState(), LibraryView::EmptyState::emptyMemory);
    EXPECT_EQ(view->emptyTitle()->text(), u"Your memory is empty"_s);
    EXPECT_EQ(view->emptyLine()->text(),
              u"Copy something and press Keep, or drop it on the notch."_s);
    EXPECT_FALSE(view->tagBar()->parentWidget()->isVisibleTo(view.get()))
        << "no chips without items";

    store->addText(u"plums in the icebox"_s, std::nullopt);
    EXPECT_EQ(view->emptyState(), LibraryView::EmptyState::none);
    EXPECT_EQ(gridTitles(), QStringList{u"plums in the icebox"_s});

    QTest::keyClicks(view->searchField()->lineEdit(), u"zebra"_s);
    EXPECT_EQ(view->emptyState(), LibraryView::EmptyState::noResults);
    EXPECT_EQ(view->emptyTitle()->text(), u"No results"_s);
    EXPECT_EQ(view->emptyLine()->text(),
              u"Try a different word — search reads inside articles and images."_s);
    EXPECT_TRUE(view->searchField()->clearButton()->isVisibleTo(view.get()));

    view->searchField()->clearButton()->click();
    EXPECT_EQ(view->state().query, u""_s);
    EXPECT_EQ(view->emptyState(), LibraryView::EmptyState::none);
    EXPECT_FALSE(view->searchField()->clearButton()->isVisibleTo(view.get()));
    EXPECT_EQ(gridTitles(), QStringList{u"plums in the icebox"_s});
}

TEST_F(LibraryViewTest, NoteSheetSavesOnlyRealTextAndTheNoteShowsUnderNotes) {
    store->addText(u"pasted words"_s, u"Terminal"_s);
    view->newNoteButton()->click();
    NoteSheet* sheet = view->noteSheet();
    ASSERT_TRUE(sheet->isVisible());
    sheet->editor()->setPlainText(u"  \n\t \n "_s);
    EXPECT_FALSE(sheet->saveButton()->isEnabled());
    sheet->editor()->setPlainText(u"\n  call the bakery  \n"_s);
    EXPECT_TRUE(sheet->saveButton()->isEnabled());
    sheet->saveButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(sheet->editor()->toPlainText().isEmpty());
    EXPECT_EQ(newest().text.value_or(newest().title), u"call the bakery"_s);
    EXPECT_EQ(newest().source, u"Quick Note"_s);

    view->setFilter(LibraryFilter::notes);
    EXPECT_EQ(gridTitles(), QStringList{u"call the bakery"_s});

    view->showNoteSheet();
    sheet->editor()->setPlainText(u"never mind"_s);
    QTest::keyClick(sheet->editor(), Qt::Key_Escape);
    EXPECT_FALSE(sheet->isVisible());
    view->showNoteSheet();
    EXPECT_TRUE(sheet->editor()->toPlainText().isEmpty()) << "a cancelled note is dropped";
    EXPECT_EQ(store->items().size(), 2);
}

TEST_F(LibraryViewTest, UntaggedChipOnlyBesideTagChipsWhenSomethingIsUntagged) {
    store->addText(u"alpha words"_s, std::nullopt);
    store->addText(u"beta words"_s, std::nullopt);
    EXPECT_EQ(chipNames(), QStringList{u"All:2"_s}) << "no tags at all";

    store->toggleTag(u"Work"_s, store->items()[0].id);
    EXPECT_EQ(chipNames(), (QStringList{u"All:2"_s, u"Work:1"_s, u"Untagged:1"_s}));

    store->toggleTag(u"Home"_s, store->items()[1].id);
    EXPECT_EQ(chipNames(), (QStringList{u"All:2"_s, u"Work:1"_s, u"Home:1"_s}))
        << "every item tagged";
    EXPECT_EQ(selectedChip(), u"All"_s);
}

TEST_F(LibraryViewTest, ChosenChipFiltersTheGridAndGoesWhenItsTagDoes) {
    store->addText(u"alpha words"_s, std::nullopt);
    store->addText(u"beta words"_s, std::nullopt);
    const QUuid alpha = store->items()[1].id;
    store->toggleTag(u"Work"_s, alpha);

    chipNamed(u"Work"_s)->click();
    EXPECT_EQ(view->state().tagFilter, u"Work"_s);
    EXPECT_EQ(selectedChip(), u"Work"_s);
    EXPECT_EQ(gridTitles(), QStringList{u"alpha words"_s});

    chipNamed(u"Untagged"_s)->click();
    EXPECT_EQ(gridTitles(), QStringList{u"beta words"_s});
    chipNamed(u"Work"_s)->click();

    store->toggleTag(u"Work"_s, alpha);
    EXPECT_FALSE(view->state().tagFilter.has_value()) << "the chip is gone, so is the filter";
    EXPECT_EQ(selectedChip(), u"All"_s);
    EXPECT_EQ(gridTitles().size(), 2);
}

TEST_F(LibraryViewTest, ChoosingAChipFadesBetweenTheLooksWithAnEaseOut) {
    store->addText(u"alpha words"_s, std::nullopt);
    store->toggleTag(u"Work"_s, newest().id);
    auto* all = static_cast<TagChip*>(chipNamed(u"All"_s));
    auto* work = static_cast<TagChip*>(chipNamed(u"Work"_s));
    EXPECT_EQ(all->selectionAmount(), 1.0) << "new chips show their look at once";
    EXPECT_EQ(work->selectionAmount(), 0.0);

    work->click();
    // The fades are held a third of the way in, so that a busy machine
    // cannot carry them past the moment they are looked at.
    QList<QVariantAnimation*> fades;
    for (TagChip* chip : {work, all}) {
        auto* fade = chip->findChild<QVariantAnimation*>();
        ASSERT_NE(fade, nullptr);
        ASSERT_EQ(fade->state(), QAbstractAnimation::Running);
        fade->pause();
        fade->setCurrentTime(TagChip::fadeMs / 3);
        fades.append(fade);
    }
    EXPECT_GT(work->selectionAmount(), 0.0);
    EXPECT_LT(work->selectionAmount(), 1.0);
    EXPECT_GT(all->selectionAmount(), 0.0);
    EXPECT_LT(all->selectionAmount(), 1.0);
    // Ease-out: most of the change comes early.
    EXPECT_GT(work->selectionAmount(), 1.0 / 3);

    for (QVariantAnimation* fade : fades)
        fade->resume();
    EXPECT_TRUE(QTest::qWaitFor([&] { return work->selectionAmount() == 1.0; }, 3000));
    EXPECT_EQ(all->selectionAmount(), 0.0);
    EXPECT_TRUE(work->isSelected());
    EXPECT_FALSE(all->isSelected());
}

TEST_F(LibraryViewTest, FilterMenuOffersShowGroupAndAutoSortAndMarksAChosenFilter) {
    Q_EMIT view->filterMenu()->aboutToShow();
    QStringList titles;
    for (QAction* action : view->filterMenu()->actions())
        titles.append(action->isSeparator() ? u"—"_s + action->text() : action->text());
    EXPECT_EQ(titles,
              (QStringList{u"—Show"_s, u"All"_s, u"Notes"_s, u"Text"_s, u"Images"_s, u"Documents"_s,
                           u"Links"_s, u"—Group by"_s, u"Smart Topics"_s, u"Tags"_s,
                           u"No Grouping"_s, u"—"_s, u"Auto-sort Everything"_s}));
    EXPECT_EQ(view->filterButton()->toolTip(), u"Filter, group and sort"_s);
    EXPECT_EQ(view->filterButton()->property("symbol").toString(),
              u"line.3.horizontal.decrease.circle"_s);
    for (LibraryFilter filter : allLibraryFilters) {
        view->setFilter(filter);
        EXPECT_EQ(view->filterButton()->property("symbol").toString().endsWith(u".fill"_s),
                  filter != LibraryFilter::all)
            << label(filter).toStdString();
    }
}

TEST_F(LibraryViewTest, GroupingIsRememberedAndAutoSortShowsItsNoteForThreeSeconds) {
    view->setGrouping(LibraryGrouping::tags);
    EXPECT_EQ(defaults.stringValue(LibraryView::groupingKey), u"tags"_s);
    LibraryView another(*context);
    EXPECT_EQ(another.state().grouping, LibraryGrouping::tags);

    store->addText(u"github.com/qt/qtbase pull request review"_s, std::nullopt);
    view->autoSortEverything();
    EXPECT_TRUE(view->tagBar()->sortNoteLabel()->text().startsWith(u"Analysed 1 items"_s))
        << view->tagBar()->sortNoteLabel()->text().toStdString();
    EXPECT_FALSE(view->tagBar()->sortNoteLabel()->isHidden());
    scheduler.advance(3000);
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return view->tagBar()->sortNoteLabel()->isHidden(); }, 3000))
        << "faded out";
}

TEST_F(LibraryViewTest, AutoSortNoteShowsInFullBesideTheChipRow) {
    // A library with a usual number of tags fills most of the chip row.
    fillSampleLibrary(*store, clock);
    settle();
    ASSERT_GE(view->tagBar()->chips().size(), 8);
    view->autoSortEverything();
    QLabel* note = view->tagBar()->sortNoteLabel();
    ASSERT_TRUE(note->isVisible());
    EXPECT_FALSE(note->text().isEmpty());
    QApplication::processEvents(); // the row lays itself out
    EXPECT_EQ(note->visibleRegion().boundingRect(), note->rect())
        << "the note is scrolled out of sight or cut";
    EXPECT_GE(note->width(), note->sizeHint().width());
}

TEST_F(LibraryViewTest, StacksOpenInTheOverlayAndCloseWithEscapeOrAFilterChange) {
    view->setGrouping(LibraryGrouping::tags);
    for (const QString& text : {u"one trip"_s, u"two trip"_s, u"three trip"_s, u"loose"_s}) {
        store->addText(text, std::nullopt);
        if (text != u"loose")
            store->toggleTag(u"Travel"_s, newest().id);
    }
    ASSERT_TRUE(gridTitles().contains(u"stack:Travel"_s))
        << gridTitles().join(u", "_s).toStdString();

    view->openStack(u"Travel"_s);
    EXPECT_EQ(view->expandedStackKey(), u"Travel"_s);
    EXPECT_EQ(view->stackOverlay()->countLabel()->text(), u"3 items"_s);
    EXPECT_EQ(view->stackOverlay()->grid()->entries().size(), 3);
    QTest::keyClick(view->stackOverlay(), Qt::Key_Escape);
    EXPECT_FALSE(view->expandedStackKey());

    view->openStack(u"Travel"_s);
    // The stack is found by key on every change: untagging shrinks it to nothing.
    for (const Item& item : QList<Item>(store->items())) {
        if (item.hasTag(u"Travel"_s))
            store->toggleTag(u"Travel"_s, item.id);
    }
    settle();
    EXPECT_EQ(view->stackOverlay()->countLabel()->text(), u"0 items"_s);
    view->setFilter(LibraryFilter::text);
    EXPECT_FALSE(view->expandedStackKey()) << "a filter change closes the stack";
}

TEST_F(LibraryViewTest, GridMakesWidgetsOnlyForCardsNearTheView) {
    QList<GridEntry> entries;
    for (int i = 0; i < 20000; ++i) {
        Item item;
        item.id = QUuid::createUuid();
        item.kind = i % 3 == 0 ? ItemKind::image : ItemKind::text;
        item.title = u"card %1"_s.arg(i);
        entries.append(GridEntry::single(item));
    }
    MasonryGrid grid(*context);
    grid.resize(1120, 700);
    grid.setAttribute(Qt::WA_DontShowOnScreen);
    grid.show();
    grid.setEntries(entries);
    const qsizetype atTop = grid.cardWidgets().size();
    EXPECT_GT(atTop, 8);
    EXPECT_LT(atTop, 80);
    EXPECT_NE(grid.cardFor(entries[0].identity()), nullptr);

    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum() / 2);
    EXPECT_LT(grid.cardWidgets().size(), 80);
    EXPECT_EQ(grid.cardFor(entries[0].identity()), nullptr) << "scrolled far away";
    const int top = grid.verticalScrollBar()->value();
    for (int index : MasonryLayout::visibleCards(grid.placement(), top, top + 700)) {
        QWidget* card = grid.cardFor(entries[index].identity());
        ASSERT_NE(card, nullptr) << index;
        EXPECT_EQ(qobject_cast<ItemCard*>(card)->item(), entries[index].item());
        EXPECT_TRUE(card->geometry().intersects(grid.viewport()->rect()));
    }
}

TEST_F(LibraryViewTest, GridColumnsFollowTheWindowWidth) {
    store->addText(u"some words"_s, std::nullopt);
    for (const auto& [width, columns] : QList<QPair<int, int>>{{839, 2}, {840, 3}, {1120, 4}}) {
        view->grid()->resize(width, 600);
        QApplication::processEvents();
        EXPECT_EQ(view->grid()->placement().columns, columns) << width;
    }
}

TEST_F(LibraryViewTest, ACardTakesItsNewHeightWhenItsItemChangesAndNoOtherCardIsTouched) {
    view->setGrouping(LibraryGrouping::none);
    for (const QString& text : {u"apple harvest"_s, u"river stones"_s, u"train timetable"_s,
                                u"violin lesson"_s, u"short"_s})
        store->addText(text, std::nullopt);
    settle();
    ASSERT_EQ(view->grid()->cardWidgets().size(), 5);
    const qreal before = view->grid()->placement().cards.at(0).height();
    view->grid()->resetWork();
    Enrichment longer;
    longer.id = newest().id;
    longer.text = QString(600, u'w').replace(u"wwwww"_s, u"word "_s);
    store->applyEnrichment(longer);
    EXPECT_GT(view->grid()->placement().cards.at(0).height(), before + 40);
    const MasonryGrid::Work& work = view->grid()->work();
    EXPECT_EQ(work.heightsWorkedOut, 1);
    EXPECT_EQ(work.cardsRefilled, 1);
    EXPECT_EQ(work.cardsMade, 0);
    EXPECT_EQ(qobject_cast<ItemCard*>(view->grid()->cardFor(idString(newest().id)))->item(),
              newest());
}

TEST_F(LibraryViewTest, ImageCardsShowTheWholePictureAtItsOwnAspect) {
    // A portrait picture with a red band at its top and a blue one at its
    // bottom: both show when the card takes the picture's shape.
    QImage portrait(300, 500, QImage::Format_RGB32);
    portrait.fill(Qt::white);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 300; ++x) {
            portrait.setPixel(x, y, qRgb(220, 0, 0));
            portrait.setPixel(x, 499 - y, qRgb(0, 0, 220));
        }
    }
    store->addImage(portrait, std::nullopt);
    ASSERT_EQ(view->grid()->entries().size(), 1);
    const QRectF card = view->grid()->placement().cards.at(0);
    EXPECT_NEAR(card.height() - CardPainter::footerHeight, card.width() * 500 / 300, 1);

    QWidget* widget = view->grid()->cardFor(view->grid()->entries().at(0).identity());
    ASSERT_NE(widget, nullptr);
    const QImage shown = widget->grab().toImage();
    const int m = int(CardPainter::shadowMargin);
    const int x = shown.width() / 2;
    const QColor top(shown.pixel(x, m + 10));
    const QColor bottom(shown.pixel(x, m + int(card.height() - CardPainter::footerHeight) - 10));
    EXPECT_GT(top.red(), 180) << "the top of the picture is cut off";
    EXPECT_GT(bottom.blue(), 180) << "the bottom of the picture is cut off";
}

TEST_F(LibraryViewTest, CardsInViewTakeTheHeightOfWhatTheyDraw) {
    store->addText(u"Line one\nLine two\nLine three\nLine four"_s, std::nullopt);
    store->addText(QString(40, u'x').replace(u"xxxx"_s, u"wide "_s).repeated(6), std::nullopt);
    store->addText(u"short"_s, std::nullopt);
    settle();
    const MasonryLayout::Placement& placement = view->grid()->placement();
    ASSERT_EQ(view->grid()->entries().size(), 3);
    for (int i = 0; i < 3; ++i) {
        const Item& item = view->grid()->entries().at(i).item();
        SCOPED_TRACE(item.text->toStdString());
        EXPECT_DOUBLE_EQ(placement.cards.at(i).height(),
                         CardMetrics::itemHeight(item, placement.columnWidth));
    }
}

TEST_F(LibraryViewTest, AWindowOpenedOnALargeLibraryShowsItsItemsAtOnceAndItsStacksOnceRead) {
    view.reset();
    const int count = int(LibraryState::keywordPassSize) + 50;
    const auto word = [](int n) {
        QString letters;
        for (int i = 0; i < 3; ++i, n /= 26)
            letters.append(QChar(u'a' + n % 26));
        return letters;
    };
    // Two items per topic, each pair sharing two words of its own.
    for (int i = 0; i < count; ++i)
        store->addText(u"orchard%1 harvest%1 item%2"_s.arg(word(i / 2), word(i)), std::nullopt);
    view = std::make_unique<LibraryView>(*context);
    view->resize(1120, 760);
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->show();
    const auto stacks = [this] {
        return std::count_if(view->grid()->entries().begin(), view->grid()->entries().end(),
                             [](const GridEntry& entry) { return entry.isStack(); });
    };
    EXPECT_EQ(view->grid()->entries().size(), count) << "every item at once, no stacks yet";
    for (int i = 0; i < 2000 && stacks() == 0; ++i) {
        QApplication::processEvents();
        QThread::msleep(2);
    }
    EXPECT_EQ(stacks(), count / 2);
    LibraryState inPlace;
    EXPECT_EQ(view->grid()->entries(), inPlace.entries(store->items()));
}

TEST_F(LibraryViewTest, ABurstOfChangesShowsItsFirstAtOnceAndTheRestTogether) {
    for (int i = 0; i < 5; ++i)
        store->addText(u"note %1"_s.arg(i), std::nullopt);
    EXPECT_EQ(chipNames(), QStringList{u"All:5"_s});

    // As a script would, one after another: the grid follows the first at
    // once, holds the rest for the spacing, then shows where they ended.
    for (const Item& item : QList<Item>(store->items()))
        store->toggleTag(u"Burst"_s, item.id);
    EXPECT_EQ(chipsNow(), (QStringList{u"All:5"_s, u"Burst:1"_s, u"Untagged:4"_s}));
    scheduler.advance(LibraryView::changeSpacingMs);
    EXPECT_EQ(chipsNow(), (QStringList{u"All:5"_s, u"Burst:5"_s}));

    // Once the changes stop, the next one shows at once again.
    settle();
    store->toggleTag(u"Burst"_s, store->items().front().id);
    EXPECT_EQ(chipsNow(), (QStringList{u"All:5"_s, u"Burst:4"_s, u"Untagged:1"_s}));
}
