#pragma once
// TPaletteGrid: the editor's 16x16 palette grid. Entry i sits in column i mod 16 and row
// i div 16, 12 pixels a cell; the main colour is framed red, the sub colour blue and, when
// ShowRange is on, the entries from the main toward the sub colour grey. In monochrome
// mode only entries 0..3 are shown and accepted. The grid only shows; the dialog decides
// what a click does (OnMouseDown gives the pixel position, CellAt the entry).
#include "editor/EditModel.h"
#include "editor/PaintBox_win.h"

class TPaletteGrid : public TPaintBox {
public:
    static constexpr int kCell = 12;
    static constexpr int kSize = 16 * kCell + 1;  // 193

    // model: where the palette, the inverse flags and the two indices are read (not owned).
    TPaletteGrid(TControl* parent, const std::string& name, const TEditModel& model);

    // The entry under a pixel of the grid, or -1 (outside, or beyond entry 3 in monochrome mode).
    int CellAt(int x, int y) const;
    // The pixel position of an entry's cell, as a simulated click gives it.
    static POINT CellOrigin(int index) { return POINT{index % 16 * kCell, index / 16 * kCell}; }

    bool ShowRange = false;
    bool MonoMode = false;

    // Paints the grid at once (also on WM_PAINT).
    void DrawPaletteGrid();
    void PaintTo(HDC dc);

private:
    const TEditModel& FModel;  // not owned
};
