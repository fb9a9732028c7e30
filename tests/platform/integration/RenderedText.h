#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <algorithm>

// Lines of black text on white, in a font every test machine has, with a
// margin of one text height: what text recognition reads in the tests.
inline QImage renderedText(const QStringList& lines, int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    QImage image(width + 2 * pixelSize, int(lines.size() + 1) * metrics.lineSpacing() + pixelSize,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = pixelSize + metrics.ascent();
    for (const QString& line : lines) {
        painter.drawText(pixelSize, y, line);
        y += metrics.lineSpacing();
    }
    return image;
}
