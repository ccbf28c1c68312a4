// libFuzzer target of the icon reader: load the bytes as a module or icon file, choose the
// image of each icon for a few sizes and depths, and decode the chosen ones.
#include <cstddef>
#include <cstdint>

#include "base/Bitmap.h"
#include "formats/IconSourceCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TIconSource source;
    if (!source.Load(std::vector<uint8_t>(data, data + size)).Ok()) return 0;
    const int count = source.Count();
    for (int i = 0; i < count; ++i) {
        if (i == 16 && count > 32) i = count - 16;  // the first and the last icons of a long list
        for (const int side : {16, 32, 256}) {
            IconChoice choice;
            if (!source.Choose(i, side, side, side == 32 ? 32 : 8, choice)) continue;
            if (choice.Offset + choice.Bytes > size) __builtin_trap();
            TBitmap colour, mask;
            if (source.Decode(choice, colour, mask) && (colour.Width() != mask.Width() || colour.Height() != mask.Height()))
                __builtin_trap();
        }
    }
    return 0;
}
