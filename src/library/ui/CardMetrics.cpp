#include "library/ui/CardMetrics.h"

#include "library/MasonryLayout.h"
#include "library/ui/CardPainter.h"

#include <QFontMetricsF>
#include <cmath>

namespace CardMetrics {

namespace {

struct Fonts {
    qreal bodyChar, bodyLine;
    qreal titleChar, titleLine;
    qreal smallChar, smallLine;
};

const Fonts& fonts() {
    static const Fonts measured = [] {
        const QFontMetricsF body(CardPainter::font(12.5));
        const QFontMetricsF title(CardPainter::font(12.5, QFont::DemiBold));
        const QFontMetricsF small(CardPainter::font(11));
        // The average width is that of a lower-case letter; real text with
        // spaces and capitals runs a little wider.
        return Fonts{body.averageCharWidth() * 1.08,  body.height(),
                     title.averageCharWidth() * 1.12, title.height(),
                     small.averageCharWidth() * 1.08, small.height()};
    }();
    return measured;
}

qreal textBlock(int lines, qreal lineHeight, qreal spacing) {
    return lines <= 0 ? 0 : lines * lineHeight + (lines - 1) * spacing;
}

bool hasName(const std::optional<QString>& name) {
    return name && !name->isEmpty();
}

} // namespace

int lines(const QString& text, qreal averageCharWidth, qreal width, int maxLines) {
    if (width <= 0 || averageCharWidth <= 0)
        return 1;
    const qreal perLine = std::max<qreal>(1, std::floor(width / averageCharWidth));
    int total = 0;
    qsizetype start = 0;
    // Only the start of a long text can show.
    const qsizetype end = std::min<qsizetype>(text.size(), qsizetype(maxLines * perLine * 2));
    // Searched within that start only: every card of a long text without a
    // line break would otherwise read all of it.
    const QStringView shown = QStringView(text).first(end);
    while (start <= end && total < maxLines) {
        qsizetype stop = shown.indexOf(QLatin1Char('\n'), start);
        if (stop < 0 || stop > end)
            stop = end;
        const qsizetype length = stop - start;
        total += std::max(1, int(std::ceil(qreal(length) / perLine)));
        start = stop + 1;
    }
    return std::clamp(total, 1, maxLines);
}

qreal itemHeight(const Item& item, qreal width, const std::optional<QSize>& picture) {
    const Fonts& f = fonts();
    const qreal footer = CardPainter::footerHeight;
    const qreal inner = width - 24;
    switch (item.kind) {
    case ItemKind::image:
        if (!picture)
            return CardPainter::pictureBanner + footer;
        return MasonryLayout::pictureHeight(QSizeF(*picture), width) + footer;
    case ItemKind::text: {
        // Laid out as it is drawn, so the card ends where its text does.
        const qreal inset = CardPainter::textInset;
        return inset +
               CardPainter::wrappedHeight(item.text.value_or(item.title), CardPainter::font(12.5),
                                          width - 2 * inset, CardPainter::textMaxLines,
                                          CardPainter::textLineSpacing) +
               10 + footer;
    }
    case ItemKind::link: {
        const qreal preview = hasName(item.thumbFileName) ? 140 : 0;
        const QString& title = item.title.isEmpty() ? item.detail : item.title;
        qreal height =
            preview + 12 + textBlock(lines(title, f.titleChar, inner, 2), f.titleLine, 2);
        if (item.text && !item.text->isEmpty())
            height += 4 + textBlock(lines(*item.text, f.smallChar, inner, 3), f.smallLine, 1.5);
        return std::max<qreal>(height + 10 + footer, 84);
    }
    case ItemKind::file: {
        const int titleLines = lines(item.title, f.titleChar, inner - 25, 2);
        if (hasName(item.thumbFileName))
            return 150 + 10 + textBlock(titleLines, f.titleLine, 1) + 8 + footer;
        return 14 + std::max<qreal>(16, textBlock(titleLines, f.titleLine, 1)) + 12 + footer;
    }
    }
    return MasonryLayout::estimatedHeight(item);
}

qreal roughItemHeight(const Item& item, qreal width) {
    switch (item.kind) {
    case ItemKind::image:
        return MasonryLayout::estimatedHeight(item);
    case ItemKind::text: {
        const Fonts& f = fonts();
        const qreal inset = CardPainter::textInset;
        const int count = lines(item.text.value_or(item.title), f.bodyChar, width - 2 * inset,
                                CardPainter::textMaxLines);
        return inset + textBlock(count, f.bodyLine, CardPainter::textLineSpacing) + 10 +
               CardPainter::footerHeight;
    }
    case ItemKind::link:
    case ItemKind::file:
        break;
    }
    return itemHeight(item, width);
}

qreal entryHeight(const GridEntry& entry, qreal width, const std::optional<QSize>& picture) {
    if (!entry.isStack())
        return itemHeight(entry.item(), width, picture);
    if (entry.items.isEmpty())
        return 136;
    return stackHeight(itemHeight(entry.items.front(), width, picture));
}

qreal stackHeight(qreal frontHeight) {
    // The pile's peek layers stand 14 above the front card, whose footer
    // gives way to the stack's label.
    return 14 + frontHeight + 26 - CardPainter::footerHeight;
}

} // namespace CardMetrics
