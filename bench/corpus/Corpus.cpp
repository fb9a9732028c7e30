#include "corpus/Corpus.h"

#include <QStringList>
#include <array>
#include <map>
#include <random>

using namespace Qt::StringLiterals;

namespace Corpus {

namespace {

const std::array<const char*, 96> words{
    "the",        "of",      "and",     "a",      "to",       "in",      "is",      "you",
    "that",       "it",      "for",     "on",     "with",     "as",      "are",     "this",
    "be",         "at",      "have",    "from",   "or",       "one",     "had",     "by",
    "word",       "but",     "not",     "what",   "all",      "were",    "we",      "when",
    "your",       "can",     "said",    "there",  "use",      "an",      "each",    "which",
    "she",        "do",      "how",     "their",  "if",       "will",    "up",      "other",
    "about",      "out",     "many",    "then",   "them",     "these",   "so",      "some",
    "her",        "would",   "make",    "like",   "him",      "into",    "time",    "python",
    "compiler",   "recipe",  "cooking", "flight", "hotel",    "startup", "founder", "design",
    "typography", "workout", "sleep",   "album",  "playlist", "stock",   "invest",  "llm",
    "neural",     "meeting", "project", "garden", "river",    "window",  "memory",  "coffee",
    "letter",     "bridge",  "market",  "planet", "engine",   "signal",  "forest"};

const std::array<const char*, 12> hosts{
    "github.com",       "www.youtube.com", "en.wikipedia.org",    "news.example.org",
    "blog.example.com", "www.nytimes.com", "docs.google.com",     "medium.com",
    "arxiv.org",        "www.reddit.com",  "recipes.example.net", "travel.example.io"};

const std::array<const char*, 6> sources{"Firefox",    "Terminal", "Text Editor",
                                         "Quick Note", "Chromium", "Files"};

const std::array<const char*, 8> tagNames{"Work",      "Reading", "Ideas",    "Home",
                                          "Project X", "Later",   "Research", "Recipes"};

// Made-up words from syllables, so the corpus needs no word list: a general
// vocabulary used with Zipf-like frequencies, and topic words, eight to a
// topic. Items on one topic share its words, as notes about one subject do.
QString madeUpWord(std::mt19937& random) {
    static const std::array<const char*, 24> syllables{
        "ka", "lo",  "mi",  "ra",  "ven", "tor", "el", "is", "an",   "dor", "mel", "qui",
        "sa", "ber", "lin", "gor", "pha", "tes", "ur", "on", "stra", "ple", "cu",  "nex"};
    QString word;
    const int count = 2 + int(random() % 2);
    for (int i = 0; i < count; ++i)
        word += QString::fromLatin1(syllables[random() % syllables.size()]);
    return word;
}

struct Vocabulary {
    QStringList general;
    QList<QStringList> topics;
    std::discrete_distribution<int> generalPick;
    std::discrete_distribution<int> topicPick;

    Vocabulary() {
        std::mt19937 random(90210);
        for (int i = 0; i < 3000; ++i)
            general.append(madeUpWord(random));
        std::vector<double> weights;
        for (int i = 0; i < 3000; ++i)
            weights.push_back(1.0 / (i + 40));
        generalPick = std::discrete_distribution<int>(weights.begin(), weights.end());
        weights.clear();
        for (int t = 0; t < 400; ++t) {
            QStringList topic;
            for (int w = 0; w < 8; ++w)
                topic.append(madeUpWord(random));
            topics.append(topic);
            weights.push_back(1.0 / (t + 4));
        }
        topicPick = std::discrete_distribution<int>(weights.begin(), weights.end());
    }
};

const Vocabulary& vocabulary() {
    static const Vocabulary shared;
    return shared;
}

// Sentences of 7 to 16 words from pick, cut to length characters.
template <typename Pick> QString sentences(int length, std::mt19937& random, Pick&& pick) {
    QString text;
    text.reserve(length + 16);
    int sentence = 0;
    while (text.size() < length) {
        QString word = pick();
        if (sentence == 0 && !word.isEmpty())
            word[0] = word[0].toUpper();
        text += word;
        if (++sentence > 6 + int(random() % 10)) {
            text += u". "_s;
            sentence = 0;
        } else {
            text += u' ';
        }
    }
    text.truncate(length);
    return text;
}

// The first words of the list are English function words (nearly all of them
// stop words); the rest are subjects, left to the topics here.
constexpr std::size_t functionWords = 63;

// About length characters on one topic: English function words, words of the
// general vocabulary and, one word in six, the topic's own words.
QString topicalProse(int length, int topic, std::mt19937& random) {
    const Vocabulary& v = vocabulary();
    std::discrete_distribution<int> generalPick = v.generalPick;
    return sentences(length, random, [&] {
        const unsigned roll = random() % 6;
        return roll == 0  ? v.topics[topic][random() % 8]
               : roll < 3 ? v.general[generalPick(random)]
                          : QString::fromLatin1(words[random() % functionWords]);
    });
}

} // namespace

QStringList topicWords(int topic) {
    return vocabulary().topics.value(topic);
}

QString prose(int length, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    return sentences(length, random, [&] { return QString::fromLatin1(words[pick(random)]); });
}

const QList<Item>& sharedItems(int count) {
    static std::map<int, QList<Item>> made;
    auto it = made.find(count);
    if (it == made.end())
        it = made.emplace(count, items(count)).first;
    return it->second;
}

QList<Item> items(int count, std::uint32_t seed) {
    std::mt19937 random(seed);
    QList<Item> result;
    result.reserve(count);
    double savedAt = 790000000.0;
    std::discrete_distribution<int> topicPick = vocabulary().topicPick;
    for (int i = 0; i < count; ++i) {
        Item item;
        const int topic = topicPick(random);
        // Ids from the seeded generator, so two runs build equal corpora.
        item.id = QUuid(uint(random()), ushort(random()), ushort(random()), uchar(random()),
                        uchar(random()), uchar(random()), uchar(random()), uchar(random()),
                        uchar(random()), uchar(random()), uchar(random()));
        savedAt -= 60.0 + double(random() % 3600);
        item.savedAt = savedAt;
        const unsigned roll = random() % 100;
        if (roll < 45) {
            item.kind = ItemKind::text;
            // Mostly short snippets, some long notes: about 2.5 kB on average.
            const int length = roll < 30 ? 80 + int(random() % 900) : 2000 + int(random() % 9000);
            item.text = topicalProse(length, topic, random);
            item.title = item.text->left(70);
            item.detail = u"Text snippet"_s;
        } else if (roll < 75) {
            item.kind = ItemKind::link;
            const QString host = QString::fromLatin1(hosts[random() % hosts.size()]);
            item.title = host;
            item.detail = u"https://"_s + host + u"/"_s + prose(24, random()).replace(u' ', u'-');
            if (random() % 4 != 0)
                item.text = topicalProse(500 + int(random() % 6000), topic, random);
        } else if (roll < 90) {
            item.kind = ItemKind::image;
            item.title =
                u"Image · 3 Dec 2026 at 10:%1"_s.arg(random() % 60, 2, 10, QLatin1Char('0'));
            item.detail = u"Copied image"_s;
            item.fileName = QUuid(uint(random()), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)
                                .toString(QUuid::WithoutBraces)
                                .toUpper() +
                            u".png"_s;
            if (random() % 3 == 0)
                item.text = topicalProse(40 + int(random() % 400), topic, random);
        } else {
            item.kind = ItemKind::file;
            item.title = topicalProse(16, topic, random).replace(u' ', u'_') + u".pdf"_s;
            item.detail = u"/home/user/Documents"_s;
            item.fileName = item.title;
            item.text = topicalProse(1000 + int(random() % 8000), topic, random);
        }
        item.source = QString::fromLatin1(sources[random() % sources.size()]);
        const unsigned tagRoll = random() % 10;
        if (tagRoll < 3) {
            item.tags = QStringList{QString::fromLatin1(tagNames[random() % tagNames.size()])};
        } else if (tagRoll == 3) {
            item.tags = QStringList{};
        }
        if (random() % 2 == 0) {
            static const std::array<const char*, 6> categories{"Code",   "AI",       "Food",
                                                               "Travel", "Learning", "Article"};
            item.category = QString::fromLatin1(categories[random() % categories.size()]);
        }
        result.append(std::move(item));
    }
    return result;
}

} // namespace Corpus
