// The autofill page driven as a user would: adding answers by hand, the
// refusal, forgetting, the access banner, and a page no wider than 620 px.
#include "autofill/ui/ProfileView.h"

#include "autofill/AutoFill.h"
#include "autofill/ProfileStore.h"
#include "common/ui/ControlPage.h"
#include "platform/memory/MemoryPlatform.h"
#include "support/GuiApplication.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
struct ProfilePage : ::testing::Test {
    QTemporaryDir dir;
    MemoryPlatform platform;
    std::unique_ptr<ProfileStore> profile;
    std::unique_ptr<AutoFill> autofill;
    std::unique_ptr<ProfileView> view;

    void SetUp() override {
        guiApplication();
        profile = std::make_unique<ProfileStore>(
            ProfileStore::Options{dir.filePath(u"profile.json"_s), {}});
        autofill = std::make_unique<AutoFill>(AutoFill::Services{
            platform.accessibility(), platform.frontmostApplication(), platform.keyboardTyper(),
            platform.userDefaults(), *profile, platform.clock(), [](const QString&) {}, 1,
            std::nullopt, nullptr, 0});
        view = std::make_unique<ProfileView>(*profile, *autofill, platform.accessibility());
        view->resize(900, 700);
        view->show();
    }
    void addByHand(const QString& label, const QString& value) {
        view->newLabelField()->setText(label);
        view->newValueField()->setText(value);
        ASSERT_TRUE(view->addButton()->isEnabled());
        QTest::mouseClick(view->addButton(), Qt::LeftButton);
    }
};
} // namespace

TEST_F(ProfilePage, AddingByHandStoresProfileFieldsAndCustomAnswers) {
    addByHand(u"Email"_s, u" ada@example.com "_s);
    EXPECT_EQ(profile->raw(ProfileField::email), u"ada@example.com"_s);
    EXPECT_EQ(view->fieldEditor(u"email"_s)->text(), u"ada@example.com"_s);
    EXPECT_FALSE(view->answersSection()->isVisible()) << "no learned answer yet";
    EXPECT_TRUE(view->newLabelField()->text().isEmpty());

    addByHand(u"College"_s, u"MIT"_s);
    addByHand(u"college"_s, u"Stanford"_s);
    ASSERT_EQ(profile->learned().size(), 1);
    EXPECT_EQ(profile->learned().first().label, u"College"_s);
    EXPECT_EQ(profile->learned().first().value, u"Stanford"_s);
    EXPECT_TRUE(view->answersSection()->isVisible());

    profile->removeLearned(u"college"_s);
    EXPECT_FALSE(view->answersSection()->isVisible());
}

TEST_F(ProfilePage, RefusesWhatItNeverFillsAndKeepsTheTexts) {
    view->newLabelField()->setText(u"  "_s);
    view->newValueField()->setText(u"x"_s);
    EXPECT_FALSE(view->addButton()->isEnabled());
    addByHand(u"Password"_s, u"hunter2"_s);
    EXPECT_EQ(view->problemLabel()->text(), ProfileView::refusalMessage());
    EXPECT_TRUE(view->problemLabel()->isVisible());
    EXPECT_EQ(view->newLabelField()->text(), u"Password"_s);
    EXPECT_EQ(view->newValueField()->text(), u"hunter2"_s);
    EXPECT_TRUE(profile->values().isEmpty());
    EXPECT_TRUE(profile->learned().isEmpty());
}

TEST_F(ProfilePage, TheAccessBannerGoesSoonAfterAccessIsGranted) {
    platform.memoryAccessibility.enabled = false;
    view->refreshAccess();
    EXPECT_TRUE(view->accessBanner()->isVisible());
    platform.memoryAccessibility.enabled = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->accessBanner()->isVisible(); }, 5000));
}

TEST(ControlPageFrame, StaysAtMost620WideAndWrapsItsSubtitle) {
    guiApplication();
    ControlPage page(u"Settings"_s, QString(400, u'w').replace(u"wwwww"_s, u"word "_s));
    page.resize(1600, 700);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    EXPECT_LE(page.column()->width(), ControlPage::kMaxWidth);
    EXPECT_GT(page.subtitleLabel()->height(), page.subtitleLabel()->fontMetrics().height() * 2);
}
