#include "common/Graphemes.h"

namespace Graphemes {

namespace {

// Below U+0300 no character extends, prepends to or joins another, so each is
// a cluster of its own, except that CR LF is one. This covers most text people
// copy, and lets the boundary finder (which analyses every unit of the text it
// is given) look only at the part of a long text that matters.
constexpr char16_t firstJoiningUnit = 0x0300;

bool isSimple(QChar c) {
    return c.unicode() < firstJoiningUnit;
}

// Walks clusters from start, stopping after limit clusters or at the end.
// Returns the index reached and adds the clusters passed to counted.
qsizetype advance(QStringView text, qsizetype start, qsizetype limit, qsizetype& counted) {
    qsizetype i = start;
    const qsizetype size = text.size();
    while (counted < limit && i < size) {
        // Fastest path: a run of simple units other than CR, each a cluster of
        // its own, except the last when a joining unit follows it.
        qsizetype end = i + std::min(limit - counted, size - i);
        qsizetype j = i;
        while (j < end && isSimple(text[j]) && text[j] != u'\r')
            ++j;
        if (j < size && j > i && !isSimple(text[j]))
            --j;
        counted += j - i;
        i = j;
        if (counted == limit || i == size)
            break;
        // Fast path: a simple unit followed by another simple unit (or the end).
        if (isSimple(text[i]) && (i + 1 == size || isSimple(text[i + 1]))) {
            i += (text[i] == u'\r' && i + 1 < size && text[i + 1] == u'\n') ? 2 : 1;
            ++counted;
            continue;
        }
        // Slow path: ask the boundary finder about a window that starts at a
        // cluster boundary. Boundaries before the window's end are exact; the
        // window's end itself may cut a cluster unless it is the text's end.
        qsizetype window = std::max<qsizetype>(64, (limit - counted) * 4);
        while (true) {
            const qsizetype length = std::min(window, size - i);
            const bool reachesEnd = i + length == size;
            QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data() + i, length);
            qsizetype last = 0;
            qsizetype found = 0;
            while (counted + found < limit) {
                const qsizetype next = finder.toNextBoundary();
                if (next < 0 || (next == length && !reachesEnd))
                    break;
                last = next;
                ++found;
                if (next == length)
                    break;
            }
            if (found > 0 || reachesEnd) {
                counted += found;
                i += last;
                break;
            }
            window *= 2; // one cluster longer than the window: look further
        }
        if (i == size)
            break;
    }
    return i;
}

} // namespace

qsizetype endOfFirst(QStringView text, qsizetype n) {
    if (n <= 0)
        return 0;
    // A cluster holds at least one UTF-16 unit.
    if (text.size() <= n)
        return text.size();
    qsizetype counted = 0;
    return advance(text, 0, n, counted);
}

qsizetype count(QStringView text) {
    qsizetype counted = 0;
    advance(text, 0, text.size(), counted);
    return counted;
}

bool hasAtLeast(QStringView text, qsizetype n) {
    if (n <= 0)
        return true;
    if (text.size() < n)
        return false;
    qsizetype counted = 0;
    advance(text, 0, n, counted);
    return counted >= n;
}

QString prefix(QStringView text, qsizetype n) {
    return text.first(endOfFirst(text, n)).toString();
}

} // namespace Graphemes
