#pragma once

#include <QString>
#include <QStringView>

// User-perceived characters (grapheme clusters). Every place that counts or cuts
// "characters" of user text goes through these, so an emoji with a skin tone or
// a letter with a combining accent is never split or counted twice.
namespace Graphemes {

// Number of grapheme clusters in text.
qsizetype count(QStringView text);

// True when text has at least n grapheme clusters; stops counting at n.
bool hasAtLeast(QStringView text, qsizetype n);

// The first n grapheme clusters of text (all of it when it has fewer).
QString prefix(QStringView text, qsizetype n);

// Calls visit(cluster) for each grapheme cluster in order until it returns false.
template <typename Visit> void forEach(QStringView text, Visit&& visit);

// Index just past the n-th grapheme cluster (text.size() when there are fewer).
qsizetype endOfFirst(QStringView text, qsizetype n);

} // namespace Graphemes

#include <QTextBoundaryFinder>

template <typename Visit> void Graphemes::forEach(QStringView text, Visit&& visit) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = finder.toNextBoundary();
        if (end < 0)
            end = text.size();
        if (!visit(text.sliced(start, end - start)))
            return;
        start = end;
    }
}
