#pragma once

#include <QStringView>
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// How Tovik cuts English text into words and undoes regular inflection. The
// word-vector trainer and the sentence embedding share it, so a word is looked
// up at run time exactly as it was spelt when the model was made.
namespace EnglishWords {

// Longer runs of letters are not English words (hashes, base64 and the like).
constexpr std::size_t longestWord = 40;

// Calls visit(std::string_view) for every word of text in lower case. A word is
// a run of letters; apostrophes, hyphens, digits and everything else separate
// words. Words with letters outside ASCII, and runs longer than longestWord,
// are not English vocabulary and are passed over.
template <typename Visit> void forEachWord(QStringView text, Visit&& visit) {
    std::array<char, longestWord> word;
    std::size_t length = 0;
    bool english = true;
    auto flush = [&] {
        if (english && length > 0 && length <= longestWord)
            visit(std::string_view(word.data(), length));
        length = 0;
        english = true;
    };
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z')) {
            if (length < longestWord)
                word[length] = char(u | 0x20);
            ++length;
        } else if (u >= 0x80 && c.isLetter()) {
            english = false;
            ++length;
        } else if (u >= 0x80 && c.isMark()) {
            english = false; // a combining accent belongs to the word it follows
        } else {
            flush();
        }
    }
    flush();
}

// Possible base forms of an inflected word (plural, third person, -ed, -ing,
// comparative), most likely first. Irregular forms are not guessed here: they
// come from the model's own table of exceptions. Returns how many were written.
std::size_t baseForms(std::string_view word, std::span<std::string> out);
constexpr std::size_t maximumBaseForms = 16;

// Function words that carry no topic; the model maps them to nothing.
std::span<const std::string_view> stopWords();

} // namespace EnglishWords
