#pragma once

#include "platform/HttpClient.h"
#include "platform/PdfReader.h"
#include "platform/TextRecognizer.h"

#include <QStringList>
#include <memory>

// The readers of outside content (libcurl, tesseract, poppler) are built as a
// module of their own, "tovik-content-readers.so", that the app loads the
// first time it reads a page, an image or a document. Linked into the app,
// those libraries and the hundred they pull in made every launch load and
// initialise them first (about 35 ms) for work that comes later, if at all.
//
// The module and the app are built together: the entry point refuses a
// module of another version rather than share objects of another layout.
namespace ContentReadersModule {

inline constexpr char fileName[] = "tovik-content-readers.so";
inline constexpr char entryPoint[] = "tovikMakeContentReaders";

struct Readers {
    std::unique_ptr<HttpClient> http;
    std::unique_ptr<TextRecognizer> text;
    std::unique_ptr<PdfReader> pdf;
};

// Fills readers and answers true, or answers false when version is not the
// module's own. resolve: the HTTP client's TOVIK_RESOLVE entries.
using MakeReaders = bool (*)(const char* version, const QStringList& resolve, Readers& readers);

} // namespace ContentReadersModule
