// The entry point of the content readers module (see ContentReadersModule.h);
// built into the module only, never into the app.
#include "platform/linux/ContentReadersModule.h"

#include "platform/linux/CurlHttpClient.h"
#include "platform/linux/PopplerPdfReader.h"
#include "platform/linux/TesseractTextRecognizer.h"

#include <cstring>
#include <type_traits>

extern "C" __attribute__((visibility("default"))) bool
tovikMakeContentReaders(const char* version, const QStringList& resolve,
                        ContentReadersModule::Readers& readers) {
    if (version == nullptr || std::strcmp(version, TOVIK_VERSION) != 0)
        return false;
    readers.http = std::make_unique<CurlHttpClient>(resolve);
    readers.text = std::make_unique<TesseractTextRecognizer>();
    readers.pdf = std::make_unique<PopplerPdfReader>();
    return true;
}

// The loader calls it through this type.
static_assert(
    std::is_same_v<decltype(&tovikMakeContentReaders), ContentReadersModule::MakeReaders>);
