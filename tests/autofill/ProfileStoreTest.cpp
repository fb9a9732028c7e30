// The profile's files, derivations, plausibility and learning.
#include "autofill/ProfileStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
struct ProfileFiles : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return dir.filePath(u"profile.json"_s); }
    std::unique_ptr<ProfileStore> open(const QString& account = {}) {
        return std::make_unique<ProfileStore>(ProfileStore::Options{path(), account});
    }
    QByteArray read(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};
} // namespace

TEST_F(ProfileFiles, FirstStartSeedsFromTheAccountName) {
    auto store = open(u"Ada King Lovelace"_s);
    EXPECT_EQ(store->raw(ProfileField::firstName), u"Ada"_s);
    EXPECT_EQ(store->raw(ProfileField::lastName), u"King Lovelace"_s);
    EXPECT_EQ(QJsonDocument::fromJson(read(u"profile.json"_s)).object().value(u"lastName"_s),
              u"King Lovelace"_s);
    QTemporaryDir other;
    ProfileStore single({other.filePath(u"profile.json"_s), u"Ada"_s});
    EXPECT_TRUE(single.values().isEmpty());
    EXPECT_FALSE(QFile::exists(other.filePath(u"profile.json"_s)));
}

TEST_F(ProfileFiles, UnreadableFilesAreSetAsideNeverOverwritten) {
    const QByteArray brokenProfile = "{\"email\": \"ada@example.com\", ";
    const QByteArray brokenAnswers = "[{\"key\": 1}]";
    write(u"profile.json"_s, brokenProfile);
    write(u"answers.json"_s, brokenAnswers);
    auto store = open(u"Ada Lovelace"_s);
    ASSERT_EQ(store->setAsideFiles().size(), 2);
    QStringList kept;
    for (const QString& aside : store->setAsideFiles()) {
        QFile f(aside);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        kept.append(QString::fromUtf8(f.readAll()));
    }
    EXPECT_TRUE(kept.contains(QString::fromUtf8(brokenProfile)));
    EXPECT_TRUE(kept.contains(QString::fromUtf8(brokenAnswers)));
    // The seed and later writes go to fresh files.
    EXPECT_EQ(store->raw(ProfileField::firstName), u"Ada"_s);
    store->setLearned(u"Y"_s, u"college"_s, u"College"_s);
    EXPECT_EQ(QJsonDocument::fromJson(read(u"answers.json"_s)).array().size(), 1);
    // A profile with a value that is not a string counts as unreadable too.
    write(u"profile.json"_s, "{\"email\": 5}");
    auto again = open();
    EXPECT_EQ(again->setAsideFiles().size(), 1);
}

TEST_F(ProfileFiles, KeepsUnknownKeysAndWritesCompactly) {
    write(u"profile.json"_s, "{\"email\":\"a@b.co\",\"futureKey\":\"x\"}");
    auto store = open(u"Ada Lovelace"_s);
    EXPECT_TRUE(store->setAsideFiles().isEmpty());
    EXPECT_EQ(store->raw(ProfileField::firstName), u""_s) << "an existing profile is not seeded";
    store->set(u"  +44 20 7946 0958 "_s, ProfileField::phone);
    const QByteArray bytes = read(u"profile.json"_s);
    EXPECT_FALSE(bytes.contains('\n'));
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    EXPECT_EQ(o.value(u"futureKey"_s).toString(), u"x"_s);
    EXPECT_EQ(o.value(u"phone"_s).toString(), u"  +44 20 7946 0958 "_s);
    EXPECT_EQ(store->fillValue(ProfileField::phone), u"+44 20 7946 0958"_s);
    store->set(u"   "_s, ProfileField::phone);
    EXPECT_FALSE(QJsonDocument::fromJson(read(u"profile.json"_s)).object().contains(u"phone"_s));
}

TEST(ProfileValues, NamesAreDerivedFromEachOther) {
    QTemporaryDir dir;
    ProfileStore store({dir.filePath(u"p.json"_s), {}});
    store.set(u"Ada King Lovelace"_s, ProfileField::fullName);
    EXPECT_EQ(store.fillValue(ProfileField::firstName), u"Ada"_s);
    EXPECT_EQ(store.fillValue(ProfileField::lastName), u"King Lovelace"_s);
    store.set(u"Ada"_s, ProfileField::fullName);
    EXPECT_FALSE(store.fillValue(ProfileField::lastName));
    store.set(u""_s, ProfileField::fullName);
    store.set(u"Ada"_s, ProfileField::firstName);
    store.set(u"   "_s, ProfileField::lastName);
    EXPECT_EQ(store.fillValue(ProfileField::fullName), u"Ada"_s);
    EXPECT_FALSE(store.fillValue(ProfileField::city));
}

TEST(ProfileValues, PlausibilityByField) {
    const std::tuple<QString, ProfileField, bool> cases[] = {
        {u"Al"_s, ProfileField::firstName, true},
        {u"A"_s, ProfileField::firstName, false},
        {u"R2D2"_s, ProfileField::firstName, false},
        {u"ada@example.com"_s, ProfileField::email, true},
        {u"ada@example"_s, ProfileField::email, false},
        {u"ada @example.com"_s, ProfileField::email, false},
        {u"a@b@c.com"_s, ProfileField::email, false},
        {u"12"_s, ProfileField::phone, false},
        {u"+44 (20) 7946-0958"_s, ProfileField::phone, true},
        {u"+44.20.7946.0958"_s, ProfileField::phone, false},
        {u"example.com"_s, ProfileField::website, true},
        {u"my site"_s, ProfileField::website, false},
        {u"SW1A 1AA"_s, ProfileField::postalCode, true},
        {u"1234567890123"_s, ProfileField::postalCode, false},
        {u"ACME @ Home"_s, ProfileField::company, false},
        {u"line\nbreak"_s, ProfileField::city, false},
        {QString(121, u'x'), ProfileField::address, false},
    };
    for (const auto& [value, field, plausible] : cases) {
        SCOPED_TRACE(value.toStdString());
        EXPECT_EQ(ProfileStore::isPlausible(value, field), plausible);
    }
}

TEST(ProfileValues, LearningNeverOverwritesAndKeepsPlaces) {
    QTemporaryDir dir;
    ProfileStore store({dir.filePath(u"p.json"_s), {}});
    const FillTarget college = FillTarget::custom(u"college"_s, u"College"_s);
    EXPECT_TRUE(store.learn(u" MIT "_s, college));
    EXPECT_EQ(store.fillValue(college), u"MIT"_s);
    EXPECT_FALSE(store.learn(u"Harvard"_s, college)) << "never overwrites";
    EXPECT_FALSE(store.learn(QString(201, u'x'), FillTarget::custom(u"a"_s, u"A"_s)));
    EXPECT_FALSE(store.learn(u"two\nlines"_s, FillTarget::custom(u"b"_s, u"B"_s)));
    EXPECT_TRUE(store.learn(QString(200, u'x'), FillTarget::custom(u"c"_s, u"C"_s)));
    EXPECT_TRUE(store.learn(u"ada@example.com"_s, FillTarget::profile(ProfileField::email)));
    EXPECT_FALSE(store.learn(u"R2"_s, FillTarget::profile(ProfileField::firstName)))
        << "implausible for the field";
    store.setLearned(u"Stanford"_s, u"college"_s, u"Which college?"_s);
    ASSERT_EQ(store.learned().size(), 2);
    EXPECT_EQ(store.learned().last().key, u"college"_s);
    EXPECT_EQ(store.learned().last().label, u"College"_s);
    EXPECT_EQ(store.learned().last().value, u"Stanford"_s);
    store.removeLearned(u"college"_s);
    EXPECT_FALSE(store.fillValue(college));
    // Lengths are what a person sees: 200 accented letters written as
    // letter and accent (400 units) are within the limit.
    EXPECT_TRUE(store.learn(u"e\u0301"_s.repeated(200), FillTarget::custom(u"d"_s, u"D"_s)));
}

TEST(ProfileValues, NationalNumberBehindACountryPicker) {
    EXPECT_EQ(ProfileStore::nationalNumber(u"+91 98765 43210"_s), u"9876543210"_s);
    EXPECT_EQ(ProfileStore::nationalNumber(u"+44 20 7946 0958"_s), u"2079460958"_s);
    EXPECT_EQ(ProfileStore::nationalNumber(u"91 98765 43210"_s), u"91 98765 43210"_s);
    EXPECT_EQ(ProfileStore::nationalNumber(u"+12 3456 7890"_s), u"+12 3456 7890"_s);
}

TEST(ProfileValues, AFlashCutsALongQuestionBetweenCharacters) {
    const QString thumb = u"\U0001F44D\U0001F3FD"_s; // one character, four units
    EXPECT_EQ(FillTarget::custom(u"k"_s, QString(26, u'a') + thumb + u"bc"_s).flashName(),
              QString(26, u'a') + thumb + u"…"_s);
    EXPECT_EQ(FillTarget::custom(u"k"_s, QString(25, u'a') + thumb + u"bc"_s).flashName(),
              QString(25, u'a') + thumb + u"bc"_s)
        << "28 characters are shown whole";
    EXPECT_EQ(FillTarget::profile(ProfileField::email).flashName(), u"email"_s);
}
