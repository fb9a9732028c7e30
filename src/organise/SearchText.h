#pragma once

#include <QByteArray>
#include <QStringView>

// A string kept in a compact byte form for fast substring tests. Each UTF-16
// unit becomes one to three bytes (as in UTF-8, with each half of a surrogate
// pair encoded on its own, so even unpaired halves round-trip). The encoding
// is prefix-free and a unit's first byte never looks like a continuation, so
// one string contains another exactly when their byte forms do.
class SearchText {
public:
    SearchText() = default;
    explicit SearchText(QStringView text);

    // True when needle occurs in this text. An empty needle occurs everywhere.
    bool contains(const SearchText& needle) const;

    bool isEmpty() const { return bytes.isEmpty(); }
    qsizetype byteSize() const { return bytes.size(); }

    bool operator==(const SearchText&) const = default;

private:
    QByteArray bytes;
};
