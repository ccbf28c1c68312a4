// libFuzzer target: the BMP reader, as a whole file and as a packed DIB.
#include <cstddef>
#include <cstdint>

#include "base/Bitmap.h"
#include "base/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBitmapLimits limits;
    limits.MaxWidth = limits.MaxHeight = 4096;
    limits.MaxBytes = 16 << 20;
    for (int asDib = 0; asDib < 2; ++asDib) {
        try {
            TBitmap b;
            if (asDib)
                b.LoadFromDib(data, size, limits);
            else
                b.LoadFromMemory(data, size, limits);
            volatile TColor sink = b.Pixel(b.Width() - 1, b.Height() - 1);
            (void)sink;
        } catch (const EInvalidGraphic&) {
        }
    }
    return 0;
}
