#pragma once

#include <QString>
#include <limits>

// An English sentence embedding: how far apart two texts are in meaning.
class SentenceEmbedding {
public:
    virtual ~SentenceEmbedding() = default;

    // The distance between a and b, from 0 (same meaning) up to 2; noDistance
    // when either text cannot be embedded (for example it holds no known word).
    virtual double distance(const QString& a, const QString& b) const = 0;

    static constexpr double noDistance = std::numeric_limits<double>::max();
};
