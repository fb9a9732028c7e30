#include "app/AccountSummary.h"

#include "autofill/ProfileStore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(AccountSummary, SaysWhatTheProfileHoldsOrInvitesTheUserToFillIt) {
    struct Case {
        QString fullName;
        QString email;
        QString initials;
        QString name;
        QString detail;
    };
    const Case cases[] = {
        {u""_s, u""_s, u""_s, u"Add your details"_s, u"My Info"_s},
        {u""_s, u" ada@example.com\n"_s, u""_s, u"Add your details"_s, u"ada@example.com"_s},
        {u"ada lovelace"_s, u""_s, u"AL"_s, u"ada lovelace"_s, u"My Info"_s},
        {u"Ada Lovelace"_s, u"ada@example.com"_s, u"AL"_s, u"Ada Lovelace"_s, u"ada@example.com"_s},
        // Only the first two words count; one word gives one initial.
        {u"  Augusta \tAda King "_s, u""_s, u"AA"_s, u"Augusta Ada King"_s, u"My Info"_s},
        {u"Ada"_s, u""_s, u"A"_s, u"Ada"_s, u"My Info"_s},
        // A letter with a combining accent is one initial, whole.
        {u"e\u0301mile zola"_s, u""_s, u"E\u0301Z"_s, u"e\u0301mile zola"_s, u"My Info"_s},
    };
    for (const Case& c : cases) {
        const AccountSummary summary = AccountSummary::of(c.fullName, c.email);
        EXPECT_EQ(summary.initials, c.initials) << c.fullName.toStdString();
        EXPECT_EQ(summary.name, c.name) << c.fullName.toStdString();
        EXPECT_EQ(summary.detail, c.detail) << c.email.toStdString();
    }
}

TEST(AccountSummary, ReadsTheNameAsAutofillWouldFillIt) {
    QTemporaryDir dir;
    ProfileStore profile({dir.filePath(u"profile.json"_s), {}});
    profile.set(u"Grace"_s, ProfileField::firstName);
    profile.set(u"Hopper"_s, ProfileField::lastName);
    profile.set(u"grace@example.com"_s, ProfileField::email);
    const AccountSummary summary = AccountSummary::of(profile);
    EXPECT_EQ(summary.initials, u"GH"_s);
    EXPECT_EQ(summary.name, u"Grace Hopper"_s) << "the full name is made from its parts";
    EXPECT_EQ(summary.detail, u"grace@example.com"_s);
}
