#include "platform/DefaultsKeys.h"

#include "platform/linux/JsonUserDefaults.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A value of the key's type that differs from what a fresh account reads.
QVariant changedValue(const DefaultsKeys::Key& key) {
    switch (key.storedType) {
    case QMetaType::Bool:
        return !key.absentValue.toBool();
    case QMetaType::QString:
        return key.absentValue.toString() == u"dark"_s ? u"light"_s : u"dark"_s;
    case QMetaType::QStringList:
        return QStringList{u"chat.example.com"_s};
    default:
        return QByteArray("[{\"host\":\"x.example\"}]");
    }
}

} // namespace

TEST(DefaultsKeys, EveryKeyReadsItsAbsentValueOnAFreshAccountAndSurvivesARestart) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"com.nivo.lumavex/defaults.json"_s);
    ASSERT_EQ(DefaultsKeys::all().size(), 9u);
    {
        JsonUserDefaults fresh(path);
        for (const DefaultsKeys::Key& key : DefaultsKeys::all()) {
            EXPECT_EQ(DefaultsKeys::read(fresh, key.name), key.absentValue)
                << key.name.toStdString();
            fresh.set(key.name, changedValue(key));
        }
    }
    JsonUserDefaults restarted(path);
    for (const DefaultsKeys::Key& key : DefaultsKeys::all()) {
        const QVariant value = DefaultsKeys::read(restarted, key.name);
        EXPECT_EQ(value, changedValue(key)) << key.name.toStdString();
        EXPECT_EQ(value.typeId(), key.storedType) << key.name.toStdString();
    }
}

TEST(DefaultsKeys, ValuesOfTheWrongTypeReadAsAbsentExceptThePlainBooleanRead) {
    QTemporaryDir dir;
    JsonUserDefaults defaults(dir.filePath(u"defaults.json"_s));
    defaults.set(DefaultsKeys::autofillEnabled, u"no"_s);
    defaults.set(DefaultsKeys::chatBlurEnabled, false);
    defaults.set(DefaultsKeys::dropOnNotch, u"yes"_s);
    defaults.set(DefaultsKeys::libraryGrouping, true);
    defaults.set(DefaultsKeys::blurDisabledSites, u"a.com"_s);
    EXPECT_EQ(DefaultsKeys::read(defaults, DefaultsKeys::autofillEnabled), QVariant(true))
        << "only a stored boolean switches an on-by-default key off";
    EXPECT_EQ(DefaultsKeys::read(defaults, DefaultsKeys::chatBlurEnabled), QVariant(false));
    EXPECT_EQ(DefaultsKeys::read(defaults, DefaultsKeys::dropOnNotch), QVariant(true));
    EXPECT_EQ(DefaultsKeys::read(defaults, DefaultsKeys::libraryGrouping), QVariant(u"topics"_s));
    EXPECT_EQ(DefaultsKeys::read(defaults, DefaultsKeys::blurDisabledSites),
              QVariant(QStringList()));
    EXPECT_FALSE(DefaultsKeys::read(defaults, u"noSuchKey"_s).isValid());
}
