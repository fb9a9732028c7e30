#include "app/ui/LibraryController.h"

#include "app/AppNavigation.h"
#include "app/ui/AccountRow.h"
#include "app/ui/AppShellView.h"
#include "app/ui/SidebarRow.h"
#include "autofill/ProfileStore.h"
#include "library/ui/LibraryFixture.h"
#include "library/ui/LibraryView.h"
#include "platform/memory/MemoryEnvironment.h"

#include <QCloseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class LibraryControllerTest : public LibraryFixture {
protected:
    void SetUp() override {
        LibraryFixture::SetUp();
        library = std::make_unique<LibraryController>(*context, navigation, environment);
    }
    void TearDown() override { delete library->window(); }

    AppNavigation navigation;
    MemoryEnvironment environment;
    std::unique_ptr<LibraryController> library;
    LibraryController& controller() { return *library; }
};

} // namespace

TEST_F(LibraryControllerTest, FirstShowCreatesTheWindowThatClosingOnlyHides) {
    EXPECT_EQ(controller().window(), nullptr);
    controller().show(AppSection::network);
    EXPECT_EQ(navigation.section(), AppSection::network) << "section set before the window";
    QWidget* window = controller().window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), u"lumavex"_s);
    EXPECT_EQ(window->size(), QSize(1120, 760));
    EXPECT_EQ(window->minimumSize(), QSize(860, 520));
    EXPECT_NE(controller().libraryView(), nullptr);
    EXPECT_TRUE(window->isVisible());

    window->close();
    EXPECT_FALSE(window->isVisible());
    navigation.setSection(AppSection::settings);
    controller().show();
    EXPECT_EQ(controller().window(), window) << "the same window comes back";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(navigation.section(), AppSection::settings) << "no section leaves it as it is";
}

TEST_F(LibraryControllerTest, HotKeyShowsAHiddenWindowAndHidesTheActiveOne) {
    if (!hasDisplay())
        GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
    controller().toggle();
    QWidget* window = controller().window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, 5000));
    controller().toggle();
    EXPECT_FALSE(window->isVisible());
    controller().toggle();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(LibraryControllerTest, WithTovikShowTheWindowComesForwardWithoutTakingFocus) {
    if (!hasDisplay())
        GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
    environment.set(u"TOVIK_SHOW"_s, u"memory"_s);
    controller().show();
    QWidget* window = controller().window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window, 5000));
    QTest::qWait(300);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isActiveWindow());
}

TEST_F(LibraryControllerTest, CtrlQInTheWindowAsksToQuit) {
    if (!hasDisplay())
        GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
    QSignalSpy quits(&controller(), &LibraryController::quitRequested);
    controller().show();
    QWidget* window = controller().window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, 5000));
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(quits.count(), 0);
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits.count(), 1);
}

TEST_F(LibraryControllerTest, ASectionWithAPageOfItsOwnShowsIt) {
    int made = 0;
    controller().setPage(AppSection::profile, [&made] {
        made++;
        auto* page = new QWidget;
        page->setObjectName(u"profilePage"_s);
        return page;
    });
    controller().show(AppSection::profile);
    QWidget* page = controller().page(AppSection::profile);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(controller().libraryView()->isVisible());
    navigation.setSection(AppSection::memory);
    EXPECT_TRUE(controller().libraryView()->isVisible());
    EXPECT_FALSE(page->isVisible());
    controller().show(AppSection::profile);
    EXPECT_EQ(controller().page(AppSection::profile), page);
    EXPECT_EQ(made, 1) << "the page is made once";
}

TEST_F(LibraryControllerTest, SidebarRowsShowTheirPagesAndTheSectionOutlivesTheWindow) {
    std::map<AppSection, QWidget*> made;
    for (const AppSection section : {AppSection::profile, AppSection::blur, AppSection::settings}) {
        controller().setPage(section, [&made, section] {
            auto* page = new QWidget;
            made[section] = page;
            return page;
        });
    }
    controller().show(AppSection::settings);
    AppShellView* shell = controller().shell();
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(shell->sidebar()->width(), 208);
    QStringList titles;
    for (const AppSection section : AppSections::all())
        titles.append(shell->row(section)->text());
    EXPECT_EQ(titles, (QStringList{u"Memory"_s, u"Network"_s, u"Autofill"_s, u"Chat Blur"_s,
                                   u"Settings"_s}));

    const auto shows = [&](AppSection section, QWidget* page) {
        for (const AppSection other : AppSections::all()) {
            if (shell->row(other)->isCurrent() != (other == section))
                return false;
        }
        return navigation.section() == section && page && page->isVisible();
    };
    EXPECT_TRUE(shows(AppSection::settings, made[AppSection::settings]));
    QTest::mouseClick(shell->row(AppSection::blur), Qt::LeftButton);
    EXPECT_TRUE(shows(AppSection::blur, made[AppSection::blur]));
    EXPECT_FALSE(made[AppSection::settings]->isVisible());
    QTest::mouseClick(shell->row(AppSection::memory), Qt::LeftButton);
    EXPECT_TRUE(shows(AppSection::memory, controller().libraryView()));

    QTest::mouseClick(shell->row(AppSection::blur), Qt::LeftButton);
    controller().window()->close();
    controller().show();
    EXPECT_TRUE(shows(AppSection::blur, made[AppSection::blur])) << "reopened on the same page";
    EXPECT_EQ(made.size(), 2u) << "pages are made when first shown, once";
}

TEST_F(LibraryControllerTest, TheAccountRowFollowsTheProfileAndOpensIt) {
    QTemporaryDir dir;
    ProfileStore profile({dir.filePath(u"profile.json"_s), {}});
    controller().setProfileStore(&profile);
    controller().show(AppSection::memory);
    AccountRow* account = controller().shell()->accountRow();
    EXPECT_EQ(account->summary().initials, QString()) << "a person symbol";
    EXPECT_EQ(account->summary().name, u"Add your details"_s);
    EXPECT_EQ(account->summary().detail, u"My Info"_s);
    profile.set(u"ada@example.com"_s, ProfileField::email);
    EXPECT_EQ(account->summary().name, u"Add your details"_s);
    EXPECT_EQ(account->summary().detail, u"ada@example.com"_s);
    profile.set(u"Ada Lovelace"_s, ProfileField::fullName);
    EXPECT_EQ(account->summary().initials, u"AL"_s);
    EXPECT_EQ(account->summary().name, u"Ada Lovelace"_s);
    QTest::mouseClick(account, Qt::LeftButton);
    EXPECT_EQ(navigation.section(), AppSection::profile);
}
