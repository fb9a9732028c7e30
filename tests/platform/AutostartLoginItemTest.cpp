#include "platform/linux/AutostartLoginItem.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(AutostartLoginItem, EnabledWhileTheEntryExistsAndIsNotHidden) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"autostart/com.nivo.lumavex.desktop"_s);
    AutostartLoginItem item(path, u"/opt/my apps/tovik"_s);
    EXPECT_FALSE(item.isEnabled());
    item.registerItem();
    EXPECT_TRUE(item.isEnabled());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray entry = file.readAll();
    file.close();
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("Exec=\"/opt/my apps/tovik\"\n"));

    // A desktop's settings switch hides the entry instead of deleting it.
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("Hidden = true\n");
    file.close();
    EXPECT_FALSE(item.isEnabled());
    item.registerItem();
    EXPECT_TRUE(item.isEnabled()) << "registering again writes a fresh entry";
    item.unregisterItem();
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(QFile::exists(path));
}
