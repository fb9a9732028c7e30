#include "app/ui/AppDelegate.h"
#include "platform/linux/LinuxPlatform.h"
#include "support/GuiApplication.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(AppDelegate, StartUpPutsAnIconWithItsMenuInTheTray) {
    if (!hasDisplay())
        GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
    guiApplication();
    // Start-up reaches the desktop services (clipboard, panels) through the
    // installed platform; the session's XDG folders are temporary.
    static LinuxPlatform platform;
    Platform::install(&platform);
    ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000))
        << "no tray host in the session";

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    ASSERT_NE(delegate.statusItem(), nullptr);
    EXPECT_TRUE(delegate.statusItem()->isVisible());
    EXPECT_FALSE(delegate.statusItem()->icon().isNull());
    ASSERT_EQ(delegate.statusItem()->contextMenu(), delegate.statusMenu());

    QStringList titles;
    for (QAction* action : delegate.statusMenu()->actions())
        titles.append(action->text());
    EXPECT_EQ(titles, QStringList{u"Quit lumavex"_s});
}
