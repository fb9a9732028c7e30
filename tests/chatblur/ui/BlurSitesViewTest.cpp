// The chat-blur page: the switch greys out the rest, the add form's two
// refusals, and the rows of built-in and own sites.
#include "chatblur/ui/BlurSitesView.h"

#include "chatblur/BlurSiteStore.h"
#include "chatblur/ChatBlur.h"
#include "platform/memory/MemoryPlatform.h"
#include "support/GuiApplication.h"
#include "support/Screenshots.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct Page {
    MemoryPlatform platform;
    BlurSiteStore store{platform.memoryUserDefaults};
    ChatBlur chatBlur{platform.accessibility(),
                      platform.frontmostApplication(),
                      platform.environment(),
                      platform.userDefaults(),
                      platform.pointerMonitor(),
                      platform.overlayPanels(),
                      store};
    BlurSitesView view{store, chatBlur};

    QWidget* row(const QString& host) const { return view.findChild<QWidget*>(u"site:"_s + host); }
    void add(const QString& address, const QString& pattern = {}) {
        view.addressField()->setText(address);
        view.patternField()->setText(pattern);
        QTest::mouseClick(view.addButton(), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(BlurSitesView, SwitchingBlurOffGreysOutTheSitesAndTheFormButNotTheSwitch) {
    guiApplication();
    Page page;
    page.view.resize(700, 900);
    page.view.show();
    EXPECT_TRUE(page.view.blurSwitch()->isChecked());
    EXPECT_TRUE(page.view.sitesSection()->isEnabled());
    page.view.blurSwitch()->click();
    EXPECT_FALSE(page.chatBlur.enabled());
    EXPECT_FALSE(page.view.sitesSection()->isEnabled());
    EXPECT_FALSE(page.view.addSection()->isEnabled());
    EXPECT_TRUE(page.view.blurSwitch()->isEnabled());
    page.view.blurSwitch()->click();
    EXPECT_TRUE(page.chatBlur.enabled());
    EXPECT_TRUE(page.view.addSection()->isEnabled());
}

TEST(BlurSitesView, TheAddFormSaysWhyItRefusesAndKeepsWhatWasTyped) {
    guiApplication();
    Page page;
    EXPECT_FALSE(page.view.addButton()->isEnabled());
    page.view.addressField()->setText(u"   "_s);
    EXPECT_FALSE(page.view.addButton()->isEnabled());

    const struct {
        QString address;
        QString problem;
    } cases[] = {
        {u"chatbot"_s, u"That does not look like a website address."_s},
        {u"https://www.claude.ai/new"_s, u"That site is already in the list."_s},
    };
    page.store.setEnabled(false, u"claude.ai"_s);
    for (const auto& c : cases) {
        page.add(c.address, u"/x/"_s);
        EXPECT_EQ(page.view.problemLabel()->text(), c.problem);
        EXPECT_FALSE(page.view.problemLabel()->isHidden());
        EXPECT_EQ(page.view.addressField()->text(), c.address);
        EXPECT_EQ(page.view.patternField()->text(), u"/x/"_s);
    }
    page.add(u"mine.chat"_s, u"talk"_s);
    EXPECT_TRUE(page.view.problemLabel()->isHidden());
    EXPECT_TRUE(page.view.addressField()->text().isEmpty());
    EXPECT_TRUE(page.view.patternField()->text().isEmpty());
    ASSERT_EQ(page.store.custom().size(), 1);
    EXPECT_EQ(page.store.custom()[0].paths, QStringList{u"/talk"_s});
}

TEST(BlurSitesView, BuiltInRowsShowTheirHostOwnRowsCanBeRemovedAndForgetTheirSwitch) {
    guiApplication();
    Page page;
    page.add(u"mine.chat"_s);
    ASSERT_EQ(page.view.sitesSection()->rowCount(), 16);
    QWidget* builtIn = page.row(u"chatgpt.com"_s);
    ASSERT_NE(builtIn, nullptr);
    EXPECT_NE(builtIn->findChild<QLabel*>(u"host"_s), nullptr);
    EXPECT_EQ(builtIn->findChild<QToolButton*>(u"remove"_s), nullptr);
    QWidget* own = page.row(u"mine.chat"_s);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->findChild<QLabel*>(u"host"_s), nullptr);
    QToolButton* remove = own->findChild<QToolButton*>(u"remove"_s);
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->toolTip(), u"Remove this site"_s);

    own->findChild<QCheckBox*>(u"switch"_s)->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(page.store.isEnabled(u"mine.chat"_s));
    own = page.row(u"mine.chat"_s);
    EXPECT_FALSE(own->findChild<QCheckBox*>(u"switch"_s)->isChecked());
    own->findChild<QToolButton*>(u"remove"_s)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(page.row(u"mine.chat"_s), nullptr);
    page.add(u"mine.chat"_s);
    EXPECT_TRUE(page.store.isEnabled(u"mine.chat"_s));
    EXPECT_TRUE(page.row(u"mine.chat"_s)->findChild<QCheckBox*>(u"switch"_s)->isChecked());

    // For a person to review the page.
    page.view.resize(760, 1500);
    EXPECT_TRUE(page.view.grab().save(screenshotDir() + u"/blur-sites.png"_s));
}
