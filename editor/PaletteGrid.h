#pragma once
// The 16x16 palette grid as a picture of 193x193 pixels: entry i in column i mod 16 and
// row i div 16, each cell 12 pixels with the grid lines between; the main entry framed
// red, the sub entry blue and, when asked, the range between them grey. In monochrome
// mode only the entries 0..3 are drawn and hit.
#include "base/Bitmap.h"
#include "formats/ImageRecord.h"

constexpr int kPaletteCell = 12;
constexpr int kPaletteGridSize = 193;

struct TPaletteGridState {
    int Main = 0;
    int Sub = 255;
    bool ShowRange = false;  // "選択範囲の表示"
    bool Mono = false;
};

// The entry under a pixel of the grid, or -1 (outside, or beyond entry 3 in monochrome mode).
int PaletteEntryAt(int x, int y, bool mono);
// The top-left pixel of an entry's cell: where a simulated click on it lands.
inline int PaletteCellX(int index) { return kPaletteCell * (index % 16); }
inline int PaletteCellY(int index) { return kPaletteCell * (index / 16); }

// The grid picture, 24-bit, 193x193.
void RenderPaletteGrid(const ImageRecord& image, const TPaletteGridState& state, TBitmap& out);
