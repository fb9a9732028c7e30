#pragma once

#include <QByteArray>
#include <QStringView>
#include <vector>

// A string kept in a compact byte form for fast substring tests. Each UTF-16
// unit becomes one to three bytes (as in UTF-8, with each half of a surrogate
// pair encoded on its own, so even unpaired halves round-trip). The encoding
// is prefix-free and a unit's first byte never looks like a continuation, so
// one string contains another exactly when their byte forms do.
//
// Long texts also keep a summary of the three-byte sequences they hold (a
// Bloom filter), so most texts that cannot contain a word are passed over
// without being read.
class SearchText {
public:
    SearchText() = default;
    explicit SearchText(QStringView text);

    // True when needle occurs in this text. An empty needle occurs everywhere.
    bool contains(const SearchText& needle) const;

    bool isEmpty() const { return bytes.isEmpty(); }

    bool operator==(const SearchText& other) const { return bytes == other.bytes; }

private:
    bool mayContain(const SearchText& needle) const;

    QByteArray bytes;
    // Set bits of the three-byte sequences, for texts long enough to gain.
    std::vector<quint64> summary;
    int summaryShift = 0; // a hash's top bits pick its bit
    // For a needle: the hashes of its three-byte sequences.
    std::vector<quint32> sequenceHashes;
};
