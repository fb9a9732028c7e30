#include "organise/EnglishEmbedding.h"

#include "organise/Categorizer.h"
#include "organise/EnglishWords.h"
#include "organise/WordVectorModel.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

std::vector<std::string> wordsOf(const QString& text) {
    std::vector<std::string> words;
    EnglishWords::forEachWord(text, [&](std::string_view w) { words.emplace_back(w); });
    return words;
}

std::vector<std::string> baseFormsOf(std::string_view word) {
    std::array<std::string, EnglishWords::maximumBaseForms> forms;
    const std::size_t count = EnglishWords::baseForms(word, forms);
    return {forms.begin(), forms.begin() + count};
}

// A four-dimensional model whose axes are topics: food, money, travel, code.
WordVectorModel::Contents tinyContents() {
    WordVectorModel::Contents contents;
    contents.dimensions = 4;
    auto word = [&](const char* text, float weight, std::vector<float> v) {
        contents.words.push_back({text, weight, std::move(v)});
    };
    word("bread", 1.0f, {1, 0, 0, 0});
    word("bake", 1.0f, {0.9f, 0.1f, 0, 0});
    word("habit", 1.0f, {0, 0, 0, 1});
    word("money", 1.0f, {0, 1, 0, 0});
    word("bank", 0.5f, {0.1f, 0.9f, 0, 0});
    word("fund", 1.0f, {0, 1, 0, 0});
    word("raise", 1.0f, {0, 0.8f, 0.2f, 0});
    word("flight", 1.0f, {0, 0, 1, 0});
    word("go", 1.0f, {0, 0, 1, 0});
    word("source", 1.0f, {0, 0, 1, 0});
    word("code", 1.0f, {0, 0, 0, 1});
    word("source code", 1.0f, {0, 0, 0, 1});
    word("anti", 1.0f, {-1, 0, 0, 0});
    contents.aliases.push_back({"went", 8});
    contents.aliases.push_back({"the", WordVectorModel::ignored});
    contents.aliases.push_back({"us", WordVectorModel::ignored});
    return contents;
}

std::unique_ptr<EnglishEmbedding> tinyEmbedding() {
    std::optional<WordVectorModel> model =
        WordVectorModel::decode(WordVectorModel::encode(tinyContents()));
    if (!model)
        return nullptr;
    return std::make_unique<EnglishEmbedding>(std::move(*model));
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

} // namespace

TEST(EnglishWords, SplitsTextIntoLowerCaseAsciiWords) {
    struct Case {
        QString text;
        std::vector<std::string> words;
    } cases[] = {
        {u"Hello, World!"_s, {"hello", "world"}},
        {u"user's well-being"_s, {"user", "s", "well", "being"}},
        {u"version2release 3.14"_s, {"version", "release"}},
        {u"café menu"_s, {"menu"}},       // a word with other letters is no English word
        {u"cafe\u0301 menu"_s, {"menu"}}, // nor is one with a combining accent
        {u"\u041f\u0440\u0438\u0432\u0435\u0442"_s, {}},
        {QString(41, u'a') + u" ok"_s, {"ok"}}, // longer than any English word
        {QString(40, u'b'), {std::string(40, 'b')}},
        {u""_s, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wordsOf(c.text), c.words) << c.text.toStdString();
}

TEST(EnglishWords, OffersRegularBaseFormsMostLikelyFirst) {
    struct Case {
        const char* word;
        const char* expectedFirst; // the first candidate
        const char* alsoOffered;   // another candidate that must be among them
    } cases[] = {
        {"habits", "habit", "habit"},       {"studies", "study", "study"},
        {"boxes", "boxe", "box"},           {"coding", "code", "cod"},
        {"running", "runne", "run"},        {"stopped", "stoppe", "stop"},
        {"happier", "happy", "happy"},      {"lying", "lie", "lie"},
        {"meetings", "meeting", "meeting"}, {"entrepreneurship", "entrepreneur", "entrepreneur"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> forms = baseFormsOf(c.word);
        ASSERT_FALSE(forms.empty()) << c.word;
        EXPECT_EQ(forms.front(), c.expectedFirst) << c.word;
        EXPECT_NE(std::find(forms.begin(), forms.end(), c.alsoOffered), forms.end()) << c.word;
    }
    EXPECT_TRUE(baseFormsOf("is").empty()); // forms shorter than two letters are not words
    EXPECT_TRUE(baseFormsOf("cat").empty());
}

TEST(WordVectorModel, RoundTripsWordsAliasesAndQuantisedVectors) {
    const WordVectorModel::Contents contents = tinyContents();
    const std::optional<WordVectorModel> model =
        WordVectorModel::decode(WordVectorModel::encode(contents));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->dimensions(), 4);
    EXPECT_EQ(model->wordCount(), int(contents.words.size()));
    for (int i = 0; i < int(contents.words.size()); ++i) {
        EXPECT_EQ(model->find(contents.words[std::size_t(i)].text), i);
        EXPECT_EQ(model->text(i), contents.words[std::size_t(i)].text);
        EXPECT_FLOAT_EQ(model->weight(i), contents.words[std::size_t(i)].weight);
        std::array<float, 4> sum{};
        model->addTo(i, 1.0f, sum.data());
        for (int d = 0; d < 4; ++d)
            EXPECT_NEAR(sum[std::size_t(d)], contents.words[std::size_t(i)].vector[std::size_t(d)],
                        1.0 / 127);
    }
    EXPECT_EQ(model->find("went"), 8);
    EXPECT_EQ(model->find("the"), WordVectorModel::ignoredWord);
    EXPECT_EQ(model->find("zebra"), WordVectorModel::notFound);
    EXPECT_EQ(model->find(""), WordVectorModel::notFound);
}

TEST(WordVectorModel, RejectsDamagedFiles) {
    const QByteArray good = WordVectorModel::encode(tinyContents());
    ASSERT_TRUE(WordVectorModel::decode(good));

    auto flipped = [&](qsizetype at) {
        QByteArray bytes = good;
        bytes[at] = char(bytes[at] ^ 0x5a);
        return bytes;
    };
    auto withContents = [](auto change) {
        WordVectorModel::Contents contents = tinyContents();
        change(contents);
        return WordVectorModel::encode(contents);
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"magic only", good.first(8)},
        {"header only", good.first(44)},
        {"truncated by one byte", good.chopped(1)},
        {"truncated in half", good.first(good.size() / 2)},
        {"one byte too many", good + '\0'},
        {"wrong magic", QByteArray("NOTMODEL") + good.mid(8)},
        {"wrong dimensions", flipped(8)},
        {"wrong word count", flipped(12)},
        {"wrong slot count", flipped(20)},
        {"damaged body", flipped(good.size() - 70)},
        {"damaged text", flipped(good.size() - 1)},
        {"not a power of two slots",
         [&] {
             QByteArray bytes = good;
             bytes[20] = char(bytes[20] + 1);
             return bytes;
         }()},
        {"NaN weight", withContents([&](auto& c) { c.words[1].weight = nan; })},
        {"negative weight", withContents([&](auto& c) { c.words[1].weight = -1; })},
        {"infinite vector", withContents([&](auto& c) { c.words[2].vector[0] = infinity; })},
        {"NaN common direction", withContents([&](auto& c) {
             c.commonDirections = {{0, 0, 0, 1}, {0, 0, nan, 0}};
         })},
        {"more common directions than dimensions", withContents([](auto& c) {
             c.commonDirections.assign(5, {0, 0, 0, 0});
         })},
        {"alias past the words", withContents([](auto& c) { c.aliases[0].target = 99; })},
        {"no dimensions", withContents([](auto& c) {
             c.dimensions = 0;
             for (auto& w : c.words)
                 w.vector.clear();
         })},
        {"empty word", withContents([](auto& c) { c.words[0].text.clear(); })},
        {"NaN centre", withContents([&](auto& c) {
             c.centre = {0.1f, nan, 0, 0};
         })},
        {"knots falling", withContents([](auto& c) {
             c.knots = {{0.5f, 1.0f}, {0.4f, 1.5f}};
         })},
        {"knot whose distance falls", withContents([](auto& c) {
             c.knots = {{0.5f, 1.0f}, {0.7f, 0.9f}};
         })},
        {"knot at zero", withContents([](auto& c) {
             c.knots = {{0.0f, 0.5f}};
         })},
        {"knot at two", withContents([](auto& c) {
             c.knots = {{2.0f, 1.5f}};
         })},
        {"knot past two", withContents([](auto& c) {
             c.knots = {{0.5f, 2.5f}};
         })},
        {"NaN knot", withContents([&](auto& c) {
             c.knots = {{nan, 1.08f}};
         })},
        {"too many knots", withContents([](auto& c) {
             for (int k = 1; k <= 65; ++k)
                 c.knots.push_back({k / 40.0f, k / 40.0f});
         })},
        {"wrong knot count",
         [&] {
             QByteArray bytes = withContents([](auto& c) { c.knots = {{0.5f, 1.08f}}; });
             bytes[32] = char(2);
             return bytes;
         }()},
        {"NaN unrelated direction", withContents([&](auto& c) {
             c.unrelatedDirections = {{0, 0, nan, 0}};
             c.unrelatedWeight = 1;
         })},
        {"negative unrelated weight", withContents([](auto& c) {
             c.unrelatedDirections = {{0, 0, 1, 0}};
             c.unrelatedWeight = -0.5f;
         })},
        {"NaN unrelated weight", withContents([&](auto& c) {
             c.unrelatedDirections = {{0, 0, 1, 0}};
             c.unrelatedWeight = nan;
         })},
        {"unrelated weight past two", withContents([](auto& c) {
             c.unrelatedDirections = {{0, 0, 1, 0}};
             c.unrelatedWeight = 2.5f;
         })},
        {"too many unrelated directions", withContents([](auto& c) {
             c.unrelatedDirections.assign(65, {0, 0, 1, 0});
             c.unrelatedWeight = 1;
         })},
        {"wrong unrelated count",
         [&] {
             QByteArray bytes = withContents([](auto& c) {
                 c.unrelatedDirections = {{0, 0, 1, 0}};
                 c.unrelatedWeight = 1;
             });
             bytes[40] = char(2);
             return bytes;
         }()},
        {"centre count above one",
         [&] {
             QByteArray bytes = good;
             bytes[36] = char(2);
             return bytes;
         }()},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(WordVectorModel::decode(c.bytes)) << c.what;
}

TEST(EnglishEmbedding, MissingOrDamagedFilesLeaveTheMeaningStepUnavailable) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray good = WordVectorModel::encode(tinyContents());
    EXPECT_TRUE(EnglishEmbedding::loadFile(writeFile(dir, u"good.bin"_s, good)));

    const QString paths[] = {
        dir.filePath(u"absent.bin"_s),
        dir.path(), // a folder, not a file
        writeFile(dir, u"empty.bin"_s, QByteArray()),
        writeFile(dir, u"truncated.bin"_s, good.first(good.size() - 3)),
        writeFile(dir, u"text.bin"_s, "this is not a model file at all, just words"),
    };
    for (const QString& path : paths) {
        EXPECT_FALSE(EnglishEmbedding::loadFile(path)) << path.toStdString();
        const Categorizer categorizer(
            [&] { return std::unique_ptr<SentenceEmbedding>(EnglishEmbedding::loadFile(path)); });
        const QString note = u"Baking bread with fresh flour every single morning this week"_s;
        EXPECT_EQ(categorizer.meaningCategory(note, std::nullopt), std::nullopt)
            << path.toStdString();
        EXPECT_EQ(categorizer.categorize(note, std::nullopt, std::nullopt), std::nullopt)
            << path.toStdString();
    }
}

// Models of the first layout, without a centre or a distance scale, are
// still read and measure as they always did.
TEST(WordVectorModel, ReadsTheFirstLayout) {
    QByteArray bytes = WordVectorModel::encode(tinyContents());
    bytes[7] = '1';
    bytes.remove(36, 4); // the first layout has one reserved field for the two counts
    const std::optional<WordVectorModel> model = WordVectorModel::decode(bytes);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->find("bread"), 0);
    EXPECT_EQ(model->centre(), nullptr);
    EXPECT_TRUE(model->knots().empty());
    const EnglishEmbedding embedding(std::move(*model));
    EXPECT_NEAR(embedding.distance(u"bread"_s, u"money"_s), 1.0, 0.02);

    // The new layout under the old magic, and the old under the new, are neither.
    QByteArray relabelled = WordVectorModel::encode(tinyContents());
    relabelled[7] = '1';
    EXPECT_FALSE(WordVectorModel::decode(relabelled));
    bytes[7] = '2';
    EXPECT_FALSE(WordVectorModel::decode(bytes));
}

// Unrelated directions need the third layout; a model without them is still
// written in the second, which earlier builds read.
TEST(WordVectorModel, RoundTripsUnrelatedDirectionsInTheThirdLayout) {
    WordVectorModel::Contents contents = tinyContents();
    const QByteArray without = WordVectorModel::encode(contents);
    EXPECT_EQ(without.first(8), QByteArray("TOVIKWV2"));
    const std::optional<WordVectorModel> plain = WordVectorModel::decode(without);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->unrelatedCount(), 0);
    EXPECT_EQ(plain->unrelatedWeight(), 0.0f);

    contents.unrelatedDirections = {{0, 0, 1, 0}, {0, 0.6f, 0, 0.8f}};
    contents.unrelatedWeight = 1.5f;
    contents.knots = {{0.6f, 1.08f}};
    const QByteArray bytes = WordVectorModel::encode(contents);
    EXPECT_EQ(bytes.first(8), QByteArray("TOVIKWV3"));
    const std::optional<WordVectorModel> model = WordVectorModel::decode(bytes);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->unrelatedCount(), 2);
    EXPECT_EQ(model->unrelatedWeight(), 1.5f);
    EXPECT_EQ(model->unrelatedDirection(1)[1], 0.6f);
    EXPECT_EQ(model->unrelatedDirection(1)[3], 0.8f);
    EXPECT_EQ(model->knots(), contents.knots);
    EXPECT_EQ(model->find("flight"), 7);
    // What it holds encodes to the same file again.
    EXPECT_EQ(WordVectorModel::encode(model->contents()), bytes);

    // The third layout under the second's magic is not read as the second.
    QByteArray relabelled = bytes;
    relabelled[7] = '2';
    EXPECT_FALSE(WordVectorModel::decode(relabelled));
}

TEST(WordVectorModel, DistanceScaleRisesThroughItsKnotsFromZeroToTwo) {
    WordVectorModel::Contents contents = tinyContents();
    contents.knots = {{0.5f, 1.08f}, {1.0f, 1.5f}};
    const std::optional<WordVectorModel> model =
        WordVectorModel::decode(WordVectorModel::encode(contents));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->knots(), contents.knots);
    const struct {
        double cosine;
        double distance;
    } points[] = {
        {0.0, 0.0},  {0.25, 0.54}, {0.5, 1.08}, {0.75, 1.29}, {1.0, 1.5},
        {1.5, 1.75}, {2.0, 2.0},   {-0.1, 0.0}, {2.5, 2.0},
    };
    for (const auto& p : points)
        EXPECT_NEAR(model->scaledDistance(p.cosine), p.distance, 1e-6) << p.cosine;
    double previous = -1;
    for (int i = 0; i <= 200; ++i) {
        const double d = model->scaledDistance(i / 100.0);
        EXPECT_GT(d, previous) << i;
        previous = d;
    }
}

// A scaled model keeps every text's closest topic and moves only the point
// at which a text is too far from all of them.
TEST(EnglishEmbedding, TheDistanceScaleMovesTheCutOffNotTheClosestTopic) {
    WordVectorModel::Contents contents = tinyContents();
    const auto plain = [&] {
        return std::unique_ptr<SentenceEmbedding>(
            new EnglishEmbedding(*WordVectorModel::decode(WordVectorModel::encode(contents))));
    };
    const QString text = u"bread bread bread money flight code and some other words"_s;
    // About 0.6 from its closest description (Code) by the plain cosine.
    const Categorizer unscaled(plain);
    const std::optional<QString> topic = unscaled.meaningCategory(text, std::nullopt);
    ASSERT_EQ(topic, u"Code"_s);

    contents.knots = {{0.3f, float(Categorizer::meaningThreshold)}};
    const Categorizer strict(plain);
    EXPECT_EQ(strict.meaningCategory(text, std::nullopt), std::nullopt);
    contents.knots = {{1.9f, float(Categorizer::meaningThreshold)}};
    const Categorizer lenient(plain);
    EXPECT_EQ(lenient.meaningCategory(text, std::nullopt), topic);
}

// A note leaning along an unrelated direction (here the travel axis stands
// for everyday matters) is moved away from every topic by the same amount,
// the weight times its lean; one that leans away from it is not moved.
TEST(EnglishEmbedding, UnrelatedLeanMovesANoteAwayFromEveryTopicAlike) {
    WordVectorModel::Contents contents = tinyContents();
    const auto plain =
        EnglishEmbedding(*WordVectorModel::decode(WordVectorModel::encode(contents)));
    contents.unrelatedDirections = {{0, 0, 1, 0}};
    contents.unrelatedWeight = 0.5f;
    const auto leaning =
        EnglishEmbedding(*WordVectorModel::decode(WordVectorModel::encode(contents)));

    const QString note = u"flight bread"_s; // leans 0.71 along travel
    EXPECT_NEAR(leaning.unrelatedLean(*leaning.embed(note)), std::sqrt(0.5), 0.01);
    for (const QString& topic : {u"bread"_s, u"money"_s, u"code"_s}) {
        const double extra = leaning.distance(note, topic) - plain.distance(note, topic);
        EXPECT_NEAR(extra, 0.5 * std::sqrt(0.5), 0.01) << topic.toStdString();
        // Whichever text is the note.
        EXPECT_DOUBLE_EQ(leaning.distance(topic, note), leaning.distance(note, topic));
    }
    // Texts along no unrelated direction, or leaning away from it, stay put.
    EXPECT_NEAR(leaning.distance(u"bread"_s, u"money"_s), 1.0, 0.02);
    EXPECT_EQ(leaning.unrelatedLean(*leaning.embed(u"bread money"_s)), 0.0);
    EXPECT_NEAR(leaning.distance(u"bread"_s, u"bread money"_s),
                plain.distance(u"bread"_s, u"bread money"_s), 1e-9);
    // Past two it is as far as texts can be, and still a distance.
    contents.unrelatedWeight = 2;
    const auto far = EnglishEmbedding(*WordVectorModel::decode(WordVectorModel::encode(contents)));
    EXPECT_EQ(far.distance(u"flight"_s, u"bread"_s), 2.0);
}

// The categorizer keeps the leaning note's closest topic until the lean
// carries it past the cut-off.
TEST(EnglishEmbedding, UnrelatedLeanLeavesTheClosestTopicAndMovesOnlyTheCutOff) {
    WordVectorModel::Contents contents = tinyContents();
    // Away from bread, which none of the topic descriptions the tiny model
    // can read (money, flights, source code, fundraising, habits) leans along.
    const QString note = u"code code code anti anti money and a few other words"_s;
    auto categorizer = [&](float weight) {
        contents.unrelatedDirections = {{-1, 0, 0, 0}};
        contents.unrelatedWeight = weight;
        return std::make_unique<Categorizer>([contents] {
            return std::unique_ptr<SentenceEmbedding>(
                new EnglishEmbedding(*WordVectorModel::decode(WordVectorModel::encode(contents))));
        });
    };
    const std::optional<QString> topic = categorizer(0)->meaningCategory(note, std::nullopt);
    ASSERT_TRUE(topic); // Mindset: habits share the code axis here
    EXPECT_EQ(categorizer(0.1f)->meaningCategory(note, std::nullopt), topic);
    EXPECT_EQ(categorizer(2)->meaningCategory(note, std::nullopt), std::nullopt);
}

TEST(EnglishEmbedding, MeasuresTextsFromTheCentreOfOrdinaryTexts) {
    WordVectorModel::Contents contents = tinyContents();
    contents.centre = {0.6f, 0, 0, 0}; // ordinary texts lean towards bread
    std::optional<WordVectorModel> model =
        WordVectorModel::decode(WordVectorModel::encode(contents));
    ASSERT_TRUE(model);
    const EnglishEmbedding centred(std::move(*model));
    // Unrelated texts that both lean the ordinary way point apart once measured
    // from the centre, and a text's own topic stays where it was.
    EXPECT_NEAR(centred.distance(u"bread"_s, u"money"_s), 1.0 + 0.6 / std::sqrt(1.36), 0.02);
    EXPECT_NEAR(centred.distance(u"money"_s, u"fund"_s), 0.0, 0.02);
    EXPECT_NEAR(centred.distance(u"bread"_s, u"bake bread"_s), 0.0, 0.05);

    // A text exactly at the centre points nowhere and has no distance.
    contents.centre = {1, 0, 0, 0};
    model = WordVectorModel::decode(WordVectorModel::encode(contents));
    ASSERT_TRUE(model);
    const EnglishEmbedding atCentre(std::move(*model));
    EXPECT_EQ(atCentre.distance(u"bread"_s, u"money"_s), SentenceEmbedding::noDistance);
}

TEST(EnglishEmbedding, DistancesFollowTheWordsOfEachText) {
    const auto embedding = tinyEmbedding();
    ASSERT_TRUE(embedding);
    struct Case {
        QString a;
        QString b;
        double distance;
    } cases[] = {
        {u"bread"_s, u"bread"_s, 0.0},
        {u"Bread!"_s, u"the bread"_s, 0.0},             // case, punctuation and function words
        {u"bread"_s, u"money"_s, 1.0},                  // unrelated topics are orthogonal
        {u"bread"_s, u"anti"_s, 2.0},                   // opposite directions
        {u"habits"_s, u"habit"_s, 0.0},                 // plural
        {u"baking"_s, u"bake"_s, 0.0},                  // -ing restores the silent e
        {u"went"_s, u"flight"_s, 0.0},                  // irregular form from the model's aliases
        {u"fundraising"_s, u"fund raise"_s, 0.0},       // two known words written together
        {u"source code"_s, u"code code source"_s, 0.0}, // the phrase counts beside its words
        {u"bread money"_s, u"money bread"_s, 0.0},      // order does not matter
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(embedding->distance(c.a, c.b), c.distance, 0.02)
            << c.a.toStdString() << " / " << c.b.toStdString();
        EXPECT_NEAR(embedding->distance(c.b, c.a), c.distance, 0.02)
            << c.b.toStdString() << " / " << c.a.toStdString();
    }
    // A word's weight decides how much it pulls: bank (0.5) moves less than money.
    EXPECT_LT(embedding->distance(u"bread bank"_s, u"bread"_s),
              embedding->distance(u"bread money"_s, u"bread"_s));
}

TEST(EnglishEmbedding, TextsWithoutKnownWordsHaveNoDistance) {
    const auto embedding = tinyEmbedding();
    ASSERT_TRUE(embedding);
    const QString unknown[] = {u""_s,           u"   "_s,
                               u"the us the"_s, u"zebra quokka"_s,
                               u"12345 !!"_s,   u"\u65e5\u672c\u8a9e"_s};
    for (const QString& text : unknown) {
        EXPECT_EQ(embedding->distance(text, u"bread"_s), SentenceEmbedding::noDistance)
            << text.toStdString();
        EXPECT_EQ(embedding->distance(u"bread"_s, text), SentenceEmbedding::noDistance)
            << text.toStdString();
    }
}

TEST(EnglishEmbedding, RemovesTheCommonDirections) {
    WordVectorModel::Contents contents = tinyContents();
    // The habit and travel axes are shared by every text.
    contents.commonDirections = {{0, 0, 0, 1}, {0, 0, 1, 0}};
    std::optional<WordVectorModel> model =
        WordVectorModel::decode(WordVectorModel::encode(contents));
    ASSERT_TRUE(model);
    const EnglishEmbedding embedding(std::move(*model));
    EXPECT_NEAR(embedding.distance(u"bread code flight"_s, u"bread"_s), 0.0, 1e-6);
    EXPECT_NEAR(embedding.distance(u"money flight"_s, u"bank"_s), 0.0, 0.02);
    EXPECT_EQ(embedding.distance(u"code flight"_s, u"bread"_s), SentenceEmbedding::noDistance);
}

TEST(EnglishEmbedding, RemembersRecentTextsWithoutChangingAnswers) {
    const auto embedding = tinyEmbedding();
    ASSERT_TRUE(embedding);
    // More texts than it keeps, compared twice in different orders.
    QStringList texts;
    for (int i = 0; i < 40; ++i)
        texts << (i % 2 ? u"bread money %1"_s : u"flight bank code %1"_s).arg(i);
    std::vector<double> first;
    for (const QString& text : texts)
        first.push_back(embedding->distance(text, u"bread"_s));
    for (int i = int(texts.size()) - 1; i >= 0; --i)
        EXPECT_EQ(embedding->distance(texts[i], u"bread"_s), first[std::size_t(i)])
            << texts[i].toStdString();
}
