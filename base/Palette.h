#pragma once
// Palettes as plain values: 4-byte entries in file order (blue, green, red, reserved)
// and the nearest-colour rules.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "Color.h"

struct TRGBQuad {
    uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};
static_assert(sizeof(TRGBQuad) == 4);

inline TColor QuadToColor(const TRGBQuad& q) { return MakeColor(q.Red, q.Green, q.Blue); }
inline TRGBQuad ColorToQuad(TColor c) { return TRGBQuad{BlueOf(c), GreenOf(c), RedOf(c), 0}; }

// The two nearest-colour rules. Both scan the entries in order, keep the first of
// equally near entries and give 0 for an empty palette.

inline int SquaredRgbDistance(TColor a, TColor b) {
    const int dr = RedOf(a) - RedOf(b), dg = GreenOf(a) - GreenOf(b), db = BlueOf(a) - BlueOf(b);
    return dr * dr + dg * dg + db * db;
}

// By squared RGB distance, the rule of GDI's GetNearestPaletteIndex.
int NearestPaletteIndex(const TRGBQuad* entries, int count, TColor c);
inline int NearestPaletteIndex(const std::vector<TRGBQuad>& pal, TColor c) {
    return NearestPaletteIndex(pal.data(), static_cast<int>(pal.size()), c);
}

// The red, green and blue of an entry with members of those names.
struct TRgbMembers {
    template <typename Entry>
    std::array<int, 3> operator()(const Entry& e) const {
        return {e.Red, e.Green, e.Blue};
    }
};

// By the sum of the channel differences |dr| + |dg| + |db|, the rule of the codecs' own
// palette searches; an exact match ends the scan. rgbOf gives an entry's red, green, blue.
template <typename Entry, typename Rgb = TRgbMembers>
int NearestBySumOfDifferences(const Entry* entries, int count, TColor c, Rgb rgbOf = {}) {
    int best = 0, bestDistance = 0;
    for (int i = 0; i < count; ++i) {
        const std::array<int, 3> rgb = rgbOf(entries[i]);
        const int d = std::abs(rgb[0] - RedOf(c)) + std::abs(rgb[1] - GreenOf(c)) + std::abs(rgb[2] - BlueOf(c));
        if (d == 0) return i;
        if (i == 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// The standard grey ramp for 1-, 2-, 4- and 8-bit greyscale, and the 16 VGA colours.
std::vector<TRGBQuad> GreyPalette(int bits);
std::vector<TRGBQuad> Vga16Palette();
