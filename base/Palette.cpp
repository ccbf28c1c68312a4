#include "Palette.h"

int NearestPaletteIndex(const TRGBQuad* entries, int count, TColor c) {
    int best = 0, bestDistance = 0;
    for (int i = 0; i < count; ++i) {
        const int d = SquaredRgbDistance(QuadToColor(entries[i]), c);
        if (d == 0) return i;
        if (i == 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

std::vector<TRGBQuad> GreyPalette(int bits) {
    int n = 1 << bits;
    std::vector<TRGBQuad> pal(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        auto v = static_cast<uint8_t>(i * 255 / (n - 1));
        pal[static_cast<std::size_t>(i)] = TRGBQuad{v, v, v, 0};
    }
    return pal;
}

std::vector<TRGBQuad> Vga16Palette() {
    static const TColor colours[16] = {clBlack, clMaroon, clGreen, clOlive, clNavy,   clPurple, clTeal, clSilver,
                                       clGray,  clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};
    std::vector<TRGBQuad> pal;
    for (TColor c : colours) pal.push_back(ColorToQuad(c));
    return pal;
}
