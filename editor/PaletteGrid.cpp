#include "PaletteGrid.h"

#include <algorithm>

#include "PaletteEdit.h"

namespace {

// Fills the rectangle [x0, x1) x [y0, y1), or only its outline.
void Box(TBitmap& b, int x0, int y0, int x1, int y1, TColor c, bool frame) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (!frame || x == x0 || x == x1 - 1 || y == y0 || y == y1 - 1) b.SetPixel(x, y, c);
}

void CellOutline(TBitmap& b, int index, TColor c) {
    Box(b, PaletteCellX(index), PaletteCellY(index), PaletteCellX(index) + 13, PaletteCellY(index) + 13, c, true);
}

}  // namespace

int PaletteEntryAt(int x, int y, bool mono) {
    if (x < 0 || y < 0 || x >= 192 || y >= 192) return -1;
    int e = 16 * (y / kPaletteCell) + x / kPaletteCell;
    return mono && e > 3 ? -1 : e;
}

void RenderPaletteGrid(const ImageRecord& image, const TPaletteGridState& state, TBitmap& out) {
    out = TBitmap(kPaletteGridSize, kPaletteGridSize, TPixelFormat::pf24bit);
    out.Fill(clSilver);  // the background and the grid lines
    const int last = state.Mono ? 3 : 255;
    for (int i = 0; i <= last; ++i) {
        int x = PaletteCellX(i), y = PaletteCellY(i);
        Box(out, x + 1, y + 1, x + 12, y + 12, DisplayedColour(image, i), false);
        Box(out, x + 1, y + 1, x + 12, y + 12, image.Inverse[static_cast<std::size_t>(i)] ? clWhite : clBlack, true);
    }
    const int main = std::clamp(state.Main, 0, last), sub = std::clamp(state.Sub, 0, last);
    if (state.ShowRange && main != sub) {
        const int step = sub > main ? 1 : -1;
        for (int i = main; i != sub; i += step) CellOutline(out, i, clGray);
    }
    CellOutline(out, sub, clBlue);
    CellOutline(out, main, clRed);
}
