// The palette grid's picture.
#include "editor/PaletteGrid_win.h"

#include "ui/Canvas.h"

TPaletteGrid::TPaletteGrid(TControl* parent, const std::string& name, const TEditModel& model)
    : TPaintBox(parent, name), FModel(model) {
    OnPaint = [this](TControl*, TCanvas& canvas, const RECT&) { PaintTo(canvas.Handle()); };
}

int TPaletteGrid::CellAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= 16 * kCell || y >= 16 * kCell) return -1;
    int index = y / kCell * 16 + x / kCell;
    if (MonoMode && index > 3) return -1;
    return index;
}

void TPaletteGrid::DrawPaletteGrid() {
    if (!FHandle) return;
    TWindowDC dc(FHandle);
    PaintTo(dc.Get());
}

void TPaletteGrid::PaintTo(HDC dc) {
    TDibSection off(kSize, kSize);
    TCanvas canvas(off.DC());
    canvas.FillRect(RECT{0, 0, kSize, kSize}, MonoMode ? clBtnFace : clSilver);
    int count = MonoMode ? 4 : 256;
    auto cellRect = [](int i, int inset) {
        POINT o = CellOrigin(i);
        return RECT{o.x + inset, o.y + inset, o.x + kCell + 1 - inset, o.y + kCell + 1 - inset};
    };
    if (!MonoMode) {
        for (int i = 0; i <= 16; ++i) {  // grid lines
            canvas.FillRect(RECT{i * kCell, 0, i * kCell + 1, kSize}, clSilver);
            canvas.FillRect(RECT{0, i * kCell, kSize, i * kCell + 1}, clSilver);
        }
    }
    for (int i = 0; i < count; ++i) {
        RECT r = cellRect(i, 1);
        canvas.FillRect(r, FModel.DisplayColour(i));
        canvas.FrameRect(r, FModel.Image().Inverse[i] ? clWhite : clBlack);
    }
    int main = FModel.MainIndex, sub = FModel.SubIndex;
    if (ShowRange && main != sub) {
        int step = sub > main ? 1 : -1;
        for (int i = main; i != sub; i += step)
            if (i < count) canvas.FrameRect(cellRect(i, 0), clGray);
    }
    if (sub < count) canvas.FrameRect(cellRect(sub, 0), clBlue);
    if (main < count) canvas.FrameRect(cellRect(main, 0), clRed);
    BitBlt(dc, 0, 0, kSize, kSize, off.DC(), 0, 0, SRCCOPY);
}
