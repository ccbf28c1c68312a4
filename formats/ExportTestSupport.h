#pragma once
// Shared by the tests of the PNG, MNG and GIF writers.
#include <cstdio>
#include <string>

#include "base/Bitmap.h"
#include "formats/IconTestImages.h"
#include "formats/PngExport.h"

// The banded test image, transparent at a red pixel (index 2).
inline CCURSOR TransparentBandedImage() {
    CCURSOR c = BandedTestImage();
    c.Transparent = 1;
    c.TransX = 16;
    c.TransY = 0;
    return c;
}

// The pixels of the bitmap a save mode writes, top row first, as "rrggbb" texts joined
// by blanks (the way the Pillow scripts print them).
inline std::string SavedPixels(const CCURSOR& image, AniSaveMode mode) {
    const TBitmap saved = SavedBitmap(image, mode);
    std::string pixels;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const TRGBQuad q = saved.Colors()[static_cast<std::size_t>(saved.PixelIndex(x, y))];
            char hex[8];
            std::snprintf(hex, sizeof hex, "%02x%02x%02x", q.Red, q.Green, q.Blue);
            pixels += (pixels.empty() ? "" : " ") + std::string(hex);
        }
    return pixels;
}
