#pragma once

#include "organise/EnglishWords.h"
#include "organise/SentenceEmbedding.h"
#include "organise/WordVectorModel.h"

#include <QString>
#include <QStringView>
#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The English sentence embedding shipped with Tovik: a text's vector is the
// weighted mean of its words' vectors with the direction common to all texts
// taken out, measured from the centre of ordinary texts. Two texts are as far
// apart as the model's distance scale says for the cosine distance of their
// vectors, plus the model's unrelated weight times how far the more everyday
// of the two leans along a direction of matters no topic covers (errands,
// weather, family news): a note about such things is near no topic, however
// its words happen to fall.
class EnglishEmbedding final : public SentenceEmbedding {
public:
    explicit EnglishEmbedding(WordVectorModel model);

    // The model shipped with Tovik (installed data folder first, then the
    // source tree's resources); null when its file is missing or damaged,
    // which leaves the categorizer's meaning step unused.
    static std::unique_ptr<SentenceEmbedding> load();
    static std::unique_ptr<EnglishEmbedding> loadFile(const QString& path);

    // The model file's name inside a resource folder.
    static const QString& fileName();

    double distance(const QString& a, const QString& b) const override;

    // The unit vector of text; absent when none of its words is known.
    std::optional<std::vector<float>> embed(QStringView text) const;

    // How far a unit vector leans along the model's unrelated directions: the
    // largest cosine with one of them, and 0 when it leans along none.
    double unrelatedLean(const std::vector<float>& vector) const;

    // The model's indices of the words of text that count, in order (a word
    // may appear more than once).
    std::vector<int> wordsOf(QStringView text) const;

    const WordVectorModel& vectors() const { return model; }

private:
    using Forms = std::array<std::string, EnglishWords::maximumBaseForms>;
    // A word's index in the model, as written or by its base form; notFound or
    // WordVectorModel::ignoredWord otherwise.
    int findWord(std::string_view word, Forms& forms) const;
    static constexpr std::size_t shortestPart = 3;
    // Scales vector to unit length; false when it has none.
    static bool normalise(std::vector<float>& vector);

    struct Embedded {
        std::vector<float> vector;
        double lean = 0;
    };
    using Vector = std::optional<Embedded>;
    const Vector& cachedEmbedding(const QString& text) const;

    WordVectorModel model;

    // The categorizer compares each text with the same twelve descriptions, so
    // the last few texts' vectors are kept; results are the same either way.
    struct CacheEntry {
        QString text;
        Vector vector;
    };
    static constexpr std::size_t cacheSize = 16;
    mutable std::mutex cacheLock;
    mutable std::vector<CacheEntry> cache; // most recently used last
};
