// libFuzzer target over the Intel HEX readers and the binary loader.

#include "file_readers_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return kestro::fuzz::runFileReadersInput(data, size);
}
