#include "fuzz/FuzzTarget.h"
#include "fuzz/ParserChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzOne(data, size, ParserChecks::wordVectors);
}
