#pragma once

#include <QString>
#include <chrono>
#include <optional>

class PdfReader;
class TextRecognizer;
class ThumbnailGenerator;

// The text and the thumbnail of a stored file. Blocks the calling background
// thread; the services must live as long as the process (a thumbnail that
// takes too long is left to finish on its own).
class DocumentReader {
public:
    static constexpr qsizetype maxTextCharacters = 40'000;
    // Plain-text files are read up to this size; the text kept is far
    // shorter, and a huge log file must not be read whole into memory.
    static constexpr qint64 maxTextFileBytes = 16 * 1024 * 1024;
    // RTF is mostly markup and pictures; larger files are read as plain text.
    static constexpr qint64 maxRtfFileBytes = 64 * 1024 * 1024;
    // Thumbnails are asked for at 512 × 512 points at scale 2.
    static constexpr int thumbnailPixels = 1024;
    static constexpr std::chrono::milliseconds thumbnailWait{8'000};

    DocumentReader(PdfReader& pdf, TextRecognizer& recognizer, ThumbnailGenerator& thumbnails);

    // By the lower-cased extension: a PDF's text; a text-like file (txt, md,
    // csv, json, source code, html, log, yaml, sh …) read as UTF-8, an RTF
    // file's text; an image's words. PDF and plain text are cut to
    // maxTextCharacters characters. Absent for other files and for files
    // that cannot be read (damaged PDF, text that is not UTF-8).
    std::optional<QString> extractFileText(const QString& path) const;

    // The file's thumbnail (at most thumbnailPixels on its longer side)
    // written as UUID + "-thumb.png" into filesDir; its name, or absent.
    std::optional<QString> quickLookThumbnail(const QString& path, const QString& filesDir,
                                              std::chrono::milliseconds wait = thumbnailWait) const;

    // The extensions read as text.
    static bool isTextExtension(const QString& lowerCaseExtension);

private:
    PdfReader& pdf;
    TextRecognizer& recognizer;
    ThumbnailGenerator& thumbnails;
};
