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

// An image whose opaque pixels show entries 0..46 and whose transparent entry 47, a red
// close to the standard red, fills the top-left 8x4 block (transparent point (0, 0)).
// everyColour: entries 0..15 are the 16 colours of a 16-colour save, then shades, so that
// the opaque pixels take every entry of the 16- and 2-colour tables, and entry 46 has the
// transparent entry's very colour; else every opaque pixel is a dark red, which 16 colours
// reduce to black, maroon and red, and 2 colours to black. The Out copy puts the
// transparent pixels on black (entry 0) behind a set mask bit.
inline CCURSOR CrowdedTransparentImage(bool everyColour) {
    static const TColor standard[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
                                        0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    CCURSOR c;
    for (int i = 0; i < 47; ++i) {
        const auto k = static_cast<uint8_t>(i);
        TColor colour = MakeColor(static_cast<uint8_t>(20 + 5 * k), 0, static_cast<uint8_t>(k % 3));
        if (everyColour)
            colour = i < 16 ? standard[i]
                            : MakeColor(static_cast<uint8_t>(8 * k), static_cast<uint8_t>(255 - 5 * k), static_cast<uint8_t>(37 * k));
        if (everyColour && i == 46) colour = MakeColor(250, 4, 4);
        c.Palette[k] = ColorToQuad(colour);
    }
    c.Palette[47] = ColorToQuad(MakeColor(250, 4, 4));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) c.Pixels.At(x, y) = static_cast<uint8_t>(x < 8 && y < 4 ? 47 : (x + 7 * y) % 47);
    MaskTopLeftOnBlack(c, 8, 4);
    c.Transparent = 1;
    c.TransX = 0;
    c.TransY = 0;
    return c;
}
