#include "Palette.h"

int NearestPaletteIndex(const TRGBQuad* entries, int count, TColor c) {
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < count; ++i) {
        long dr = long(entries[i].Red) - RedOf(c);
        long dg = long(entries[i].Green) - GreenOf(c);
        long db = long(entries[i].Blue) - BlueOf(c);
        long d = dr * dr + dg * dg + db * db;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = i;
            if (d == 0) break;
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
