// libFuzzer entry for the GIF block reader and LZW decoder.
#include <cstddef>
#include <cstdint>

#include "gif/GIFFuzzReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzGifReader(data, size);
    return 0;
}
