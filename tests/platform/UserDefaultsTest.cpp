#include "platform/linux/JsonUserDefaults.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(JsonUserDefaults, ValuesKeepTheirTypesAcrossARestart) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"config/com.nivo.lumavex/defaults.json"_s);
    {
        JsonUserDefaults defaults(path);
        defaults.set(u"dropOnNotch"_s, true);
        defaults.set(u"autofillEnabled"_s, u"no"_s);
        defaults.set(u"appearance"_s, u"dark"_s);
        defaults.set(u"blurDisabledSites"_s, QStringList{u"a.com"_s, u"b.org"_s});
        defaults.set(u"blurCustomSites"_s, QByteArray("[{\"host\":\"x\"}]\x00\xff", 16));
    }
    JsonUserDefaults defaults(path);
    EXPECT_TRUE(defaults.boolValue(u"dropOnNotch"_s));
    EXPECT_EQ(defaults.object(u"autofillEnabled"_s)->typeId(), QMetaType::QString);
    EXPECT_TRUE(defaults.boolValueDefaultingToTrue(u"autofillEnabled"_s))
        << "a text is not a boolean";
    EXPECT_FALSE(defaults.boolValue(u"autofillEnabled"_s)) << "the plain read of \"no\" is false";
    EXPECT_EQ(defaults.stringValue(u"appearance"_s), u"dark"_s);
    EXPECT_EQ(defaults.stringListValue(u"blurDisabledSites"_s),
              (QStringList{u"a.com"_s, u"b.org"_s}));
    EXPECT_EQ(defaults.dataValue(u"blurCustomSites"_s),
              QByteArray("[{\"host\":\"x\"}]\x00\xff", 16));
    EXPECT_FALSE(defaults.object(u"libraryGrouping"_s).has_value());
    EXPECT_FALSE(defaults.boolValue(u"didConfigureLoginItem"_s));
    EXPECT_TRUE(defaults.boolValueDefaultingToTrue(u"chatBlurEnabled"_s));
    defaults.set(u"chatBlurEnabled"_s, false);
    EXPECT_FALSE(defaults.boolValueDefaultingToTrue(u"chatBlurEnabled"_s));
    defaults.remove(u"chatBlurEnabled"_s);
    EXPECT_TRUE(JsonUserDefaults(path).boolValueDefaultingToTrue(u"chatBlurEnabled"_s));
}

TEST(JsonUserDefaults, PlainBooleanReadOfTexts) {
    QTemporaryDir dir;
    JsonUserDefaults defaults(dir.filePath(u"d.json"_s));
    const std::pair<QString, bool> cases[] = {{u"YES"_s, true}, {u"true"_s, true},
                                              {u"1"_s, true},   {u"0"_s, false},
                                              {u"no"_s, false}, {u"maybe"_s, false}};
    for (const auto& [text, expected] : cases) {
        defaults.set(u"k"_s, text);
        EXPECT_EQ(defaults.boolValue(u"k"_s), expected) << text.toStdString();
    }
}

TEST(JsonUserDefaults, AnUnreadableFileIsSetAsideNotOverwritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"defaults.json"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{ broken");
    file.close();
    JsonUserDefaults defaults(path);
    EXPECT_FALSE(defaults.object(u"appearance"_s).has_value());
    defaults.set(u"appearance"_s, u"dark"_s);
    const QStringList aside = QDir(dir.path()).entryList({u"defaults.json.unreadable-*"_s});
    ASSERT_EQ(aside.size(), 1);
    QFile kept(dir.filePath(aside.first()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "{ broken");
}
