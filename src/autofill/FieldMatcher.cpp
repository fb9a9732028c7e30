#include "autofill/FieldMatcher.h"

#include <QSet>
#include <QStringList>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
struct Rule {
    ProfileField field;
    QStringList phrases;
    QSet<QString> extras;
};

const QList<Rule>& rules() {
    static const QList<Rule> table{
        {ProfileField::linkedin,
         {u"linkedin"_s, u"linked in"_s},
         {u"profile"_s, u"link"_s, u"url"_s, u"address"_s, u"id"_s}},
        {ProfileField::email, {u"email"_s, u"e mail"_s, u"mail"_s}, {u"address"_s, u"id"_s}},
        {ProfileField::phone,
         {u"phone"_s, u"mobile"_s, u"whatsapp"_s, u"whats app"_s, u"telephone"_s, u"tel"_s,
          u"cell"_s},
         {u"number"_s, u"no"_s}},
        {ProfileField::website,
         {u"website"_s, u"web site"_s, u"url"_s, u"homepage"_s},
         {u"link"_s, u"address"_s}},
        {ProfileField::firstName,
         {u"first name"_s, u"firstname"_s, u"fname"_s, u"given name"_s, u"forename"_s},
         {}},
        {ProfileField::lastName,
         {u"last name"_s, u"lastname"_s, u"lname"_s, u"surname"_s, u"family name"_s},
         {}},
        {ProfileField::company,
         {u"company"_s, u"organisation"_s, u"organization"_s, u"startup"_s, u"employer"_s,
          u"firm"_s},
         {u"name"_s, u"legal"_s, u"registered"_s}},
        {ProfileField::jobTitle,
         {u"job title"_s, u"jobtitle"_s, u"designation"_s, u"role"_s, u"position"_s},
         {}},
        {ProfileField::postalCode,
         {u"zip"_s, u"postal"_s, u"postcode"_s, u"pin code"_s, u"pincode"_s},
         {u"code"_s}},
        {ProfileField::city, {u"city"_s, u"town"_s}, {}},
        {ProfileField::state, {u"state"_s, u"province"_s}, {u"province"_s, u"region"_s}},
        {ProfileField::country, {u"country"_s}, {}},
        {ProfileField::address, {u"address"_s}, {u"line"_s, u"1"_s, u"street"_s}},
        {ProfileField::fullName, {u"full name"_s, u"fullname"_s, u"name"_s}, {}},
    };
    return table;
}

const QSet<QString>& fillers() {
    static const QSet<QString> words{
        u"your"_s,     u"the"_s,      u"enter"_s,   u"please"_s,      u"of"_s,       u"a"_s,
        u"an"_s,       u"in"_s,       u"is"_s,      u"what"_s,        u"s"_s,        u"eg"_s,
        u"optional"_s, u"required"_s, u"primary"_s, u"work"_s,        u"business"_s, u"official"_s,
        u"personal"_s, u"current"_s,  u"founder"_s, u"applicant"_s,   u"contact"_s,  u"candidate"_s,
        u"customer"_s, u"billing"_s,  u"member"_s,  u"participant"_s, u"attendee"_s, u"my"_s,
        u"here"_s,     u"type"_s};
    return words;
}

const QStringList& sensitive() {
    static const QStringList phrases{
        u"password"_s,     u"passcode"_s, u"otp"_s,      u"captcha"_s,  u"cvv"_s,     u"card"_s,
        u"verification"_s, u"pin"_s,      u"coupon"_s,   u"promo"_s,    u"search"_s,  u"find"_s,
        u"filter"_s,       u"query"_s,    u"message"_s,  u"comment"_s,  u"reply"_s,   u"chat"_s,
        u"prompt"_s,       u"ask"_s,      u"compose"_s,  u"subject"_s,  u"to"_s,      u"cc"_s,
        u"bcc"_s,          u"amount"_s,   u"quantity"_s, u"qty"_s,      u"price"_s,   u"date"_s,
        u"time"_s,         u"code"_s,     u"token"_s,    u"key"_s,      u"secret"_s,  u"ssn"_s,
        u"aadhaar"_s,      u"aadhar"_s,   u"pan"_s,      u"passport"_s, u"account"_s, u"bank"_s,
        u"iban"_s,         u"ifsc"_s,     u"upi"_s};
    return phrases;
}

const QStringList& otherPerson() {
    static const QStringList phrases{u"username"_s, u"user name"_s,  u"referral"_s,  u"confirm"_s,
                                     u"re enter"_s, u"co founder"_s, u"cofounder"_s, u"spouse"_s,
                                     u"father"_s,   u"mother"_s,     u"guardian"_s,  u"emergency"_s,
                                     u"friend"_s,   u"nominee"_s,    u"referee"_s,   u"reference"_s,
                                     u"partner"_s,  u"manager"_s,    u"recipient"_s};
    return phrases;
}

bool containsSpaced(const QString& padded, const QString& phrase) {
    // Phrases are short; searching for the phrase and checking its neighbours
    // spares building " phrase " for every test.
    for (qsizetype at = padded.indexOf(phrase); at >= 0; at = padded.indexOf(phrase, at + 1)) {
        const qsizetype end = at + phrase.size();
        if (at > 0 && padded[at - 1] == u' ' && end < padded.size() && padded[end] == u' ')
            return true;
    }
    return false;
}

// A padded text with its words at hand: most phrases tested against a field
// are absent, and a look among its few words says so without a search.
class SpacedText {
public:
    explicit SpacedText(const QString& padded) : text(padded) {
        words = QStringView(text).split(u' ', Qt::SkipEmptyParts);
    }
    SpacedText(const SpacedText&) = delete;
    SpacedText& operator=(const SpacedText&) = delete;

    bool contains(const QString& phrase) const {
        qsizetype firstEnd = 0;
        while (firstEnd < phrase.size() && phrase[firstEnd] != u' ')
            ++firstEnd;
        const QStringView first = QStringView(phrase).left(firstEnd);
        if (std::find(words.cbegin(), words.cend(), first) == words.cend())
            return false;
        return firstEnd == phrase.size() || containsSpaced(text, phrase);
    }

private:
    const QString text;
    QList<QStringView> words; // views into text
};

bool allowsTwoWords(ProfileField field) {
    return field == ProfileField::email || field == ProfileField::phone ||
           field == ProfileField::website || field == ProfileField::linkedin;
}
} // namespace

QString FieldMatcher::normalize(const QString& text) {
    // One pass: a space between a lower- and an upper-case letter, lower
    // case, anything but letters and numbers as a space, single spaces.
    QString out;
    out.reserve(text.size() + 4);
    bool pendingSpace = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isLetter() || c.isNumber()) {
            if (pendingSpace && !out.isEmpty())
                out.append(u' ');
            pendingSpace = false;
            out.append(c.toLower());
            if (i + 1 < text.size() && c.isLower() && text[i + 1].isUpper())
                pendingSpace = true;
        } else {
            pendingSpace = true;
        }
    }
    return out;
}

std::optional<ProfileField> FieldMatcher::match(const QString& text) {
    const QString normal = normalize(text);
    if (normal.isEmpty() || normal.size() > 60)
        return std::nullopt;
    const QString padded = u' ' + normal + u' ';
    QString neverFill = padded;
    neverFill.replace(u" pin code "_s, u" pincode "_s);
    neverFill.replace(u" zip code "_s, u" zip "_s);
    neverFill.replace(u" postal code "_s, u" postal "_s);
    const SpacedText neverFillWords(neverFill);
    for (const QStringList* list : {&sensitive(), &otherPerson()}) {
        for (const QString& phrase : *list) {
            if (neverFillWords.contains(phrase))
                return std::nullopt;
        }
    }
    const SpacedText words(padded);
    if (words.contains(u"country code"_s) || words.contains(u"dial code"_s))
        return std::nullopt;
    for (const Rule& rule : rules()) {
        for (const QString& phrase : rule.phrases) {
            if (!words.contains(phrase))
                continue;
            QString rest = padded;
            rest.replace(u' ' + phrase + u' ', u" "_s);
            // Overlapping occurrences ("name name") leave a second one behind.
            while (rest.contains(u' ' + phrase + u' '))
                rest.replace(u' ' + phrase + u' ', u" "_s);
            int remaining = 0;
            for (const QString& word : rest.split(u' ', Qt::SkipEmptyParts)) {
                if (!fillers().contains(word) && !rule.extras.contains(word))
                    remaining++;
            }
            if (allowsTwoWords(rule.field))
                return remaining <= 2 ? std::optional(rule.field) : std::nullopt;
            return remaining == 0 ? std::optional(rule.field) : std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<QString> FieldMatcher::customKey(const QString& text) {
    QStringList kept;
    for (const QString& word : normalize(text).split(u' ', Qt::SkipEmptyParts)) {
        if (word != u"optional" && word != u"required")
            kept.append(word);
    }
    const QString key = kept.join(u' ');
    if (key.size() < 2 || key.size() > 100)
        return std::nullopt;
    if (std::none_of(key.begin(), key.end(), [](QChar c) { return c.isLetter(); }))
        return std::nullopt;
    const SpacedText words(u' ' + key + u' ');
    for (const QString& phrase : sensitive()) {
        if (words.contains(phrase))
            return std::nullopt;
    }
    for (const QString& word : {u"select"_s, u"choose"_s, u"pick"_s}) {
        if (words.contains(word))
            return std::nullopt;
    }
    return key;
}

std::optional<FieldMatcher::Identified> FieldMatcher::identify(const FieldTexts& texts) {
    QStringList labels;
    for (const std::optional<QString>* candidate :
         {&texts.label, &texts.title, &texts.description, &texts.before}) {
        if (!*candidate || (*candidate)->isEmpty())
            continue;
        if (texts.placeholder && **candidate == *texts.placeholder)
            continue;
        if (texts.value && **candidate == *texts.value)
            continue;
        labels.append(**candidate);
    }
    const bool picker = texts.hasCountryPicker;
    for (const QString& label : labels) {
        if (const auto field = match(label))
            return Identified{FillTarget::profile(*field), picker};
    }
    for (const std::optional<QString>* weak : {&texts.placeholder, &texts.domId}) {
        if (!*weak || (*weak)->isEmpty())
            continue;
        if (const auto field = match(**weak); field && (labels.isEmpty() || allowsTwoWords(*field)))
            return Identified{FillTarget::profile(*field), picker};
    }
    if (labels.isEmpty())
        return std::nullopt;
    if (const auto key = customKey(labels.first()))
        return Identified{FillTarget::custom(*key, labels.first()), picker};
    return std::nullopt;
}
