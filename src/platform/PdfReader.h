#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

// Reads PDF documents. Safe to call from several threads at once.
class PdfReader {
public:
    virtual ~PdfReader() = default;

    // The text of the pages in order, separated by a line feed; reading stops
    // after the page where the text reached enoughCharacters characters.
    // Absent when the document cannot be opened (damaged, locked) or has no text.
    virtual std::optional<QString> text(const QString& path, qsizetype enoughCharacters) = 0;

    // Page 1 drawn on white, fitted into maxSize pixels keeping its aspect.
    // Absent when the document cannot be opened or has no page.
    virtual std::optional<QImage> firstPage(const QString& path, QSize maxSize) = 0;
};
