// The field matcher's decisions on the label shapes of real forms.
#include "autofill/FieldMatcher.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
std::string shown(const std::optional<ProfileField>& f) {
    return f ? ProfileFields::id(*f).toStdString() : "-";
}
} // namespace

TEST(FieldMatcher, NormalizeSplitsCamelCaseAndKeepsLettersAndNumbers) {
    EXPECT_EQ(FieldMatcher::normalize(u"firstName"_s), u"first name"_s);
    EXPECT_EQ(FieldMatcher::normalize(u"LinkedIn URL"_s), u"linked in url"_s);
    EXPECT_EQ(FieldMatcher::normalize(u"  E-mail__address*  "_s), u"e mail address"_s);
    EXPECT_EQ(FieldMatcher::normalize(u"Straße Nº 2"_s), u"straße nº 2"_s);
    EXPECT_EQ(FieldMatcher::normalize(u"***"_s), u""_s);
}

TEST(FieldMatcher, MatchesLabelsAsFormsWriteThem) {
    const std::pair<QString, std::optional<ProfileField>> cases[] = {
        {u"Work Email*"_s, ProfileField::email},
        {u"E-mail address"_s, ProfileField::email},
        {u"Email confirmation code"_s, std::nullopt},
        {u"Company name"_s, ProfileField::company},
        {u"Legal company name"_s, ProfileField::company},
        {u"Company size"_s, std::nullopt},
        {u"Your name"_s, ProfileField::fullName},
        {u"Father's name"_s, std::nullopt},
        {u"Username"_s, std::nullopt},
        {u"PIN code"_s, ProfileField::postalCode},
        {u"Zip code"_s, ProfileField::postalCode},
        {u"PIN"_s, std::nullopt},
        {u"Country code"_s, std::nullopt},
        {u"Country"_s, ProfileField::country},
        {u"LinkedIn profile URL"_s, ProfileField::linkedin},
        {u"Portfolio URL"_s, ProfileField::website},
        {u"Personal website or blog link"_s, ProfileField::website},
        {u"Your website or blog or portfolio"_s, std::nullopt},
        {u"Send to"_s, std::nullopt},
        {u"First name"_s, ProfileField::firstName},
        {u"firstName"_s, ProfileField::firstName},
        {u"Surname"_s, ProfileField::lastName},
        {u"Mobile number"_s, ProfileField::phone},
        {u"Phone no."_s, ProfileField::phone},
        {u"Address line 1"_s, ProfileField::address},
        {u"Street address"_s, ProfileField::address},
        {u"State / Province"_s, ProfileField::state},
        {u"Job title"_s, ProfileField::jobTitle},
        {u"Select your role"_s, std::nullopt},
        {u"Password"_s, std::nullopt},
        {u"Search"_s, std::nullopt},
        {u"Emergency contact phone"_s, std::nullopt},
        {u"Confirm email"_s, std::nullopt},
        {QString(61, u'a') + u" email"_s, std::nullopt},
        {u""_s, std::nullopt},
    };
    for (const auto& [label, field] : cases) {
        SCOPED_TRACE(label.toStdString());
        EXPECT_EQ(shown(FieldMatcher::match(label)), shown(field));
    }
}

TEST(FieldMatcher, RepeatedPhrasesAndTheLengthLimit) {
    const std::pair<QString, std::optional<ProfileField>> cases[] = {
        // Every occurrence of the deciding phrase goes, even side by side.
        {u"Name, name"_s, ProfileField::fullName},
        {u"E-mail, e-mail, e-mail"_s, ProfileField::email},
        // Closing the gap left by one occurrence can form the next.
        {u"first first name name"_s, ProfileField::firstName},
        {u"Company company size"_s, std::nullopt},
        // Only the first of two postal-code phrases side by side is read as
        // one word, so the second "pin" still refuses the field.
        {u"PIN code, PIN code"_s, std::nullopt},
        {u"Your PIN code"_s, ProfileField::postalCode},
        {u"pincode"_s, ProfileField::postalCode},
        // 60 normalised characters match; 61 do not, counting the space a
        // camel-case break adds.
        {u"email "_s + QString(54, u'x'), ProfileField::email},
        {u"email "_s + QString(55, u'x'), std::nullopt},
        {u"emailX"_s + QString(53, u'x'), ProfileField::email},
        {u"emailX"_s + QString(54, u'x'), std::nullopt},
        // Letters outside ASCII are kept as themselves, never folded to ASCII.
        {u"ÉMAIL"_s, std::nullopt},
        {u"Ｅｍａｉｌ"_s, std::nullopt},
    };
    for (const auto& [label, field] : cases) {
        SCOPED_TRACE(label.toStdString());
        EXPECT_EQ(shown(FieldMatcher::match(label)), shown(field));
    }
    EXPECT_EQ(FieldMatcher::customKey(u"ΣΊΣΥΦΟΣ"_s).value_or(u"-"_s), u"σίσυφοσ"_s);
    EXPECT_EQ(FieldMatcher::customKey(u"x optional y"_s).value_or(u"-"_s), u"x y"_s);
    EXPECT_EQ(FieldMatcher::customKey(u"Optional (required)"_s).value_or(u"-"_s), u"-"_s);
}

TEST(FieldMatcher, CustomKeysForQuestionsTheProfileDoesNotHold) {
    const std::pair<QString, std::optional<QString>> cases[] = {
        {u"Father's name"_s, u"father s name"_s},
        {u"Username"_s, u"username"_s},
        {u"College (optional)"_s, u"college"_s},
        {u"Startup stage *required*"_s, u"startup stage"_s},
        {u"Select your role"_s, std::nullopt},
        {u"Choose a plan"_s, std::nullopt},
        {u"Promo code"_s, std::nullopt},
        {u"Card number"_s, std::nullopt},
        {u"A"_s, std::nullopt},
        {u"123"_s, std::nullopt},
        {QString(101, u'x'), std::nullopt},
        // Letters beyond the first 65,536 are letters, and count once each.
        {u"\U0001D410\U0001D42E\U0001D41E\U0001D42C\U0001D42D? ok"_s,
         u"\U0001D410\U0001D42E\U0001D41E\U0001D42C\U0001D42D ok"_s},
        {QString(u"\U00020000"_s).repeated(100), QString(u"\U00020000"_s).repeated(100)},
        {QString(u"\U00020000"_s).repeated(101), std::nullopt},
        {u"What do you hope to learn? "_s + QString(50, u'y'), std::nullopt},
    };
    for (const auto& [label, key] : cases) {
        SCOPED_TRACE(label.toStdString());
        EXPECT_EQ(FieldMatcher::customKey(label).value_or(u"-"_s), key.value_or(u"-"_s));
    }
    // Too long to match a field, short enough for a key.
    const QString longQuestion =
        u"Tell us in a sentence or two what brought you here and what you hope for next year"_s;
    EXPECT_FALSE(FieldMatcher::match(longQuestion));
    EXPECT_TRUE(FieldMatcher::customKey(longQuestion));
}

TEST(FieldMatcher, IdentifyWeighsLabelsPlaceholdersAndIds) {
    const auto id = [](const FieldTexts& t) -> std::string {
        const auto r = FieldMatcher::identify(t);
        if (!r)
            return "-";
        std::string out = r->target.field ? ProfileFields::id(*r->target.field).toStdString()
                                          : "custom:" + r->target.key.toStdString() + "|" +
                                                r->target.label.toStdString();
        return r->hasCountryPicker ? out + "+picker" : out;
    };
    FieldTexts t;
    t.label = u"Nickname"_s;
    t.placeholder = u"Your work email"_s;
    EXPECT_EQ(id(t), "email") << "an e-mail placeholder wins over a label that matches nothing";
    t.placeholder = u"City"_s;
    EXPECT_EQ(id(t), "custom:nickname|Nickname") << "a city placeholder does not";
    t = {};
    t.domId = u"user_email"_s;
    EXPECT_EQ(id(t), "email");
    t = {};
    t.before = u"Mobile"_s;
    t.hasCountryPicker = true;
    EXPECT_EQ(id(t), "phone+picker");
    t = {};
    t.label = u"Email"_s;
    t.value = u"Email"_s; // the label echoed as the value is no label
    EXPECT_EQ(id(t), "-");
    t = {};
    t.title = u"Where did you hear about us?"_s;
    t.description = u"Email"_s;
    EXPECT_EQ(id(t), "email") << "every label is tried before a custom key";
    t = {};
    t.placeholder = u"Search"_s;
    EXPECT_EQ(id(t), "-");
}
