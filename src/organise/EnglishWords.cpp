#include "organise/EnglishWords.h"

#include <algorithm>

namespace EnglishWords {

namespace {

struct Rule {
    std::string_view suffix;
    std::string_view replacement;
    bool undouble; // also try the stem without a doubled final consonant (running, stopped)
};

// Tried in this order; the first form the model knows wins. Replacements that
// restore a silent e come before plain detachment, so "coding" finds "code"
// before "cod" and "hoped" finds "hope" before "hop".
constexpr Rule rules[] = {
    {"ies", "y", false},
    {"s", "", false},
    {"es", "", false},
    {"men", "man", false},
    {"ied", "y", false},
    {"ed", "e", false},
    {"ed", "", true},
    {"ying", "ie", false},
    {"ing", "e", false},
    {"ing", "", true},
    {"ier", "y", false},
    {"iest", "y", false},
    {"er", "e", false},
    {"er", "", true},
    {"est", "e", false},
    {"est", "", true},
    {"ily", "y", false},
    {"ly", "", false},
    // Derivations last: a word unknown in every inflected reading may still
    // name a quality or state of a known one (entrepreneurship, mindfulness).
    {"ship", "", false},
    {"ness", "", false},
    {"iness", "y", false},
    {"ment", "", false},
    {"hood", "", false},
};

constexpr std::size_t shortestForm = 2;

bool isVowel(char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

constexpr std::string_view stopWordList[] = {
    "about",    "above",      "after",     "again",   "against",    "ago",     "all",
    "almost",   "along",      "already",   "also",    "although",   "always",  "am",
    "among",    "an",         "and",       "another", "any",        "anyone",  "anything",
    "are",      "aren",       "around",    "as",      "at",         "away",    "back",
    "be",       "became",     "because",   "become",  "been",       "before",  "being",
    "below",    "between",    "both",      "but",     "by",         "can",     "cannot",
    "could",    "couldn",     "did",       "didn",    "do",         "does",    "doesn",
    "doing",    "don",        "done",      "down",    "during",     "each",    "either",
    "else",     "enough",     "etc",       "even",    "ever",       "every",   "few",
    "for",      "from",       "further",   "get",     "gets",       "getting", "got",
    "had",      "hadn",       "has",       "hasn",    "have",       "haven",   "having",
    "he",       "her",        "here",      "hers",    "herself",    "him",     "himself",
    "his",      "how",        "however",   "if",      "in",         "into",    "is",
    "isn",      "it",         "its",       "itself",  "just",       "least",   "less",
    "let",      "like",       "ll",        "many",    "may",        "me",      "might",
    "mine",     "more",       "most",      "much",    "must",       "my",      "myself",
    "neither",  "no",         "nor",       "not",     "now",        "of",      "off",
    "often",    "on",         "once",      "one",     "only",       "onto",    "or",
    "other",    "others",     "our",       "ours",    "ourselves",  "out",     "over",
    "own",      "per",        "quite",     "rather",  "re",         "really",  "same",
    "shall",    "she",        "should",    "shouldn", "since",      "so",      "some",
    "someone",  "something",  "sometimes", "still",   "such",       "than",    "that",
    "the",      "their",      "theirs",    "them",    "themselves", "then",    "there",
    "these",    "they",       "thing",     "things",  "this",       "those",   "though",
    "through",  "thus",       "to",        "too",     "toward",     "towards", "under",
    "until",    "up",         "upon",      "us",      "usually",    "ve",      "very",
    "via",      "was",        "wasn",      "we",      "were",       "weren",   "what",
    "whatever", "when",       "where",     "whether", "which",      "while",   "who",
    "whom",     "whose",      "why",       "will",    "with",       "within",  "without",
    "won",      "would",      "wouldn",    "yet",     "you",        "your",    "yours",
    "yourself", "yourselves",
};

} // namespace

std::size_t baseForms(std::string_view word, std::span<std::string> out) {
    std::size_t count = 0;
    auto add = [&](std::string_view stem, std::string_view replacement) {
        if (count == out.size() || stem.empty() || stem.size() + replacement.size() < shortestForm)
            return;
        std::string& form = out[count];
        form.assign(stem);
        form.append(replacement);
        if (std::find(out.begin(), out.begin() + count, form) == out.begin() + count)
            ++count;
    };
    for (const Rule& rule : rules) {
        if (word.size() <= rule.suffix.size() || !word.ends_with(rule.suffix))
            continue;
        const std::string_view stem = word.substr(0, word.size() - rule.suffix.size());
        add(stem, rule.replacement);
        const std::size_t n = stem.size();
        if (rule.undouble && n >= 3 && stem[n - 1] == stem[n - 2] && !isVowel(stem[n - 1]))
            add(stem.substr(0, n - 1), rule.replacement);
    }
    return count;
}

std::span<const std::string_view> stopWords() {
    return stopWordList;
}

} // namespace EnglishWords
