#pragma once

#include "platform/ThumbnailGenerator.h"

class PdfReader;

// Thumbnails as a file manager would show them: page 1 of a PDF, an image
// scaled down, the start of a plain-text document drawn onto a white page.
// Other types have none. Drawn with Qt from the store's own readers, so it
// serves any platform; main() hands it to the Linux platform.
class DocumentThumbnailer final : public ThumbnailGenerator {
public:
    explicit DocumentThumbnailer(PdfReader& pdf);

    std::optional<QImage> thumbnail(const QString& path, QSize maxSize) override;

private:
    PdfReader& pdf;
};
