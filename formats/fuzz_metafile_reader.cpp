// libFuzzer target of the metafile reader: the records are checked and the drawing size
// found, at two resolutions.
#include <cstddef>
#include <cstdint>

#include "formats/Metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int dpi : {96, 1 << 20}) {
        const auto picture = ReadMetafile(data, size, dpi, dpi);
        if (picture && (picture->Size.Width < 1 || picture->Size.Width > kMetafileMaxSide || picture->Size.Height < 1 ||
                        picture->Size.Height > kMetafileMaxSide || picture->Bits.empty()))
            __builtin_trap();
    }
    return 0;
}
