#include "autofill/FieldMatcher.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

using namespace std::string_view_literals;

namespace {
// Words are views: into the static tables, or into a normalised text that
// lives on the caller's stack. Matching a field allocates nothing.
using Word = std::u16string_view;
using Words = QVarLengthArray<Word, 32>; // a matched text has at most 30 words

// Texts longer than this (normalised) match no field.
constexpr qsizetype matchLimit = 60;
constexpr qsizetype noLimit = std::numeric_limits<qsizetype>::max();

struct Rule {
    ProfileField field;
    std::vector<Word> phrases;
    std::vector<Word> extras;
};

const std::vector<Rule>& rules() {
    static const std::vector<Rule> table{
        {ProfileField::linkedin,
         {u"linkedin"sv, u"linked in"sv},
         {u"profile"sv, u"link"sv, u"url"sv, u"address"sv, u"id"sv}},
        {ProfileField::email, {u"email"sv, u"e mail"sv, u"mail"sv}, {u"address"sv, u"id"sv}},
        {ProfileField::phone,
         {u"phone"sv, u"mobile"sv, u"whatsapp"sv, u"whats app"sv, u"telephone"sv, u"tel"sv,
          u"cell"sv},
         {u"number"sv, u"no"sv}},
        {ProfileField::website,
         {u"website"sv, u"web site"sv, u"url"sv, u"homepage"sv},
         {u"link"sv, u"address"sv}},
        {ProfileField::firstName,
         {u"first name"sv, u"firstname"sv, u"fname"sv, u"given name"sv, u"forename"sv},
         {}},
        {ProfileField::lastName,
         {u"last name"sv, u"lastname"sv, u"lname"sv, u"surname"sv, u"family name"sv},
         {}},
        {ProfileField::company,
         {u"company"sv, u"organisation"sv, u"organization"sv, u"startup"sv, u"employer"sv,
          u"firm"sv},
         {u"name"sv, u"legal"sv, u"registered"sv}},
        {ProfileField::jobTitle,
         {u"job title"sv, u"jobtitle"sv, u"designation"sv, u"role"sv, u"position"sv},
         {}},
        {ProfileField::postalCode,
         {u"zip"sv, u"postal"sv, u"postcode"sv, u"pin code"sv, u"pincode"sv},
         {u"code"sv}},
        {ProfileField::city, {u"city"sv, u"town"sv}, {}},
        {ProfileField::state, {u"state"sv, u"province"sv}, {u"province"sv, u"region"sv}},
        {ProfileField::country, {u"country"sv}, {}},
        {ProfileField::address, {u"address"sv}, {u"line"sv, u"1"sv, u"street"sv}},
        {ProfileField::fullName, {u"full name"sv, u"fullname"sv, u"name"sv}, {}},
    };
    return table;
}

constexpr std::array fillers{
    u"your"sv,     u"the"sv,      u"enter"sv,   u"please"sv,      u"of"sv,       u"a"sv,
    u"an"sv,       u"in"sv,       u"is"sv,      u"what"sv,        u"s"sv,        u"eg"sv,
    u"optional"sv, u"required"sv, u"primary"sv, u"work"sv,        u"business"sv, u"official"sv,
    u"personal"sv, u"current"sv,  u"founder"sv, u"applicant"sv,   u"contact"sv,  u"candidate"sv,
    u"customer"sv, u"billing"sv,  u"member"sv,  u"participant"sv, u"attendee"sv, u"my"sv,
    u"here"sv,     u"type"sv};

constexpr std::array sensitive{
    u"password"sv,     u"passcode"sv, u"otp"sv,      u"captcha"sv,  u"cvv"sv,     u"card"sv,
    u"verification"sv, u"pin"sv,      u"coupon"sv,   u"promo"sv,    u"search"sv,  u"find"sv,
    u"filter"sv,       u"query"sv,    u"message"sv,  u"comment"sv,  u"reply"sv,   u"chat"sv,
    u"prompt"sv,       u"ask"sv,      u"compose"sv,  u"subject"sv,  u"to"sv,      u"cc"sv,
    u"bcc"sv,          u"amount"sv,   u"quantity"sv, u"qty"sv,      u"price"sv,   u"date"sv,
    u"time"sv,         u"code"sv,     u"token"sv,    u"key"sv,      u"secret"sv,  u"ssn"sv,
    u"aadhaar"sv,      u"aadhar"sv,   u"pan"sv,      u"passport"sv, u"account"sv, u"bank"sv,
    u"iban"sv,         u"ifsc"sv,     u"upi"sv};

constexpr std::array otherPerson{u"username"sv, u"user name"sv,  u"referral"sv,  u"confirm"sv,
                                 u"re enter"sv, u"co founder"sv, u"cofounder"sv, u"spouse"sv,
                                 u"father"sv,   u"mother"sv,     u"guardian"sv,  u"emergency"sv,
                                 u"friend"sv,   u"nominee"sv,    u"referee"sv,   u"reference"sv,
                                 u"partner"sv,  u"manager"sv,    u"recipient"sv};

// Words that make a text a choice rather than a question with an answer.
constexpr std::array choiceWords{u"select"sv, u"choose"sv, u"pick"sv};

// Words dropped from a custom key.
constexpr std::array keyNoise{u"optional"sv, u"required"sv};

// Phrases that name a dialling prefix, never a profile value.
constexpr std::array dialCodes{u"country code"sv, u"dial code"sv};

std::vector<Word> splitPhrase(Word phrase) {
    std::vector<Word> words;
    for (std::size_t at = 0; at <= phrase.size();) {
        const std::size_t end = std::min(phrase.find(u' ', at), phrase.size());
        words.push_back(phrase.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

struct Phrase {
    std::vector<Word> words;
    int rule = -1; // index into rules() for a rule's phrase
    int order = 0; // position in the order in which the rule table tries phrases
};

// Everything known about one word of the tables.
struct WordInfo {
    bool filler = false;
    bool choice = false;
    bool keyNoise = false;
    std::uint32_t extraOf = 0; // bit r: the word is an extra of rule r
    // Phrases that begin with this word.
    std::vector<const Phrase*> sensitive;
    std::vector<const Phrase*> otherPerson;
    std::vector<const Phrase*> dialCodes;
    std::vector<const Phrase*> rulePhrases;
};

// The tables turned around once: from a word to the phrases it can begin.
// A text then tests only the few phrases its own words select, instead of
// every phrase of every table.
class WordIndex {
public:
    static const WordIndex& shared() {
        static const WordIndex index;
        return index;
    }

    const WordInfo* find(Word word) const {
        const auto it = words.find(word);
        return it == words.end() ? nullptr : &it->second;
    }

private:
    WordIndex() {
        for (Word w : fillers)
            words[w].filler = true;
        for (Word w : choiceWords)
            words[w].choice = true;
        for (Word w : keyNoise)
            words[w].keyNoise = true;
        for (Word p : sensitive)
            add(p, &WordInfo::sensitive);
        for (Word p : otherPerson)
            add(p, &WordInfo::otherPerson);
        for (Word p : dialCodes)
            add(p, &WordInfo::dialCodes);
        Q_ASSERT(rules().size() <= sizeof(WordInfo::extraOf) * 8); // one bit per rule
        int order = 0;
        for (std::size_t r = 0; r < rules().size(); ++r) {
            for (Word w : rules()[r].extras)
                words[w].extraOf |= 1u << r;
            for (Word p : rules()[r].phrases) {
                Phrase& phrase = add(p, &WordInfo::rulePhrases);
                phrase.rule = int(r);
                phrase.order = order++;
            }
        }
    }

    Phrase& add(Word text, std::vector<const Phrase*> WordInfo::*list) {
        Phrase& phrase = phrases.emplace_back(Phrase{splitPhrase(text)});
        (words[phrase.words.front()].*list).push_back(&phrase);
        return phrase;
    }

    std::deque<Phrase> phrases; // stable addresses for the word lists
    std::unordered_map<Word, WordInfo> words;
};

bool startsAt(const Words& words, qsizetype at, const std::vector<Word>& phrase) {
    if (at + qsizetype(phrase.size()) > words.size())
        return false;
    for (std::size_t k = 0; k < phrase.size(); ++k) {
        if (words[at + qsizetype(k)] != phrase[k])
            return false;
    }
    return true;
}

bool containsAny(const Words& words, const std::vector<const Phrase*> WordInfo::*list) {
    const WordIndex& index = WordIndex::shared();
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (const WordInfo* info = index.find(words[i])) {
            for (const Phrase* phrase : info->*list) {
                if (startsAt(words, i, phrase->words))
                    return true;
            }
        }
    }
    return false;
}

// One left-to-right pass of replacing the spaced two words by the spaced
// joined word. The space after an occurrence goes with it, so the word that
// follows cannot begin the next one ("pin code pin code" keeps its second).
void joinOnce(Words& words, Word first, Word second, Word joined) {
    Words out;
    for (qsizetype i = 0; i < words.size();) {
        if (i + 1 < words.size() && words[i] == first && words[i + 1] == second) {
            out.append(joined);
            i += 2;
            if (i < words.size())
                out.append(words[i++]);
        } else {
            out.append(words[i++]);
        }
    }
    words = out;
}

// Removes the spaced phrase until none is left, pass after pass: within one
// pass an occurrence right after another is skipped (as in joinOnce), and
// closing the gap can form a new occurrence ("first first name name").
Words withoutPhrase(Words words, const std::vector<Word>& phrase) {
    for (;;) {
        Words out;
        bool removed = false;
        for (qsizetype i = 0; i < words.size();) {
            if (startsAt(words, i, phrase)) {
                removed = true;
                i += qsizetype(phrase.size());
                if (i < words.size())
                    out.append(words[i++]);
            } else {
                out.append(words[i++]);
            }
        }
        if (!removed)
            return words;
        words = out;
    }
}

bool allowsTwoWords(ProfileField field) {
    return field == ProfileField::email || field == ProfileField::phone ||
           field == ProfileField::website || field == ProfileField::linkedin;
}

// The code point at i of text, and how many units it takes (a lone
// surrogate stands for itself).
std::pair<char32_t, int> codePointAt(const QChar* chars, qsizetype size, qsizetype i) {
    const char16_t c = chars[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(chars[i + 1].unicode()))
        return {QChar::surrogateToUcs4(c, chars[i + 1].unicode()), 2};
    return {c, 1};
}

// normalize() into any buffer of UTF-16 units. Answers false, with the
// buffer cut short, as soon as the result would exceed `limit` characters.
// Marks are dropped as neither letters nor numbers, so a character of the
// result is one code point, whichever plane its letter comes from.
template <typename Buffer> bool normalizeInto(const QString& text, Buffer& out, qsizetype limit) {
    bool pendingSpace = false;
    qsizetype characters = 0;
    const qsizetype size = text.size();
    const QChar* chars = text.constData();
    for (qsizetype i = 0; i < size;) {
        const char16_t c = chars[i].unicode();
        int units = 1;
        bool keep;
        bool lower;
        char32_t lowered;
        // ASCII has the same classes under Unicode; most texts are ASCII.
        if (c < 0x80) {
            lower = c >= u'a' && c <= u'z';
            const bool upper = c >= u'A' && c <= u'Z';
            keep = lower || upper || (c >= u'0' && c <= u'9');
            lowered = upper ? char32_t(c + (u'a' - u'A')) : c;
        } else {
            const auto [point, width] = codePointAt(chars, size, i);
            units = width;
            keep = QChar::isLetter(point) || QChar::isNumber(point);
            lower = QChar::isLower(point);
            lowered = QChar::toLower(point);
        }
        i += units;
        if (!keep) {
            pendingSpace = true;
            continue;
        }
        if (pendingSpace && !out.isEmpty()) {
            out.append(u' ');
            ++characters;
        }
        pendingSpace = false;
        if (QChar::requiresSurrogates(lowered)) {
            out.append(QChar::highSurrogate(lowered));
            out.append(QChar::lowSurrogate(lowered));
        } else {
            out.append(char16_t(lowered));
        }
        if (++characters > limit)
            return false;
        // A lower-case letter directly before an upper-case one starts a new
        // word ("firstName").
        if (lower && i < size && QChar::isUpper(codePointAt(chars, size, i).first))
            pendingSpace = true;
    }
    return true;
}

template <typename Buffer> Words splitWords(const Buffer& normal) {
    Words words;
    const Word text(normal.data(), std::size_t(normal.size()));
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(u' ', at), text.size());
        words.append(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

std::optional<ProfileField> matchWords(const Words& words) {
    const WordIndex& index = WordIndex::shared();
    // The never-fill test reads the postal-code words as one, so that they do
    // not trip "pin" or "code".
    Words guarded = words;
    joinOnce(guarded, u"pin"sv, u"code"sv, u"pincode"sv);
    joinOnce(guarded, u"zip"sv, u"code"sv, u"zip"sv);
    joinOnce(guarded, u"postal"sv, u"code"sv, u"postal"sv);
    if (containsAny(guarded, &WordInfo::sensitive) || containsAny(guarded, &WordInfo::otherPerson))
        return std::nullopt;
    if (containsAny(words, &WordInfo::dialCodes))
        return std::nullopt;

    // The table's first phrase that the text contains decides.
    const Phrase* first = nullptr;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const WordInfo* info = index.find(words[i]);
        if (!info)
            continue;
        for (const Phrase* phrase : info->rulePhrases) {
            if ((!first || phrase->order < first->order) && startsAt(words, i, phrase->words))
                first = phrase;
        }
    }
    if (!first)
        return std::nullopt;
    const Rule& rule = rules()[std::size_t(first->rule)];
    const std::uint32_t ruleBit = 1u << first->rule;
    int remaining = 0;
    for (Word word : withoutPhrase(words, first->words)) {
        const WordInfo* info = index.find(word);
        if (!info || (!info->filler && !(info->extraOf & ruleBit)))
            remaining++;
    }
    if (allowsTwoWords(rule.field))
        return remaining <= 2 ? std::optional(rule.field) : std::nullopt;
    return remaining == 0 ? std::optional(rule.field) : std::nullopt;
}
} // namespace

QString FieldMatcher::normalize(const QString& text) {
    QString out;
    out.reserve(text.size() + 4);
    normalizeInto(text, out, noLimit);
    return out;
}

std::optional<ProfileField> FieldMatcher::match(const QString& text) {
    QVarLengthArray<char16_t, matchLimit + 4> normal;
    if (!normalizeInto(text, normal, matchLimit) || normal.isEmpty())
        return std::nullopt;
    return matchWords(splitWords(normal));
}

std::optional<QString> FieldMatcher::customKey(const QString& text) {
    QVarLengthArray<char16_t, 128> normal;
    normalizeInto(text, normal, noLimit);
    const WordIndex& index = WordIndex::shared();
    Words kept;
    qsizetype size = -1; // of the words joined by single spaces
    for (Word word : splitWords(normal)) {
        const WordInfo* info = index.find(word);
        if (info && info->keyNoise)
            continue;
        kept.append(word);
        // In characters: the second unit of a pair adds none.
        size += qsizetype(word.size()) + 1 -
                std::count_if(word.begin(), word.end(),
                              [](char16_t c) { return QChar::isLowSurrogate(c); });
    }
    if (size < 2 || size > 100)
        return std::nullopt;
    const auto hasLetter = [](Word w) {
        const QString text =
            QString::fromRawData(reinterpret_cast<const QChar*>(w.data()), qsizetype(w.size()));
        for (qsizetype i = 0; i < text.size();) {
            const auto [point, width] = codePointAt(text.constData(), text.size(), i);
            if (QChar::isLetter(point))
                return true;
            i += width;
        }
        return false;
    };
    if (std::none_of(kept.cbegin(), kept.cend(), hasLetter))
        return std::nullopt;
    if (containsAny(kept, &WordInfo::sensitive))
        return std::nullopt;
    for (Word word : kept) {
        const WordInfo* info = index.find(word);
        if (info && info->choice)
            return std::nullopt;
    }
    QString key;
    key.reserve(size);
    for (Word word : kept) {
        if (!key.isEmpty())
            key.append(u' ');
        key.append(QStringView(word.data(), qsizetype(word.size())));
    }
    return key;
}

std::optional<FieldMatcher::Identified> FieldMatcher::identify(const FieldTexts& texts) {
    std::array<const QString*, 4> labels{};
    qsizetype labelCount = 0;
    for (const std::optional<QString>* candidate :
         {&texts.label, &texts.title, &texts.description, &texts.before}) {
        if (!*candidate || (*candidate)->isEmpty())
            continue;
        if (texts.placeholder && **candidate == *texts.placeholder)
            continue;
        if (texts.value && **candidate == *texts.value)
            continue;
        labels[std::size_t(labelCount++)] = &**candidate;
    }
    const bool picker = texts.hasCountryPicker;
    for (qsizetype i = 0; i < labelCount; ++i) {
        if (const auto field = match(*labels[std::size_t(i)]))
            return Identified{FillTarget::profile(*field), picker};
    }
    for (const std::optional<QString>* weak : {&texts.placeholder, &texts.domId}) {
        if (!*weak || (*weak)->isEmpty())
            continue;
        if (const auto field = match(**weak); field && (labelCount == 0 || allowsTwoWords(*field)))
            return Identified{FillTarget::profile(*field), picker};
    }
    if (labelCount == 0)
        return std::nullopt;
    if (const auto key = customKey(*labels[0]))
        return Identified{FillTarget::custom(*key, *labels[0]), picker};
    return std::nullopt;
}
