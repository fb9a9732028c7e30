// Person: initials, group key and the people file's records.
#include "network/Person.h"

#include "network/PeopleFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

Person sample() {
    Person person;
    person.id = QUuid::fromString(u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s);
    person.name = u"Ada Lovelace"_s;
    person.company = u"Engines Ltd"_s;
    person.location = u"London"_s;
    person.note = u"met at the society"_s;
    person.addedAt = 786'000'000.25;
    return person;
}

} // namespace

TEST(Person, InitialsTakeTheFirstLetterOfTheFirstTwoWords) {
    const struct {
        QString name;
        QString initials;
    } cases[] = {
        {u"ada king lovelace"_s, u"AK"_s},
        {u"  ada   lovelace "_s, u"AL"_s},
        {u"Ada"_s, u"A"_s},
        {u""_s, u""_s},
        {u"   "_s, u""_s},
        {u"émile zola"_s, u"ÉZ"_s},
        {u"\U0001F600 smile"_s, u"\U0001F600S"_s},
    };
    for (const auto& [name, initials] : cases) {
        Person person;
        person.name = name;
        EXPECT_EQ(person.initials(), initials) << name.toStdString();
    }
}

TEST(Person, CompanyKeyIsTheUntrimmedCompanyOrIndependent) {
    const struct {
        QString company;
        QString key;
    } cases[] = {
        {u"Acme"_s, u"Acme"_s},
        {u"Acme "_s, u"Acme "_s},
        {u""_s, u"Independent"_s},
        {u" \t "_s, u"Independent"_s},
    };
    for (const auto& [company, key] : cases) {
        Person person;
        person.company = company;
        EXPECT_EQ(person.companyKey(), key) << company.toStdString();
    }
}

TEST(Person, NeedsEnrichmentWhileALinkHasNoAvatarOrACompanyNoLogo) {
    Person person = sample();
    EXPECT_TRUE(person.needsEnrichment()); // company without a logo
    person.logoFileName = u""_s;           // tried and failed
    EXPECT_FALSE(person.needsEnrichment());
    person.linkedin = u""_s;
    EXPECT_FALSE(person.needsEnrichment());
    person.linkedin = u"linkedin.com/in/ada"_s;
    EXPECT_TRUE(person.needsEnrichment());
    person.avatarFileName = u""_s;
    EXPECT_FALSE(person.needsEnrichment());
    Person lone;
    lone.company = u" "_s; // only spaces: still a company to look up
    EXPECT_TRUE(lone.needsEnrichment());
}

TEST(Person, JsonKeepsEveryFieldAndLeavesAbsentOnesOut) {
    Person person = sample();
    QJsonObject json = person.toJson();
    EXPECT_EQ(json.value(u"id"_s).toString(), u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s);
    EXPECT_EQ(json.value(u"addedAt"_s).toDouble(), 786'000'000.25);
    EXPECT_FALSE(json.contains(u"linkedin"_s));
    EXPECT_FALSE(json.contains(u"avatarFileName"_s));
    EXPECT_EQ(Person::fromJson(json), person);

    person.linkedin = u"https://x.com/ada"_s;
    person.avatarFileName = u""_s;
    person.logoFileName = u"A-logo.png"_s;
    json = person.toJson();
    EXPECT_EQ(json.value(u"avatarFileName"_s).toString(), u""_s);
    EXPECT_EQ(Person::fromJson(json), person);
}

TEST(Person, AFileWithAPersonLackingARequiredKeyDoesNotLoad) {
    const QByteArray good = PeopleFile::encode({sample()});
    ASSERT_TRUE(PeopleFile::decode(good));
    EXPECT_EQ(PeopleFile::decode(good)->size(), 1);
    EXPECT_FALSE(good.contains('\n')); // compact
    for (const QString& key :
         {u"id"_s, u"name"_s, u"company"_s, u"location"_s, u"note"_s, u"addedAt"_s}) {
        QJsonObject object = sample().toJson();
        object.remove(key);
        const QByteArray bytes = "[" + QJsonDocument(sample().toJson()).toJson() + "," +
                                 QJsonDocument(object).toJson() + "]";
        EXPECT_FALSE(PeopleFile::decode(bytes)) << key.toStdString();
    }
    QJsonObject wrongType = sample().toJson();
    wrongType.insert(u"addedAt"_s, u"yesterday"_s);
    EXPECT_FALSE(PeopleFile::decode("[" + QJsonDocument(wrongType).toJson() + "]"));
    QJsonObject bracedId = sample().toJson();
    bracedId.insert(u"id"_s, u"{0F8FAD5B-D9CB-469F-A165-70867728950E}"_s);
    EXPECT_FALSE(PeopleFile::decode("[" + QJsonDocument(bracedId).toJson() + "]"));
    EXPECT_FALSE(PeopleFile::decode("{}"));
    EXPECT_FALSE(PeopleFile::decode("[1]"));
    EXPECT_TRUE(PeopleFile::decode("[]"));
}
