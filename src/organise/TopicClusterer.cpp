#include "organise/TopicClusterer.h"

#include "common/Graphemes.h"
#include "organise/SharedText.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<std::u16string_view, 199> stopWordList{
    u"the",      u"and",       u"for",       u"with",     u"that",     u"this",   u"from",
    u"are",      u"was",       u"were",      u"have",     u"has",      u"had",    u"will",
    u"would",    u"could",     u"should",    u"you",      u"your",     u"yours",  u"not",
    u"but",      u"they",      u"their",     u"them",     u"then",     u"than",   u"its",
    u"can",      u"cant",      u"dont",      u"about",    u"into",     u"more",   u"most",
    u"some",     u"such",      u"only",      u"over",     u"when",     u"where",  u"which",
    u"while",    u"who",       u"whom",      u"why",      u"how",      u"all",    u"any",
    u"both",     u"each",      u"few",       u"other",    u"our",      u"out",    u"own",
    u"same",     u"too",       u"very",      u"just",     u"also",     u"been",   u"being",
    u"does",     u"doing",     u"during",    u"before",   u"after",    u"above",  u"below",
    u"between",  u"under",     u"again",     u"further",  u"once",     u"here",   u"there",
    u"what",     u"because",   u"until",     u"against",  u"through",  u"now",    u"get",
    u"gets",     u"got",       u"one",       u"two",      u"three",    u"new",    u"use",
    u"using",    u"used",      u"like",      u"make",     u"makes",    u"made",   u"see",
    u"way",      u"ways",      u"may",       u"might",    u"much",     u"many",   u"still",
    u"even",     u"back",      u"well",      u"want",     u"wants",    u"need",   u"needs",
    u"take",     u"takes",     u"took",      u"first",    u"last",     u"next",   u"said",
    u"says",     u"say",       u"per",       u"via",      u"etc",      u"off",    u"let",
    u"lets",     u"his",       u"her",       u"him",      u"she",      u"man",    u"men",
    u"people",   u"thing",     u"things",    u"time",     u"times",    u"year",   u"years",
    u"day",      u"days",      u"good",      u"great",    u"best",     u"really", u"know",
    u"think",    u"going",     u"come",      u"look",     u"work",     u"com",    u"www",
    u"http",     u"https",     u"html",      u"page",     u"site",     u"home",   u"click",
    u"read",     u"share",     u"subscribe", u"sign",     u"login",    u"menu",   u"search",
    u"watch",    u"video",     u"videos",    u"photo",    u"photos",   u"image",  u"images",
    u"official", u"channel",   u"views",     u"live",     u"free",     u"online", u"youtube",
    u"youtu",    u"instagram", u"twitter",   u"linkedin", u"facebook", u"tiktok", u"reddit",
    u"google",   u"wikipedia", u"spotify",   u"netflix",  u"text",     u"file",   u"snippet",
    u"copied",   u"saved",     u"untitled"};

const std::unordered_set<std::u16string_view>& stopWordSet() {
    static const std::unordered_set<std::u16string_view> set(stopWordList.begin(),
                                                             stopWordList.end());
    return set;
}

std::u16string_view view(QStringView text) {
    return {text.utf16(), size_t(text.size())};
}

// Plain code-point order. UTF-16 order differs from it only when a surrogate
// meets a unit from U+E000 up, so those are moved past each other.
bool codePointLess(std::u16string_view a, std::u16string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        char16_t x = a[i];
        char16_t y = b[i];
        if (x == y)
            continue;
        if (x >= 0xD800 && y >= 0xD800) {
            x = x >= 0xE000 ? char16_t(x - 0x800) : char16_t(x + 0x2000);
            y = y >= 0xE000 ? char16_t(y - 0x800) : char16_t(y + 0x2000);
        }
        return x < y;
    }
    return a.size() < b.size();
}

char32_t firstCodePoint(QStringView text) {
    if (text.size() >= 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[0], text[1]);
    return text[0].unicode();
}

using Weights = std::unordered_map<std::u16string_view, int>;

void countWord(QStringView word, qsizetype characters, int weight, Weights& weights) {
    if (characters < TopicClusterer::minimumWordLength)
        return;
    const std::u16string_view key = view(word);
    if (stopWordSet().count(key) == 0)
        weights[key] += weight;
}

// Adds the words of lowered (which must outlive weights): runs of letters of
// any script, split at every other character. Below U+0300 each unit is a
// character of its own (CR LF, the only pair, is no letter either way), so
// most text is read unit by unit; other text by user-perceived characters, a
// character being a letter when its first code point is.
void addWords(QStringView lowered, int weight, Weights& weights) {
    const bool simple =
        std::all_of(lowered.begin(), lowered.end(), [](QChar c) { return c.unicode() < 0x0300; });
    if (simple) {
        qsizetype start = -1;
        for (qsizetype i = 0; i <= lowered.size(); ++i) {
            const bool letter = i < lowered.size() && lowered[i].isLetter();
            if (letter && start < 0) {
                start = i;
            } else if (!letter && start >= 0) {
                countWord(lowered.sliced(start, i - start), i - start, weight, weights);
                start = -1;
            }
        }
        return;
    }
    qsizetype start = -1;
    qsizetype end = 0;
    qsizetype characters = 0;
    Graphemes::forEach(lowered, [&](QStringView character) {
        const qsizetype position = character.data() - lowered.data();
        if (QChar::isLetter(firstCodePoint(character))) {
            if (start < 0) {
                start = position;
                characters = 0;
            }
            ++characters;
        } else if (start >= 0) {
            countWord(lowered.sliced(start, position - start), characters, weight, weights);
            start = -1;
        }
        end = position + character.size();
        return true;
    });
    if (start >= 0)
        countWord(lowered.sliced(start, end - start), characters, weight, weights);
}

// The keywords of a title and text, best first.
QStringList topKeywords(const QString& title, const std::optional<QString>& text) {
    const QString loweredTitle = title.toLower();
    QString loweredText;
    if (text)
        loweredText = QStringView(*text)
                          .first(Graphemes::endOfFirst(*text, TopicClusterer::textCut))
                          .toString()
                          .toLower();
    Weights weights;
    addWords(loweredTitle, TopicClusterer::titleWeight, weights);
    addWords(loweredText, TopicClusterer::textWeight, weights);

    std::vector<std::pair<std::u16string_view, int>> ranked(weights.begin(), weights.end());
    const auto better = [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : codePointLess(a.first, b.first);
    };
    const size_t kept = std::min<size_t>(ranked.size(), TopicClusterer::keywordsPerItem);
    std::partial_sort(ranked.begin(), ranked.begin() + kept, ranked.end(), better);
    QStringList keywords;
    for (size_t i = 0; i < kept; ++i)
        keywords.append(
            QString::fromUtf16(ranked[i].first.data(), qsizetype(ranked[i].first.size())));
    return keywords;
}

// Fibonacci hashing of a pair of keyword ids into a table of 2^bits slots.
size_t slotOf(quint64 key, int bits) {
    return size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

constexpr quint64 emptyPair = ~quint64(0);

} // namespace

QStringList TopicClusterer::stopWords() {
    QStringList words;
    for (std::u16string_view word : stopWordList)
        words.append(QString::fromUtf16(word.data(), qsizetype(word.size())));
    return words;
}

QSet<QString> TopicClusterer::keywords(const Item& item) {
    const QStringList words = topKeywords(item.title, item.text);
    return QSet<QString>(words.begin(), words.end());
}

int TopicClusterer::idOf(const QString& word) {
    auto it = vocabularyIds.constFind(word);
    if (it != vocabularyIds.constEnd())
        return *it;
    const int id = int(vocabulary.size());
    vocabulary.append(word);
    vocabularyIds.insert(word, id);
    return id;
}

TopicClusterer::KeywordSet TopicClusterer::keywordSetOf(const Item& item) {
    CachedKeywords& cached = cache[item.id];
    if (cached.lastUse == 0 || !SharedText::same(cached.title, item.title) ||
        !SharedText::same(cached.text, item.text)) {
        cached.title = item.title;
        cached.text = item.text;
        cached.set = {};
        for (const QString& word : topKeywords(item.title, item.text))
            cached.set.ids[size_t(cached.set.count++)] = idOf(word);
        std::sort(cached.set.ids.begin(), cached.set.ids.begin() + cached.set.count);
    }
    cached.lastUse = generation;
    return cached.set;
}

int TopicClusterer::find(int index) {
    while (parent[size_t(index)] != index) {
        parent[size_t(index)] = parent[size_t(parent[size_t(index)])];
        index = parent[size_t(index)];
    }
    return index;
}

// Two items share two keywords exactly when some pair of keywords is in both
// keyword sets. So instead of comparing every two items, each item is joined
// with the first item that had each of its (at most 28) pairs: the topics are
// the same, in time linear in the number of items.
void TopicClusterer::linkItemsSharingPairs(const std::vector<KeywordSet>& sets) {
    const size_t count = sets.size();
    parent.resize(count);
    componentSize.assign(count, 1);
    for (size_t i = 0; i < count; ++i)
        parent[i] = int(i);

    size_t pairCount = 0;
    for (const KeywordSet& set : sets)
        pairCount += size_t(set.count * (set.count - 1) / 2);
    int bits = 4;
    while ((size_t(1) << bits) * 7 < pairCount * 10)
        ++bits;
    pairKeys.assign(size_t(1) << bits, emptyPair);
    pairFirstItem.resize(size_t(1) << bits);
    const size_t mask = (size_t(1) << bits) - 1;

    for (size_t item = 0; item < count; ++item) {
        const KeywordSet& set = sets[item];
        for (int a = 0; a < set.count; ++a) {
            for (int b = a + 1; b < set.count; ++b) {
                const quint64 key =
                    (quint64(quint32(set.ids[size_t(a)])) << 32) | quint32(set.ids[size_t(b)]);
                size_t slot = slotOf(key, bits);
                while (pairKeys[slot] != emptyPair && pairKeys[slot] != key)
                    slot = (slot + 1) & mask;
                if (pairKeys[slot] == emptyPair) {
                    pairKeys[slot] = key;
                    pairFirstItem[slot] = int(item);
                    continue;
                }
                int x = find(int(item));
                int y = find(pairFirstItem[slot]);
                if (x == y)
                    continue;
                if (componentSize[size_t(x)] < componentSize[size_t(y)])
                    std::swap(x, y);
                parent[size_t(y)] = x;
                componentSize[size_t(x)] += componentSize[size_t(y)];
            }
        }
    }
}

QString TopicClusterer::labelOf(const QList<qsizetype>& positions,
                                const std::vector<KeywordSet>& sets) {
    keywordCounts.resize(size_t(vocabulary.size()), 0);
    std::vector<int> touched;
    for (qsizetype position : positions) {
        const KeywordSet& set = sets[size_t(position)];
        for (int k = 0; k < set.count; ++k) {
            const int id = set.ids[size_t(k)];
            if (keywordCounts[size_t(id)]++ == 0)
                touched.push_back(id);
        }
    }
    int best = -1;
    int bestCount = minimumLabelCount - 1;
    for (int id : touched) {
        const int count = keywordCounts[size_t(id)];
        if (count > bestCount || (count == bestCount && best >= 0 &&
                                  codePointLess(view(vocabulary[id]), view(vocabulary[best])))) {
            best = id;
            bestCount = count;
        }
        keywordCounts[size_t(id)] = 0;
    }
    if (best < 0)
        return u"Related"_s;
    const QString& word = vocabulary[best];
    const qsizetype first = Graphemes::endOfFirst(word, 1);
    return word.first(first).toUpper() + word.sliced(first);
}

QList<TopicClusterer::Positions> TopicClusterer::clusterPositions(const QList<Item>& items) {
    if (items.size() < minimumClusterSize)
        return {};
    ++generation;
    std::vector<KeywordSet> sets;
    sets.reserve(size_t(items.size()));
    for (const Item& item : items)
        sets.push_back(keywordSetOf(item));
    if (cache.size() > 2 * items.size() + 256)
        cache.removeIf([this](const auto& entry) { return entry.value().lastUse != generation; });

    linkItemsSharingPairs(sets);

    // Topics in the order of their first member, members in the given order.
    QList<Positions> clusters;
    std::vector<int> clusterOfRoot(sets.size(), -1);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const int root = find(int(i));
        if (componentSize[size_t(root)] < minimumClusterSize)
            continue;
        int& cluster = clusterOfRoot[size_t(root)];
        if (cluster < 0) {
            cluster = int(clusters.size());
            clusters.append(Positions{});
            clusters.back().positions.reserve(componentSize[size_t(root)]);
        }
        clusters[cluster].positions.append(i);
    }

    QSet<QString> given;
    for (Positions& cluster : clusters) {
        QString label = labelOf(cluster.positions, sets);
        while (given.contains(label))
            label += u" ·"_s;
        given.insert(label);
        cluster.label = label;
    }
    std::stable_sort(clusters.begin(), clusters.end(), [](const Positions& a, const Positions& b) {
        return a.positions.size() > b.positions.size();
    });
    return clusters;
}

QList<TopicCluster> TopicClusterer::clusters(const QList<Item>& items) {
    QList<TopicCluster> result;
    for (Positions& cluster : clusterPositions(items)) {
        TopicCluster topic{std::move(cluster.label), {}};
        topic.items.reserve(cluster.positions.size());
        for (qsizetype position : cluster.positions)
            topic.items.append(items[position]);
        result.append(std::move(topic));
    }
    return result;
}
