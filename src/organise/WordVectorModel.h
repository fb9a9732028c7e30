#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A compact table of English word vectors: for each word a weight (how much it
// says about a text's topic) and a direction quantised to 8 bits with its own
// scale, plus irregular forms and function words, the direction common to
// all texts, the centre of ordinary texts, directions of everyday matters that
// none of the categorizer's topics covers, and the scale that turns the cosine
// distance into the distance callers compare. The file is made by
// tools/TrainEmbedding and read whole.
//
// File layout, all little-endian:
//   header: magic "TOVIKWV3", u32 dimensions, words, aliases, slots, textBytes,
//           commonCount, knotCount, centreCount (0 or 1), unrelatedCount,
//           f32 unrelatedWeight, u64 FNV-1a checksum of what follows
//   f32 commonDirections[commonCount][dimensions]
//   f32 centre[centreCount][dimensions]
//   f32 unrelated[unrelatedCount][dimensions]
//   knots[knotCount]: f32 cosine distance, f32 distance it stands for
//   words[words]:     u32 textOffset, u32 textLength, f32 weight, f32 scale
//   aliases[aliases]: u32 textOffset, u32 textLength, u32 target (word or ignored)
//   u32 slots[slots]: open-addressing table of entry index + 1 (0 = empty),
//                     words first, then aliases, keyed by FNV-1a of the text
//   i8 vectors[words * dimensions]
//   char text[textBytes]
// Files of the second layout ("TOVIKWV2": no unrelatedCount or unrelatedWeight,
// and no unrelated directions) are still read, and written when a model has no
// unrelated directions. Files of the first layout ("TOVIKWV1": a reserved u32
// in place of knotCount and centreCount, neither centre nor knots) are still
// read, with no centre and the cosine distance as it is.
class WordVectorModel {
public:
    static constexpr std::uint32_t ignored = 0xffffffffu; // alias target of a function word
    static constexpr int notFound = -1;
    static constexpr int ignoredWord = -2;

    struct Word {
        std::string text;
        float weight = 0;
        std::vector<float> vector;
    };
    struct Alias {
        std::string text;
        std::uint32_t target = ignored;
    };
    // A point of the distance scale: texts at cosine distance `cosine` are
    // said to be `distance` apart. Between knots, and from (0, 0) to the first
    // and from the last to (2, 2), the scale is linear.
    struct Knot {
        float cosine = 0;
        float distance = 0;
        bool operator==(const Knot&) const = default;
    };
    struct Contents {
        int dimensions = 0;
        std::vector<std::vector<float>> commonDirections; // orthonormal, each of dimensions
        std::vector<float> centre; // empty, or dimensions: taken from every text's unit vector
        std::vector<Knot> knots;   // both coordinates strictly increasing inside (0, 2)
        // Each of dimensions; a text leaning along one of them is about
        // something none of the topics covers.
        std::vector<std::vector<float>> unrelatedDirections;
        float unrelatedWeight = 0; // 0 to 2: how far such a lean moves a text away
        std::vector<Word> words;
        std::vector<Alias> aliases;
    };

    // The file's bytes for these contents; vectors are quantised here.
    static QByteArray encode(const Contents& contents);

    // The model in data, or nothing when data is not a whole, consistent model
    // file (wrong magic, sizes that do not add up, a bad checksum, values that
    // are not finite or point outside the file).
    static std::optional<WordVectorModel> decode(const QByteArray& data);

    // What the model holds, with its vectors as quantised; encoding it gives
    // the same file again.
    Contents contents() const;

    // The index of word, ignoredWord for a function word, notFound otherwise.
    // An alias answers for the word it names.
    int find(std::string_view word) const;

    int dimensions() const { return dimensionCount; }
    int wordCount() const { return int(weights.size()); }
    float weight(int index) const { return weights[index]; }
    std::string_view text(int index) const;
    int commonCount() const { return int(common.size()) / dimensionCount; }
    // The i-th common direction: dimensions() floats.
    const float* commonDirection(int i) const { return common.data() + i * dimensionCount; }

    // The centre of ordinary texts (dimensions() floats), or null.
    const float* centre() const { return centreVector.empty() ? nullptr : centreVector.data(); }
    const std::vector<Knot>& knots() const { return scaleKnots; }
    int unrelatedCount() const { return int(unrelated.size()) / dimensionCount; }
    // The i-th unrelated direction: dimensions() floats.
    const float* unrelatedDirection(int i) const { return unrelated.data() + i * dimensionCount; }
    float unrelatedWeight() const { return unrelatedFactor; }
    // The distance that a cosine distance (0 to 2) stands for, also 0 to 2;
    // strictly increasing, so the closer of two texts stays the closer.
    double scaledDistance(double cosineDistance) const;

    // sum += factor * vector(index)
    void addTo(int index, float factor, float* sum) const;

private:
    WordVectorModel() = default;

    int dimensionCount = 0;
    std::vector<float> common; // commonCount directions, one after the other
    std::vector<float> centreVector;
    std::vector<float> unrelated; // unrelatedCount directions, one after the other
    float unrelatedFactor = 0;
    std::vector<Knot> scaleKnots;
    std::vector<float> weights;
    std::vector<float> scales;
    std::vector<std::uint32_t> entryTargets; // words first, then aliases: word index or ignored
    std::vector<std::uint32_t> entryOffsets;
    std::vector<std::uint32_t> entryLengths;
    std::vector<std::uint32_t> slots;
    std::vector<std::int8_t> vectors;
    std::string texts;
};
