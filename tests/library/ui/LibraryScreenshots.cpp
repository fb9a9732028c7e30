// Renders the library window in its main states to PNG for review:
//   scripts/with-desktop ctest --test-dir build/debug -R LibraryScreenshots
// writes build/screenshots/library-*.png (or into $TOVIK_SCREENSHOT_DIR).

#include "library/ui/CardPainter.h"
#include "library/ui/ItemCard.h"
#include "library/ui/LibraryFixture.h"
#include "library/ui/LibraryView.h"
#include "library/ui/MasonryGrid.h"
#include "library/ui/NoteSheet.h"
#include "library/ui/SampleLibrary.h"
#include "library/ui/SearchField.h"
#include "library/ui/StackOverlay.h"
#include "library/ui/TagEditor.h"
#include "platform/linux/FusionAppearance.h"
#include "support/Screenshots.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

class LibraryScreenshots : public LibraryFixture {
protected:
    void SetUp() override {
        LibraryFixture::SetUp();
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC));
    }

    void TearDown() override {
        window.reset();
        appearance.apply(u"light"_s);
    }

    // The window as the controller builds it, at its opening size.
    LibraryView& openWindow(const QString& look = u"light"_s) {
        appearance.apply(look);
        window = std::make_unique<QWidget>();
        window->setWindowTitle(u"lumavex"_s);
        window->resize(1120, 760);
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        view = new LibraryView(*context, window.get());
        layout->addWidget(view);
        window->setAttribute(Qt::WA_DontShowOnScreen);
        window->show();
        settle();
        return *view;
    }

    static void settle(int ms = 50) {
        QTest::qWait(ms);
        QApplication::processEvents();
    }

    // The stack overlay has finished springing open, or has gone.
    void settleStack(bool open) {
        StackOverlay* overlay = view->stackOverlay();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return open ? overlay->presence() == 1.0 : !overlay->isVisible(); }, 5000));
        settle();
    }

    QImage save(const QString& name, QImage image = {}) {
        if (image.isNull())
            image = window->grab().toImage();
        const QString path = screenshotDir() + u"/library-"_s + name + u".png"_s;
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        return image;
    }

    FusionAppearance appearance;
    std::unique_ptr<QWidget> window;
    LibraryView* view = nullptr;
};

TEST_F(LibraryScreenshots, RendersEveryMainState) {
    openWindow();
    save(u"empty"_s);

    fillSampleLibrary(*store, clock);
    settle();
    ASSERT_EQ(store->items().size(), 60);
    save(u"mixed"_s);

    view->setGrouping(LibraryGrouping::none);
    settle();
    save(u"ungrouped"_s);

    // Notes written on several lines (a list, an address) keep their lines.
    view->setFilter(LibraryFilter::notes);
    settle();
    save(u"notes"_s);
    view->setFilter(LibraryFilter::all);

    view->searchField()->lineEdit()->setText(u"lisbon"_s);
    settle();
    save(u"searching"_s);
    view->searchField()->lineEdit()->setText(u"zzqx"_s);
    settle();
    save(u"no-results"_s);
    view->searchField()->lineEdit()->clear();

    view->setGrouping(LibraryGrouping::tags);
    settle();
    ASSERT_FALSE(view->state().tagFilter.has_value());
    QString key;
    for (const GridEntry& entry : view->grid()->entries()) {
        if (entry.isStack()) {
            key = entry.key;
            break;
        }
    }
    ASSERT_FALSE(key.isEmpty()) << "the sample library forms stacks by tag";
    save(u"stacks-by-tag"_s);
    view->openStack(key);
    settleStack(true);
    save(u"stack-open"_s);
    view->closeStack();
    settleStack(false);

    view->setGrouping(LibraryGrouping::none);
    view->showNoteSheet();
    view->noteSheet()->editor()->setPlainText(u"Pick up the framed print on Saturday"_s);
    settle();
    save(u"note-sheet"_s);
    view->noteSheet()->cancelButton()->click();

    // The tag editor is a popover window of its own: draw it where it opens.
    auto* card = qobject_cast<ItemCard*>(view->grid()->cardWidgets().value(0));
    ASSERT_NE(card, nullptr);
    for (QWidget* widget : view->grid()->cardWidgets()) {
        auto* candidate = qobject_cast<ItemCard*>(widget);
        if (candidate && candidate->geometry().top() < card->geometry().top() + 1 &&
            candidate->geometry().left() > card->geometry().left())
            card = candidate;
    }
    card->setHovering(true);
    card->showTagEditor();
    settle(200);
    ASSERT_NE(card->tagEditor(), nullptr);
    card->tagEditor()->field()->setText(u"tr"_s);
    settle();
    QImage composed = window->grab().toImage();
    {
        QPainter painter(&composed);
        const QPoint at = window->mapFromGlobal(card->tagEditor()->pos());
        painter.drawPixmap(at, card->tagEditor()->grab());
    }
    save(u"tag-editor"_s, composed);
    card->tagEditor()->close();
    card->setHovering(false);
    settle();
}

TEST_F(LibraryScreenshots, RendersTheDarkAppearance) {
    fillSampleLibrary(*store, clock);
    openWindow(u"dark"_s);
    const QImage dark = save(u"dark"_s);
    // The page behind the header and grid follows the appearance.
    EXPECT_LT(QColor(dark.pixel(4, dark.height() / 2)).lightness(), 100);
    view->setGrouping(LibraryGrouping::none);
    view->setQuery(u"recipe"_s);
    settle();
    save(u"dark-searching"_s);
}

// Widgets under root whose palette still holds light colours: a light
// window or base, or dark text.
QStringList lightPieces(QWidget* root) {
    QStringList pieces;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        if (!widget->isVisible())
            continue;
        const QPalette& palette = widget->palette();
        // A see-through fill (a tint of the text colour) takes the look of
        // what lies under it.
        const auto lightFill = [](const QColor& fill) {
            return fill.alpha() >= 128 && fill.lightness() > 100;
        };
        QStringList wrong;
        if (lightFill(palette.color(QPalette::Window)))
            wrong.append(u"window"_s);
        if (lightFill(palette.color(QPalette::Base)))
            wrong.append(u"base"_s);
        for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
            if (palette.color(role).lightness() < 150)
                wrong.append(u"text"_s);
        }
        if (!wrong.isEmpty()) {
            wrong.removeDuplicates();
            pieces.append(QString::fromLatin1(widget->metaObject()->className()) + u" "_s +
                          widget->objectName() + u" ("_s + wrong.join(u", "_s) + u")"_s);
        }
    }
    return pieces;
}

// How light the surface of a panel is, a few pixels in from its left edge
// half-way down, where nothing but the panel's own fill shows.
int surfaceLightness(QWidget* panel) {
    const QImage image = panel->grab().toImage();
    return QColor(image.pixel(6, image.height() / 2)).lightness();
}

} // namespace

TEST_F(LibraryScreenshots, ALiveSwitchToDarkLeavesNoLightPieces) {
    fillSampleLibrary(*store, clock);
    openWindow(u"light"_s);
    view->setGrouping(LibraryGrouping::tags);
    QString key;
    for (const GridEntry& entry : view->grid()->entries()) {
        if (entry.isStack()) {
            key = entry.key;
            break;
        }
    }
    ASSERT_FALSE(key.isEmpty());
    // Every piece has been drawn light once before the switch.
    view->openStack(key);
    settleStack(true);
    view->closeStack();
    settleStack(false);
    view->showNoteSheet();
    settle();
    view->noteSheet()->cancelButton()->click();
    view->searchField()->lineEdit()->setText(u"lisbon"_s);
    settle();

    appearance.apply(u"dark"_s);
    settle();
    save(u"dark-live-switch"_s);
    EXPECT_EQ(lightPieces(window.get()), QStringList());
    EXPECT_GT(view->searchField()->lineEdit()->palette().color(QPalette::Text).lightness(), 150)
        << "typed text dark on dark";

    view->searchField()->lineEdit()->clear();
    view->openStack(key);
    settleStack(true);
    save(u"dark-live-switch-stack"_s);
    EXPECT_EQ(lightPieces(view->stackOverlay()), QStringList());
    EXPECT_LT(surfaceLightness(view->stackOverlay()->panel()), 80);
    ASSERT_FALSE(view->stackOverlay()->grid()->cardWidgets().isEmpty());
    for (QWidget* card : view->stackOverlay()->grid()->cardWidgets()) {
        const QImage image = card->grab().toImage();
        const int m = int(CardPainter::shadowMargin);
        // Inside the frame's right edge, beside the content: the card's own fill.
        EXPECT_LT(QColor(image.pixel(image.width() - m - 5, image.height() / 2)).lightness(), 80);
    }
    view->closeStack();
    settleStack(false);

    view->showNoteSheet();
    view->noteSheet()->editor()->setPlainText(u"Pick up the framed print on Saturday"_s);
    settle();
    save(u"dark-live-switch-note"_s);
    EXPECT_EQ(lightPieces(view->noteSheet()), QStringList());
    EXPECT_LT(surfaceLightness(view->noteSheet()->panel()), 80);
    EXPECT_LT(surfaceLightness(view->noteSheet()->editor()->parentWidget()), 80);
    view->noteSheet()->cancelButton()->click();
}
