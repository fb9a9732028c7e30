#include "capture/ui/PanelView.h"

#include "capture/AppState.h"
#include "capture/KeepPipeline.h"
#include "capture/NotchGeometry.h"
#include "platform/memory/MemoryFrontmostApplication.h"
#include "platform/memory/MemoryScheduler.h"
#include "platform/memory/MemoryUserDefaults.h"
#include "support/GuiApplication.h"
#include "support/QtPrinters.h"
#include "support/Screenshots.h"
#include "support/StoreFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// One panel view over a state and a store of its own, sized by hand the way
// the controller sizes the panel.
class PanelViewTest : public StoreFixture {
protected:
    void SetUp() override {
        guiApplication();
        store = openStore();
        ASSERT_TRUE(store);
        state = std::make_unique<AppState>(
            scheduler, defaults,
            [this](const ClipContent& clip, const std::optional<QString>& tag) {
                return KeepPipeline::save(*store, clip, tag);
            });
        view = std::make_unique<PanelView>(*state, *store, categorizer, scheduler, frontmost);
        fitToMode();
    }

    void fitToMode() {
        view->resize(NotchGeometry::size(state->mode()));
        QApplication::processEvents();
    }

    QStringList menuTitles() {
        Q_EMIT view->tagMenu()->aboutToShow();
        QStringList titles;
        for (QAction* action : view->tagMenu()->actions())
            titles.append(action->isSeparator() ? u"—"_s : action->text());
        return titles;
    }

    QAction* menuAction(const QString& title) {
        Q_EMIT view->tagMenu()->aboutToShow();
        for (QAction* action : view->tagMenu()->actions()) {
            if (action->text() == title)
                return action;
        }
        return nullptr;
    }

    static ClipContent text(const QString& value) {
        return ClipContent::fromClipboard({}, value, std::nullopt);
    }

    MemoryScheduler scheduler;
    MemoryUserDefaults defaults;
    MemoryFrontmostApplication frontmost;
    std::unique_ptr<Store> store;
    std::unique_ptr<AppState> state;
    std::unique_ptr<PanelView> view;
};

} // namespace

TEST_F(PanelViewTest, ShowsThePartMatchingTheState) {
    EXPECT_EQ(view->page(), PanelView::Page::empty);
    state->setDropOnNotchEnabled(true);
    state->dragEntered();
    EXPECT_EQ(view->page(), PanelView::Page::dropZone);
    state->collapse();

    state->showKeepPrompt(text(u"a note"_s));
    EXPECT_EQ(view->page(), PanelView::Page::keepRow);
    state->beginNamingTag(*state->pendingClip());
    EXPECT_EQ(view->page(), PanelView::Page::newTagRow);
    state->showFlash(u"Filled 2 fields"_s);
    EXPECT_EQ(view->page(), PanelView::Page::flashRow);
    EXPECT_EQ(view->flashLabel()->text(), u"Filled 2 fields"_s);
    scheduler.advance(AppState::flashMs);
    EXPECT_EQ(view->page(), PanelView::Page::empty);
}

TEST_F(PanelViewTest, KeepRowShowsTitleKindAndThePredictionWhenThereIsOne) {
    struct Case {
        ClipContent clip;
        QString title;
        QString kind;
        std::optional<QString> predicted;
    };
    const QList<Case> cases{
        {ClipContent::fromClipboard({}, u"https://github.com/org/repo"_s, std::nullopt),
         u"github.com"_s, u"Link"_s, u"Code"_s},
        {text(u"just some words"_s), u"just some words"_s, u"Text"_s, std::nullopt},
        {ClipContent::fromClipboard(
             {QUrl::fromLocalFile(u"/tmp/a.pdf"_s), QUrl::fromLocalFile(u"/tmp/b.pdf"_s)},
             u"a.pdf b.pdf"_s, std::nullopt),
         u"2 files"_s, u"File"_s, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        state->collapse();
        state->showKeepPrompt(c.clip);
        fitToMode();
        EXPECT_EQ(view->titleLabel()->text(), c.title);
        EXPECT_EQ(view->kindLabel()->text(), c.kind);
        EXPECT_EQ(view->predictionBox()->isVisibleTo(view.get()), c.predicted.has_value());
        if (c.predicted) {
            EXPECT_EQ(view->predictedTagLabel()->text(), *c.predicted);
        }
    }
}

TEST_F(PanelViewTest, TagMenuListsTheCurrentTagsAndKeepsUnderTheChosenOne) {
    KeepPipeline::save(*store, text(u"older"_s), u"Work"_s);
    state->showKeepPrompt(text(u"a note"_s));
    EXPECT_EQ(menuTitles(), (QStringList{u"Auto-sort"_s, u"—"_s} + store->allTags() +
                             QStringList{u"—"_s, u"New Tag…"_s}));
    EXPECT_EQ(menuTitles().value(2), u"Work"_s) << "tags in use come first";
    EXPECT_EQ(view->tagMenuButton()->toolTip(), u"Keep under a tag"_s);

    KeepPipeline::save(*store, text(u"newer"_s),
                       u"Travel"_s); // tags added while the prompt is open
    EXPECT_TRUE(menuTitles().contains(u"Travel"_s)) << "the menu is filled when it opens";

    menuAction(u"Work"_s)->trigger();
    EXPECT_EQ(state->flash(), u"Saved · Work"_s);
    EXPECT_EQ(store->items().first().text, u"a note"_s);
}

TEST_F(PanelViewTest, WithAnEmptyStoreTheMenuOffersTheCategories) {
    state->showKeepPrompt(text(u"a note"_s));
    const QStringList titles = menuTitles();
    ASSERT_GE(titles.size(), 4);
    EXPECT_EQ(titles.mid(2, titles.size() - 4), store->allTags());
    EXPECT_FALSE(store->allTags().isEmpty());
}

TEST_F(PanelViewTest, NewTagFieldCommitsOnReturnAndAnEmptyNameKeepsUntagged) {
    state->showKeepPrompt(text(u"a note"_s));
    menuAction(u"New Tag…"_s)->trigger();
    EXPECT_TRUE(state->namingTag());
    QLineEdit* field = view->newTagField();
    EXPECT_EQ(field->placeholderText(), u"New tag name"_s);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(state->flash(), u"Saved"_s);
    EXPECT_EQ(store->items().first().tags, std::nullopt);

    scheduler.advance(AppState::flashMs);
    state->showKeepPrompt(text(u"second note"_s));
    state->beginNamingTag(*state->pendingClip());
    QTest::keyClicks(field, u"Ideas"_s);
    EXPECT_EQ(state->newTagText(), u"Ideas"_s);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(state->flash(), u"Saved · Ideas"_s);
}

TEST_F(PanelViewTest, ClickingTheCollapsedNotchOpensTheLibrary) {
    state->setDropOnNotchEnabled(true);
    int requests = 0;
    QObject::connect(state.get(), &AppState::libraryRequested, [&] { ++requests; });
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(requests, 1);
}

// Renders every state of the panel to PNG for a person to look at.
TEST_F(PanelViewTest, RendersEveryStateForReview) {
    const QString dir = screenshotDir();
    KeepPipeline::save(*store, text(u"older"_s), u"Design"_s);
    KeepPipeline::save(*store, text(u"old"_s), u"Reading"_s);
    auto shoot = [&](const QString& name) {
        fitToMode();
        const QSize size = view->size();
        // On a grey backdrop, so the black shape and its corners show.
        QImage image(size.width() + 40, size.height() + 30, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(0x8a, 0x9b, 0xb0));
        QPainter painter(&image);
        painter.drawPixmap(20, 0, view->grab());
        painter.end();
        const QString path = dir + u"/panel-"_s + name + u".png"_s;
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        // The open panel is black on the backdrop, never left transparent.
        if (state->mode() != PanelMode::collapsed) {
            EXPECT_EQ(image.pixelColor(20 + size.width() / 2, 2), QColor(Qt::black))
                << name.toStdString();
        }
    };

    shoot(u"collapsed"_s);
    state->setDropOnNotchEnabled(true);
    state->dragEntered();
    shoot(u"drop-zone"_s);
    state->collapse();

    state->showKeepPrompt(
        ClipContent::fromClipboard({}, u"https://github.com/org/repo"_s, std::nullopt));
    shoot(u"keep-link"_s);
    state->collapse();
    state->showKeepPrompt(
        text(u"Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor"_s));
    shoot(u"keep-long-text"_s);
    state->collapse();
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::yellow);
    ClipContent image;
    image.image = picture;
    state->showKeepPrompt(image);
    shoot(u"keep-image"_s);
    state->collapse();
    state->showKeepPrompt(ClipContent::fromClipboard(
        {QUrl::fromLocalFile(u"/home/u/Quarterly report.pdf"_s)}, std::nullopt, std::nullopt));
    shoot(u"keep-file"_s);

    Q_EMIT view->tagMenu()->aboutToShow();
    view->tagMenu()->adjustSize();
    EXPECT_TRUE(view->tagMenu()->grab().save(dir + u"/panel-tag-menu.png"_s));

    state->beginNamingTag(*state->pendingClip());
    shoot(u"new-tag-empty"_s);
    state->setNewTagText(u"Quarterly"_s);
    shoot(u"new-tag-typed"_s);
    state->commitNewTag();
    shoot(u"flash-saved"_s);
    state->showFlash(AppState::savedText(false, u"Design"_s));
    shoot(u"flash-already-saved"_s);
}
