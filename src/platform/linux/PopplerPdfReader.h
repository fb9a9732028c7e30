#pragma once

#include "platform/PdfReader.h"

// PdfReader over poppler-qt6.
class PopplerPdfReader final : public PdfReader {
public:
    PopplerPdfReader();

    std::optional<QString> text(const QString& path, qsizetype enoughCharacters) override;
    std::optional<QImage> firstPage(const QString& path, QSize maxSize) override;
};
