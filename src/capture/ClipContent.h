#pragma once

#include "store/Item.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

class Categorizer;

// What one reading of the clipboard yields, before anything is kept. Several
// fields may be set at once; consumers decide by the priority files, image,
// URL, text.
struct ClipContent {
    QList<QUrl> fileURLs;
    std::optional<QImage> image;
    std::optional<QUrl> url;
    std::optional<QString> string; // trimmed
    std::optional<QString> sourceApp;

    // The clip a clipboard holding these things gives: text that is a lone web
    // address (http or https, no space) becomes the url and nothing else is
    // read; other text is trimmed and kept when not empty.
    static ClipContent fromClipboard(const QList<QUrl>& fileURLs,
                                     const std::optional<QString>& plainText,
                                     const std::optional<QImage>& image);

    bool isEmpty() const;
    QString previewTitle() const;
    QString kindLabel() const;
    QString symbolName() const;
    std::optional<QString> predictedTag(const Categorizer& categorizer) const;
    std::optional<QString> predictedTag() const;

    bool operator==(const ClipContent&) const = default;

    static constexpr qsizetype previewTitleLength = 60;
    static constexpr qsizetype predictedTitleLength = 70;
};
