#include "common/Graphemes.h"

namespace Graphemes {

qsizetype endOfFirst(QStringView text, qsizetype n) {
    if (n <= 0)
        return 0;
    // A grapheme cluster holds at least one UTF-16 unit, so a text no longer than
    // n units has at most n clusters: no need to ask the boundary finder.
    if (text.size() <= n)
        return text.size();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype end = 0;
    for (qsizetype i = 0; i < n; ++i) {
        end = finder.toNextBoundary();
        if (end < 0)
            return text.size();
    }
    return end;
}

qsizetype count(QStringView text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype clusters = 0;
    while (finder.toNextBoundary() > 0)
        ++clusters;
    return clusters;
}

bool hasAtLeast(QStringView text, qsizetype n) {
    if (n <= 0)
        return true;
    if (text.size() < n)
        return false;
    return endOfFirst(text, n - 1) < text.size();
}

QString prefix(QStringView text, qsizetype n) {
    return text.first(endOfFirst(text, n)).toString();
}

} // namespace Graphemes
