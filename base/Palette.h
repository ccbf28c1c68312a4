#pragma once
// Palettes as plain values: 4-byte entries in file order (blue, green, red, reserved)
// and the nearest-colour rule that GDI's GetNearestPaletteIndex uses.
#include <cstdint>
#include <vector>

#include "Color.h"

struct TRGBQuad {
    uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};
static_assert(sizeof(TRGBQuad) == 4);

inline TColor QuadToColor(const TRGBQuad& q) { return MakeColor(q.Red, q.Green, q.Blue); }
inline TRGBQuad ColorToQuad(TColor c) { return TRGBQuad{BlueOf(c), GreenOf(c), RedOf(c), 0}; }

// Index of the entry nearest to c by squared RGB distance; the first of equals wins.
// Returns 0 for an empty palette.
int NearestPaletteIndex(const TRGBQuad* entries, int count, TColor c);
inline int NearestPaletteIndex(const std::vector<TRGBQuad>& pal, TColor c) {
    return NearestPaletteIndex(pal.data(), static_cast<int>(pal.size()), c);
}

// The standard grey ramp for 1-, 2-, 4- and 8-bit greyscale, and the 16 VGA colours.
std::vector<TRGBQuad> GreyPalette(int bits);
std::vector<TRGBQuad> Vga16Palette();
