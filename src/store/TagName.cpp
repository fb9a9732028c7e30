#include "store/TagName.h"

#include "common/Graphemes.h"

#include <QStringList>

namespace TagName {

std::optional<QString> clean(const QString& raw) {
    QStringList pieces;
    qsizetype start = -1;
    // Walk code points rather than UTF-16 units so that any white-space
    // character (U+0085, U+2028, U+3000, …) separates pieces.
    for (qsizetype i = 0; i < raw.size();) {
        const char32_t c = raw.at(i).isHighSurrogate() && i + 1 < raw.size()
                               ? QChar::surrogateToUcs4(raw.at(i), raw.at(i + 1))
                               : char32_t(raw.at(i).unicode());
        const qsizetype width = c > 0xFFFF ? 2 : 1;
        if (QChar::isSpace(c)) {
            if (start >= 0)
                pieces.append(raw.mid(start, i - start));
            start = -1;
        } else if (start < 0) {
            start = i;
        }
        i += width;
    }
    if (start >= 0)
        pieces.append(raw.mid(start));
    if (pieces.isEmpty())
        return std::nullopt;
    return Graphemes::prefix(pieces.join(QLatin1Char(' ')), maxLength);
}

} // namespace TagName
