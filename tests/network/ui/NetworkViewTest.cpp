// The people page and the person sheet, driven as a user would.
#include "network/ui/NetworkView.h"

#include "library/ImageCache.h"
#include "network/NetworkStore.h"
#include "network/ui/NetworkCanvas.h"
#include "network/ui/NetworkContext.h"
#include "network/ui/PersonCard.h"
#include "network/ui/PersonSheet.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryHttpClient.h"
#include "platform/memory/MemoryPasteboard.h"
#include "support/GuiApplication.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Runs the event loop until condition holds (or about ten seconds pass).
template <typename Condition> bool waitFor(Condition condition) {
    for (int i = 0; i < 2000; ++i) {
        if (condition())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qWait(5);
    }
    return condition();
}

class NetworkViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        guiApplication();
        NetworkStore::Options options;
        options.dataFolder = folder.path();
        options.http = &http;
        options.clock = &clock;
        options.services.companyService = u"http://suggest.test"_s;
        options.services.faviconService = u"http://icons.test"_s;
        store = std::make_unique<NetworkStore>(options);
        context = std::make_unique<NetworkContext>(NetworkContext{
            *store, images, pasteboard, [this](const QUrl& url) { opened.append(url); }});
        view = std::make_unique<NetworkView>(*context);
        view->resize(1120, 760);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
    }

    void TearDown() override {
        view.reset();
        store.reset();
    }

    Person add(const QString& name, const QString& company = {}, const QString& location = {}) {
        Person person;
        person.id = QUuid::createUuid();
        person.name = name;
        person.company = company;
        person.location = location;
        person.addedAt = 1;
        store->add(person);
        return person;
    }

    void click(const Person& person) {
        const std::optional<QPointF> at = view->canvas()->nodePosition(person.id);
        ASSERT_TRUE(at) << person.name.toStdString();
        QTest::mouseClick(view->canvas(), Qt::LeftButton, {}, at->toPoint());
    }

    bool cardShown() const { return view->card()->isVisible(); }

    PersonSheet* openSheet() {
        EXPECT_TRUE(waitFor([&] { return view->sheet() && view->sheet()->isVisible(); }));
        return view->sheet();
    }

    QTemporaryDir folder;
    MemoryClock clock;
    MemoryHttpClient http;
    MemoryPasteboard pasteboard;
    ImageCache images;
    std::unique_ptr<NetworkStore> store;
    std::unique_ptr<NetworkContext> context;
    std::unique_ptr<NetworkView> view;
    QList<QUrl> opened;
};

} // namespace

TEST_F(NetworkViewTest, WithoutPeopleOnlyTheEmptyStateAndTheAddButtonShow) {
    EXPECT_TRUE(view->emptyState()->isVisible());
    EXPECT_FALSE(view->scrollArea()->isVisible());
    EXPECT_TRUE(view->addButton()->isVisible());
    EXPECT_EQ(view->addButton()->text(), u"Add person"_s);
    auto* first = view->emptyState()->findChild<QPushButton*>(u"addFirstPerson"_s);
    ASSERT_TRUE(first);
    first->click();
    PersonSheet* sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->findChild<QLabel*>(u"personSheetTitle"_s)->text(), u"Add Person"_s);
}

TEST_F(NetworkViewTest, TheMapAppearsWithTheFirstPersonAndIsCentredInTheScrollArea) {
    add(u"Ada Lovelace"_s, u"Acme"_s, u"London"_s);
    EXPECT_FALSE(view->emptyState()->isVisible());
    EXPECT_TRUE(view->scrollArea()->isVisible());
    EXPECT_EQ(view->canvas()->size(), QSize(880, 880));
    EXPECT_EQ(view->canvas()->layout().hubs().size(), 1);
    // The page is wider than the map: the map stands in its middle.
    waitFor([&] { return view->canvas()->geometry().left() > 0; });
    EXPECT_NEAR(view->canvas()->geometry().left() + 440,
                view->scrollArea()->viewport()->width() / 2, 1);
    EXPECT_EQ(view->scrollArea()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    // A page smaller than the map scrolls both ways and shows its middle.
    view->resize(600, 500);
    QScrollBar* across = view->scrollArea()->horizontalScrollBar();
    QScrollBar* down = view->scrollArea()->verticalScrollBar();
    ASSERT_TRUE(waitFor([&] { return across->maximum() > 0 && down->maximum() > 0; }));
    const QPoint you = view->canvas()->mapTo(view->scrollArea()->viewport(), QPoint(440, 440));
    EXPECT_NEAR(you.x(), view->scrollArea()->viewport()->width() / 2, 1);
    EXPECT_NEAR(you.y(), view->scrollArea()->viewport()->height() / 2, 1);
}

TEST_F(NetworkViewTest, ClickingSelectsUnselectsAndMovesTheSelection) {
    const Person ada = add(u"Ada"_s, u"Acme"_s);
    const Person bob = add(u"Bob"_s, u"Beta"_s);
    click(ada);
    EXPECT_EQ(view->selected(), ada.id);
    EXPECT_TRUE(waitFor([&] { return cardShown(); }));
    EXPECT_EQ(view->card()->nameLabel()->text(), u"Ada"_s);
    click(bob);
    EXPECT_EQ(view->selected(), bob.id);
    EXPECT_EQ(view->card()->nameLabel()->text(), u"Bob"_s);
    click(bob);
    EXPECT_FALSE(view->selected());
    EXPECT_TRUE(waitFor([&] { return !cardShown(); }));
    // A click beside every node changes nothing.
    QTest::mouseClick(view->canvas(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(view->selected());
}

TEST_F(NetworkViewTest, DeletingTheSelectedPersonClosesTheCardAndRemovesTheirHub) {
    const Person ada = add(u"Ada"_s, u"Acme"_s);
    add(u"Bob"_s, u"Beta"_s);
    click(ada);
    ASSERT_TRUE(waitFor([&] { return cardShown(); }));
    view->card()->deleteButton()->click();
    EXPECT_FALSE(view->selected());
    EXPECT_FALSE(store->person(ada.id));
    EXPECT_TRUE(waitFor([&] { return !cardShown(); }));
    ASSERT_EQ(view->canvas()->layout().hubs().size(), 1);
    EXPECT_EQ(view->canvas()->layout().hubs()[0].company, u"Beta"_s);
    EXPECT_EQ(view->canvas()->layout().nodes().size(), 1);
    EXPECT_EQ(view->canvas()->layout().edges().size(), 2);
}

TEST_F(NetworkViewTest, TheCardOpensTheProfileLinkWithASchemeAndEditsInTheSheet) {
    Person ada = add(u"Ada"_s, u"Acme"_s);
    ada.linkedin = u"linkedin.com/in/ada"_s;
    store->update(ada);
    click(ada);
    ASSERT_TRUE(waitFor([&] { return cardShown(); }));
    ASSERT_TRUE(view->card()->openLinkButton()->isVisible());
    view->card()->openLinkButton()->click();
    EXPECT_EQ(opened, QList<QUrl>{QUrl(u"https://linkedin.com/in/ada"_s)});

    view->card()->editButton()->click();
    EXPECT_FALSE(view->selected());
    PersonSheet* sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->nameField()->text(), u"Ada"_s);
    EXPECT_EQ(sheet->linkField()->text(), u"linkedin.com/in/ada"_s);
    EXPECT_EQ(sheet->saveButton()->text(), u"Save"_s);
    // Trailing spaces are kept when editing: a new company, a new logo.
    sheet->companyField()->setText(u"Acme  "_s);
    sheet->saveButton()->click();
    EXPECT_EQ(store->person(ada.id)->company, u"Acme  "_s);
    EXPECT_FALSE(store->person(ada.id)->logoFileName);
    EXPECT_TRUE(waitFor([&] { return !view->sheet(); }));
}

TEST_F(NetworkViewTest, TheAddSheetTakesAProfileLinkFromTheClipboardButNotASentence) {
    const struct {
        QString copied;
        QString link;
    } cases[] = {
        {u"  https://www.LinkedIn.com/in/ada-lovelace \n"_s,
         u"https://www.LinkedIn.com/in/ada-lovelace"_s},
        {u"x.com/ada"_s, u"x.com/ada"_s},
        {u"see linkedin.com/in/ada for more"_s, u""_s},
        {u"https://example.com/ada"_s, u""_s},
    };
    for (const auto& [copied, link] : cases) {
        pasteboard.setText(copied);
        view->openAddSheet();
        PersonSheet* sheet = openSheet();
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->linkField()->text(), link) << copied.toStdString();
        QTest::keyClick(sheet, Qt::Key_Escape);
        EXPECT_TRUE(waitFor([&] { return !view->sheet(); }));
    }
    EXPECT_TRUE(store->people().isEmpty());
}

TEST_F(NetworkViewTest, AddingNeedsANameAndStoresTrimmedTexts) {
    view->openAddSheet();
    PersonSheet* sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_FALSE(sheet->saveButton()->isEnabled());
    sheet->nameField()->setText(u"  \t "_s);
    EXPECT_FALSE(sheet->saveButton()->isEnabled());
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    EXPECT_TRUE(store->people().isEmpty());

    sheet->nameField()->setText(u" Grace Hopper "_s);
    sheet->companyField()->setText(u"Navy\t"_s);
    sheet->noteField()->setText(u" compilers"_s);
    EXPECT_TRUE(sheet->saveButton()->isEnabled());
    EXPECT_FALSE(sheet->autofillButton()->isEnabled()); // no link yet
    pasteboard.setText(u"\nhttps://x.com/grace \n"_s);
    sheet->pasteButton()->click();
    EXPECT_EQ(sheet->linkField()->text(), u"https://x.com/grace"_s);
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    ASSERT_EQ(store->people().size(), 1);
    const Person& grace = store->people().first();
    EXPECT_EQ(grace.name, u"Grace Hopper"_s);
    EXPECT_EQ(grace.company, u"Navy"_s);
    EXPECT_EQ(grace.note, u"compilers"_s);
    EXPECT_EQ(grace.location, u""_s);
    EXPECT_EQ(grace.linkedin, u"https://x.com/grace"_s);
    EXPECT_FALSE(grace.avatarFileName);
    EXPECT_TRUE(waitFor([&] { return !view->sheet(); }));
    EXPECT_TRUE(view->scrollArea()->isVisible());
}

TEST_F(NetworkViewTest, AutofillFillsOnlyEmptyFieldsAndShowsProgressMeanwhile) {
    http.serve(QUrl(u"https://www.linkedin.com/in/ada"_s),
               "<title>Ada Lovelace - Analyst at Engines Ltd | LinkedIn</title>");
    view->openAddSheet();
    PersonSheet* sheet = openSheet();
    ASSERT_TRUE(sheet);
    sheet->nameField()->setText(u"Countess"_s);
    sheet->linkField()->setText(u"www.linkedin.com/in/ada"_s);
    ASSERT_TRUE(sheet->autofillButton()->isEnabled());
    sheet->autofillButton()->click();
    EXPECT_TRUE(sheet->isFetching());
    EXPECT_FALSE(sheet->autofillButton()->isVisible());
    EXPECT_TRUE(sheet->progress()->isVisible());
    ASSERT_TRUE(waitFor([&] { return !sheet->isFetching(); }));
    EXPECT_EQ(sheet->nameField()->text(), u"Countess"_s);
    EXPECT_EQ(sheet->companyField()->text(), u"Engines Ltd"_s);
    EXPECT_TRUE(sheet->autofillButton()->isVisible());
    EXPECT_FALSE(sheet->progress()->isVisible());
}

TEST_F(NetworkViewTest, ThePageRedrawsWhenAnImageArrives) {
    const Person ada = add(u"Ada"_s, u"Acme"_s);
    const QImage before = view->canvas()->grab().toImage();
    // An avatar appears in the store, as enrichment would put it there.
    QImage avatar(64, 64, QImage::Format_RGB32);
    avatar.fill(Qt::red);
    ASSERT_TRUE(avatar.save(store->filesDir() + u"/A-avatar.png"_s));
    Person withAvatar = *store->person(ada.id);
    withAvatar.avatarFileName = u"A-avatar.png"_s;
    // Not through update, which keeps enrichment's fields; the store's own
    // merge is exercised by its tests. Here only the redraw matters.
    store->remove(ada);
    store->add(withAvatar);
    const QImage after = view->canvas()->grab().toImage();
    EXPECT_NE(before, after);
    const QPointF centre = *view->canvas()->nodePosition(ada.id);
    EXPECT_EQ(after.pixelColor(centre.toPoint()), QColor(Qt::red));
}
