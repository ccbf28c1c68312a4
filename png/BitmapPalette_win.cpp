#include "BitmapPalette_win.h"

#include <memory>

namespace Sfunc {

std::vector<TGLDPalRGB> PaletteTableOf(HPALETTE palette) {
    PALETTEENTRY entries[256];
    UINT n = palette ? ::GetPaletteEntries(palette, 0, 256, entries) : 0;
    std::vector<TGLDPalRGB> table;
    for (UINT i = 0; i < n && i < 256; ++i)
        table.push_back(TGLDPalRGB{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
    return table;
}

int GetNearestPaletteIndex(HPALETTE palette, TColor colour) {
    return GetNearestPaletteIndex(PaletteTableOf(palette), colour);
}

TColor GetNearestPaletteColor(HPALETTE palette, TColor colour) {
    return GetNearestPaletteColor(PaletteTableOf(palette), colour);
}

TColor GetPaletteColor(HPALETTE palette, int index) {
    PALETTEENTRY e;
    if (!palette || index < 0 || ::GetPaletteEntries(palette, static_cast<UINT>(index), 1, &e) != 1) return -1;
    return MakeColor(e.peRed, e.peGreen, e.peBlue);
}

int GetPaletteColorTable(HPALETTE palette, TGLDPalRGB* table) {
    return GetPaletteColorTable(PaletteTableOf(palette), table);
}

HPALETTE CreatePaletteHandle(const TGLDPalRGB* table, int count) {
    if (count < 0) count = 0;
    if (count > 256) count = 256;
    auto buf = std::make_unique<uint8_t[]>(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.get());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i) lp->palPalEntry[i] = PALETTEENTRY{table[i].Red, table[i].Green, table[i].Blue, 0};
    return ::CreatePalette(lp);
}

} // namespace Sfunc
