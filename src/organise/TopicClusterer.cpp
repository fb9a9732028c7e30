#include "organise/TopicClusterer.h"

#include "common/Graphemes.h"
#include "common/ParallelFor.h"
#include "organise/SharedText.h"

#include <algorithm>
#include <string_view>

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

constexpr size_t longestStopWord = [] {
    size_t longest = 0;
    for (std::u16string_view word : stopWordList)
        longest = std::max(longest, word.size());
    return longest;
}();

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

quint64 hashStep(quint64 hash, char16_t unit) {
    return (hash ^ unit) * 0x100000001B3ull;
}
constexpr quint64 hashBasis = 0xCBF29CE484222325ull;

quint64 hashOf(std::u16string_view word) {
    quint64 hash = hashBasis;
    for (char16_t unit : word)
        hash = hashStep(hash, unit);
    return hash;
}

// Stop words by the same hash the counter computes while reading a word: a
// small open-addressing table, because this lookup runs once per word read and
// a node-based map's division and pointer chase dominated keyword reading.
class StopWordTable {
public:
    StopWordTable() {
        for (std::u16string_view word : stopWordList) {
            const quint64 hash = hashOf(word);
            size_t slot = slotOf(hash);
            while (!slots[slot].word.empty())
                slot = (slot + 1) & mask;
            slots[slot] = {hash, word};
        }
    }

    bool contains(std::u16string_view word, quint64 hash) const {
        for (size_t slot = slotOf(hash);; slot = (slot + 1) & mask) {
            const Slot& entry = slots[slot];
            if (entry.word.empty())
                return false;
            if (entry.hash == hash && entry.word == word)
                return true;
        }
    }

private:
    static constexpr size_t size = 1024; // over four times the words: short probes
    static constexpr size_t mask = size - 1;
    static size_t slotOf(quint64 hash) { return size_t(hash >> 32) & mask; }

    struct Slot {
        quint64 hash = 0;
        std::u16string_view word;
    };
    std::array<Slot, size> slots{};
};

bool isStopWord(std::u16string_view word, quint64 hash) {
    static const StopWordTable table;
    return table.contains(word, hash);
}

// The weighted words of one item: an open-addressing table that keeps its
// memory between items and clears only the slots it used.
class WordCounter {
public:
    void clear() {
        for (size_t slot : used)
            slots[slot] = {};
        used.clear();
    }

    // word must stay valid until the counter is cleared.
    void add(std::u16string_view word, quint64 hash, qsizetype characters, int weight) {
        if (characters < TopicClusterer::minimumWordLength ||
            (size_t(characters) <= longestStopWord && isStopWord(word, hash)))
            return;
        if ((used.size() + 1) * 2 > slots.size())
            grow();
        size_t slot = size_t(hash) & (slots.size() - 1);
        while (slots[slot].weight != 0 && (slots[slot].hash != hash || slots[slot].word != word))
            slot = (slot + 1) & (slots.size() - 1);
        if (slots[slot].weight == 0) {
            slots[slot].word = word;
            slots[slot].hash = hash;
            used.push_back(slot);
        }
        slots[slot].weight += weight;
    }

    // The count heaviest words; equal weights in code-point order.
    QStringList best(size_t count) const {
        std::vector<const Slot*> ranked;
        ranked.reserve(used.size());
        for (size_t slot : used)
            ranked.push_back(&slots[slot]);
        const size_t kept = std::min(ranked.size(), count);
        std::partial_sort(ranked.begin(), ranked.begin() + kept, ranked.end(),
                          [](const Slot* a, const Slot* b) {
                              return a->weight != b->weight ? a->weight > b->weight
                                                            : codePointLess(a->word, b->word);
                          });
        QStringList words;
        for (size_t i = 0; i < kept; ++i)
            words.append(
                QString::fromUtf16(ranked[i]->word.data(), qsizetype(ranked[i]->word.size())));
        return words;
    }

private:
    struct Slot {
        std::u16string_view word;
        quint64 hash = 0;
        int weight = 0; // 0: free
    };

    void grow() {
        std::vector<Slot> old = std::move(slots);
        slots.assign(std::max<size_t>(1024, old.size() * 2), Slot{});
        used.clear();
        for (const Slot& entry : old) {
            if (entry.weight == 0)
                continue;
            size_t slot = size_t(entry.hash) & (slots.size() - 1);
            while (slots[slot].weight != 0)
                slot = (slot + 1) & (slots.size() - 1);
            slots[slot] = entry;
            used.push_back(slot);
        }
    }

    std::vector<Slot> slots;
    std::vector<size_t> used;
};

// Below U+0300 every unit is a character of its own (CR LF, the only pair,
// is no letter either way) and lower-cases to one unit, except U+0130, whose
// lower case is two.
bool isSimple(QStringView text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x0300 && c.unicode() != 0x0130; });
}

// ASCII letters lower-cased, every other ASCII unit 0: one load per unit on
// the path almost every text takes.
constexpr std::array<char16_t, 128> asciiLetters = [] {
    std::array<char16_t, 128> table{};
    for (char16_t c = u'a'; c <= u'z'; ++c) {
        table[c] = c;
        table[c - 32] = c;
    }
    return table;
}();

// The unit lower-cased when that is a letter, otherwise 0.
char16_t lowerLetterSimple(char16_t unit) {
    if (unit < 0x80)
        return asciiLetters[unit];
    const char16_t lower = char16_t(QChar::toLower(char32_t(unit)));
    return QChar::isLetter(char32_t(lower)) ? lower : char16_t(0);
}

// Adds the words of text: runs of letters of any script, lower-cased, split
// at every other character. Simple text is read unit by unit, lower-casing
// into out (which must have room for text); other text is lower-cased whole
// into keep and read by user-perceived characters, a character being a letter
// when its first code point is.
void addWords(QStringView text, int weight, WordCounter& counter, char16_t*& out,
              QStringList& keep) {
    if (isSimple(text)) {
        const qsizetype size = text.size();
        qsizetype i = 0;
        while (i < size) {
            char16_t unit = lowerLetterSimple(text[i].unicode());
            if (unit == 0) {
                ++i;
                continue;
            }
            char16_t* start = out;
            quint64 hash = hashBasis;
            do {
                *out++ = unit;
                hash = hashStep(hash, unit);
                if (++i == size)
                    break;
                unit = lowerLetterSimple(text[i].unicode());
            } while (unit != 0);
            counter.add({start, size_t(out - start)}, hash, out - start, weight);
        }
        return;
    }
    keep.append(text.toString().toLower());
    const QStringView lowered = keep.back();
    qsizetype start = -1;
    qsizetype end = 0;
    qsizetype characters = 0;
    const auto flush = [&](qsizetype stop) {
        const std::u16string_view word = view(lowered.sliced(start, stop - start));
        counter.add(word, hashOf(word), characters, weight);
        start = -1;
    };
    Graphemes::forEach(lowered, [&](QStringView character) {
        const qsizetype position = character.data() - lowered.data();
        if (QChar::isLetter(firstCodePoint(character))) {
            if (start < 0) {
                start = position;
                characters = 0;
            }
            ++characters;
        } else if (start >= 0) {
            flush(position);
        }
        end = position + character.size();
        return true;
    });
    if (start >= 0)
        flush(end);
}

// The keywords of a title and text, best first.
QStringList topKeywords(const QString& title, const std::optional<QString>& text) {
    const QStringView cutText =
        text ? QStringView(*text).first(Graphemes::endOfFirst(*text, TopicClusterer::textCut))
             : QStringView();
    thread_local WordCounter counter;
    thread_local std::vector<char16_t> buffer;
    buffer.resize(size_t(title.size() + cutText.size()));
    char16_t* out = buffer.data();
    QStringList keep;
    counter.clear();
    addWords(title, TopicClusterer::titleWeight, counter, out, keep);
    addWords(cutText, TopicClusterer::textWeight, counter, out, keep);
    QStringList best = counter.best(TopicClusterer::keywordsPerItem);
    counter.clear();
    return best;
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

std::vector<TopicClusterer::ReadKeywords>
TopicClusterer::readKeywords(const QList<Item>& items, const std::atomic<bool>& stop) {
    std::vector<ReadKeywords> read;
    read.reserve(size_t(items.size()));
    for (const Item& item : items) {
        if (stop)
            break;
        read.push_back({item.id, item.title, item.text, topKeywords(item.title, item.text)});
    }
    return read;
}

void TopicClusterer::adopt(const std::vector<ReadKeywords>& read) {
    for (const ReadKeywords& keywords : read) {
        CachedKeywords& cached = cache[keywords.id];
        cached.title = keywords.title;
        cached.text = keywords.text;
        cached.set = {};
        for (const QString& word : keywords.words)
            cached.set.ids[size_t(cached.set.count++)] = idOf(word);
        std::sort(cached.set.ids.begin(), cached.set.ids.begin() + cached.set.count);
        // Counts as used by the latest clustering, so that it is not
        // forgotten before the next one.
        cached.lastUse = std::max<quint64>(generation, 1);
    }
}

qsizetype TopicClusterer::unreadCount(const QList<Item>& items) const {
    qsizetype unread = 0;
    for (const Item& item : items) {
        const auto cached = cache.constFind(item.id);
        if (cached == cache.constEnd() || cached->lastUse == 0 ||
            !SharedText::same(cached->title, item.title) ||
            !SharedText::same(cached->text, item.text))
            ++unread;
    }
    return unread;
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

// Reading keywords is the whole cost of a first computation (every text read
// up to its cut), and each item's words depend on that item alone, so the
// items not cached yet are read on every core; only the vocabulary and the
// cache, which are shared, are then updated on this thread.
std::vector<TopicClusterer::KeywordSet> TopicClusterer::keywordSetsOf(const QList<Item>& items) {
    std::vector<KeywordSet> sets(size_t(items.size()));
    std::vector<qsizetype> stalePositions;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        CachedKeywords& cached = cache[item.id];
        if (cached.lastUse != 0 && SharedText::same(cached.title, item.title) &&
            SharedText::same(cached.text, item.text)) {
            sets[size_t(i)] = cached.set;
        } else {
            stalePositions.push_back(i);
        }
        cached.lastUse = generation;
    }

    std::vector<QStringList> words(stalePositions.size());
    parallelFor(stalePositions.size(), 512, [&](size_t begin, size_t end) {
        for (size_t k = begin; k < end; ++k) {
            const Item& item = items[stalePositions[k]];
            words[k] = topKeywords(item.title, item.text);
        }
    });

    // Looked up again: the hash may have moved its entries while growing.
    for (size_t k = 0; k < stalePositions.size(); ++k) {
        const Item& item = items[stalePositions[k]];
        CachedKeywords& cached = cache[item.id];
        cached.title = item.title;
        cached.text = item.text;
        cached.set = {};
        for (const QString& word : words[k])
            cached.set.ids[size_t(cached.set.count++)] = idOf(word);
        std::sort(cached.set.ids.begin(), cached.set.ids.begin() + cached.set.count);
        sets[size_t(stalePositions[k])] = cached.set;
    }
    return sets;
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
    const std::vector<KeywordSet> sets = keywordSetsOf(items);
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
