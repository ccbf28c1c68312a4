// The pixel editor's model: tools, selection, turns and undo on palette indices.
#include "editor/EditModel.h"

#include <algorithm>
#include <cstdlib>

#include "editor/DefaultPalette.h"
#include "editor/PaletteEdit.h"
#include "editor/Raster.h"

namespace {

// Cells far outside the image only make the rasterisers work longer; a captured mouse
// can report them.
int LimitCell(int v) { return std::clamp(v, -4 * kImageSize, 5 * kImageSize); }
int Sign(int v) { return (v > 0) - (v < 0); }

} // namespace

TEditModel::TEditModel() { RedrawImage(); }

void TEditModel::Clear() {
    FImage = ImageRecord{};
    FImage.Palette = DefaultPalette();
    std::fill(FImage.Pixels.Bytes, FImage.Pixels.Bytes + kIndexBytes, uint8_t{15});
    FPrev = FImage;
    FHasSelection = FFloating = false;
    FGesture = TGesture::None;
    FDrawing = false;
    RedrawImage();
}

void TEditModel::Load(const ImageRecord& image) {
    FImage = image;
    FPrev = FImage;
    FHasSelection = FFloating = false;
    FGesture = TGesture::None;
    FDrawing = false;
    RedrawImage();
}

TColor TEditModel::DisplayColour(int index) const { return DisplayedColour(FImage, index); }

TColor TEditModel::BackgroundColour() const { return MonoMode ? kMonoBackground : DisplayColour(SubIndex); }

void TEditModel::RedrawImage() {
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) FView[y * kImageSize + x] = DisplayColour(FImage.Pixels.At(x, y));
    if (FGesture == TGesture::RubberBand) {
        // A dotted outline through the start cell and the last cell.
        int l = std::min(FStartX, FLastX), r = std::max(FStartX, FLastX);
        int t = std::min(FStartY, FLastY), b = std::max(FStartY, FLastY);
        for (int y = t; y <= b; ++y)
            for (int x = l; x <= r; ++x)
                if ((x == l || x == r || y == t || y == b) && (x + y) % 2 == 0) FView[y * kImageSize + x] = clBlack;
    }
    if (FHasSelection && FFloating) {
        int dx = FGesture == TGesture::DragSelection ? FLastX - FStartX : 0;
        int dy = FGesture == TGesture::DragSelection ? FLastY - FStartY : 0;
        int w = FSel.Width();
        for (int j = 0; j < FSel.Height(); ++j)
            for (int k = 0; k < w; ++k) {
                int x = FSel.Left + dx + k, y = FSel.Top + dy + j;
                if (!InsideImage(x, y)) continue;
                uint8_t index = FSelCells[j * w + k];
                if (TransMode && index == SubIndex) continue;
                FView[y * kImageSize + x] = DisplayColour(index);
            }
    }
}

void TEditModel::SetTool(TEditTool tool) {
    if (FDrawing) MouseUp();
    if (FTool == TEditTool::Select && FFloating) CommitSelection();
    FTool = tool;
    FHasSelection = FFloating = false;
    RedrawImage();
}

void TEditModel::MouseDown(int x, int y) {
    if (FDrawing) return;
    x = LimitCell(x);
    y = LimitCell(y);
    if (FTool != TEditTool::Select || !FHasSelection) FPrev = FImage;
    FStartX = FLastX = x;
    FStartY = FLastY = y;
    switch (FTool) {
    case TEditTool::Pen:
        FGesture = TGesture::Pen;
        FDrawing = true;
        PlotCell(FImage.Pixels, x, y, MainIndex);
        break;
    case TEditTool::Fill:
        FGesture = TGesture::Fill;
        FDrawing = true;
        FloodFill(FImage.Pixels, x, y, MainIndex);
        break;
    case TEditTool::Select:
        FDrawing = true;
        if (OverSelection(x, y)) {
            FGesture = TGesture::DragSelection;
        } else {
            if (FFloating) CommitSelection();
            FHasSelection = FFloating = false;
            FPrev = FImage;
            FStartX = FLastX = std::clamp(x, 0, kImageSize - 1);
            FStartY = FLastY = std::clamp(y, 0, kImageSize - 1);
            FGesture = TGesture::RubberBand;
        }
        break;
    case TEditTool::Move:
        FGesture = TGesture::Move;
        FDrawing = true;
        break;
    default:
        FGesture = TGesture::Shape;
        FDrawing = true;
        DrawShape(x, y);
        break;
    }
    RedrawImage();
}

void TEditModel::MouseMove(int x, int y, bool shift) {
    if (!FDrawing) return;
    x = LimitCell(x);
    y = LimitCell(y);
    switch (FGesture) {
    case TGesture::Pen:
        if (x == FLastX && y == FLastY) return;
        DrawLine(FImage.Pixels, FLastX, FLastY, x, y, MainIndex);
        break;
    case TGesture::Move:
        if (x == FLastX && y == FLastY) return;
        MoveImage(x - FStartX, y - FStartY);
        break;
    case TGesture::DragSelection:
        if (x == FLastX && y == FLastY) return;
        if (!FFloating) LiftSelection();
        break;
    case TGesture::RubberBand:
        x = std::clamp(x, 0, kImageSize - 1);
        y = std::clamp(y, 0, kImageSize - 1);
        if (x == FLastX && y == FLastY) return;
        break;
    case TGesture::Shape:
        if (shift) {
            int dx = x - FStartX, dy = y - FStartY;
            if (std::abs(dx) > 0 && std::abs(dx) < std::abs(dy))
                x = FStartX + Sign(dx) * std::abs(dy);
            else if (std::abs(dy) > 0 && std::abs(dx) >= std::abs(dy))
                y = FStartY + Sign(dy) * std::abs(dx);
        }
        if (x == FLastX && y == FLastY) return;
        DrawShape(x, y);
        break;
    default:
        return;
    }
    FLastX = x;
    FLastY = y;
    RedrawImage();
}

void TEditModel::MouseUp() {
    if (!FDrawing) return;
    FDrawing = false;
    TGesture g = FGesture;
    FGesture = TGesture::None;
    switch (g) {
    case TGesture::Pen:
    case TGesture::Fill:
    case TGesture::Shape:
        PushUndo();
        break;
    case TGesture::Move:
        MoveImage(FLastX - FStartX, FLastY - FStartY);
        PushUndo();
        break;
    case TGesture::DragSelection:
        FSel.Left += FLastX - FStartX;
        FSel.Right += FLastX - FStartX;
        FSel.Top += FLastY - FStartY;
        FSel.Bottom += FLastY - FStartY;
        break;
    case TGesture::RubberBand:
        if (FStartX != FLastX && FStartY != FLastY) {
            FSel = {std::min(FStartX, FLastX), std::min(FStartY, FLastY), std::max(FStartX, FLastX) + 1,
                    std::max(FStartY, FLastY) + 1};
            FSelCells.clear();
            for (int y = FSel.Top; y < FSel.Bottom; ++y)
                for (int x = FSel.Left; x < FSel.Right; ++x) FSelCells.push_back(FImage.Pixels.At(x, y));
            FHasSelection = true;
            FFloating = false;
        }
        break;
    default:
        break;
    }
    RedrawImage();
}

void TEditModel::DrawShape(int x, int y) {
    std::copy(FPrev.Pixels.Bytes, FPrev.Pixels.Bytes + kIndexBytes, FImage.Pixels.Bytes);
    int l = std::min(x, FStartX), r = std::max(x, FStartX) + 1;
    int t = std::min(y, FStartY), b = std::max(y, FStartY) + 1;
    PixelBlock& g = FImage.Pixels;
    switch (FTool) {
    case TEditTool::Line: DrawLine(g, FStartX, FStartY, x, y, MainIndex); break;
    case TEditTool::Square: DrawFrame(g, l, t, r, b, MainIndex); break;
    case TEditTool::FillSquare: FillBox(g, l, t, r, b, MainIndex); break;
    case TEditTool::Circle: DrawEllipse(g, l, t, r, b, MainIndex); break;
    case TEditTool::FillCircle: FillEllipse(g, l, t, r, b, MainIndex); break;
    default: break;
    }
}

void TEditModel::MoveImage(int dx, int dy) {
    std::fill(FImage.Pixels.Bytes, FImage.Pixels.Bytes + kIndexBytes, MoveBackground());
    if (std::abs(dx) > kImageSize - 1 || std::abs(dy) > kImageSize - 1) return;
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x)
            if (InsideImage(x + dx, y + dy)) FImage.Pixels.At(x + dx, y + dy) = FPrev.Pixels.At(x, y);
}

void TEditModel::LiftSelection() {
    for (int y = FSel.Top; y < FSel.Bottom; ++y)
        for (int x = FSel.Left; x < FSel.Right; ++x) PlotCell(FImage.Pixels, x, y, LiftBackground());
    FFloating = true;
}

void TEditModel::CommitSelection() {
    if (!FHasSelection) return;
    FHasSelection = false;
    if (FFloating) {
        int w = FSel.Width();
        for (int j = 0; j < FSel.Height(); ++j)
            for (int k = 0; k < w; ++k) {
                uint8_t index = FSelCells[j * w + k];
                if (TransMode && index == SubIndex) continue;
                PlotCell(FImage.Pixels, FSel.Left + k, FSel.Top + j, index);
            }
    }
    FFloating = false;
    RedrawImage();
    FPrev = FImage;
    PushUndo();
}

void TEditModel::DropSelection() {
    if (FFloating) CommitSelection();
    FHasSelection = FFloating = false;
    RedrawImage();
}

void TEditModel::SelectAll() {
    if (FFloating) CommitSelection();
    FSel = {0, 0, kImageSize, kImageSize};
    FSelCells.resize(kIndexBytes);
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) FSelCells[y * kImageSize + x] = FImage.Pixels.At(x, y);
    FHasSelection = true;
    FFloating = false;
    FTool = TEditTool::Select;
    RedrawImage();
}

void TEditModel::DeleteSelection() {
    if (!FHasSelection) return;
    std::fill(FSelCells.begin(), FSelCells.end(), SubIndex);
    bool trans = TransMode;
    TransMode = false;
    FFloating = true;  // the filled rectangle is written whole
    CommitSelection();
    TransMode = trans;
}

void TEditModel::PasteCells(int width, int height, const std::vector<uint8_t>& cells) {
    if (width <= 0 || height <= 0 || cells.size() != static_cast<std::size_t>(width) * height) return;
    if (FDrawing) MouseUp();
    if (FFloating) CommitSelection();
    FPrev = FImage;
    FSel = {0, 0, width, height};
    FSelCells = cells;
    FHasSelection = FFloating = true;
    FTool = TEditTool::Select;
    RedrawImage();
}

std::vector<bool> TEditModel::SelectionMask() const {
    std::vector<bool> mask(FSelCells.size());
    for (std::size_t i = 0; i < FSelCells.size(); ++i) mask[i] = FSelCells[i] == SubIndex;
    return mask;
}

void TEditModel::Turn(TImageTurn turn) {
    if (FDrawing) return;
    FPrev = FImage;
    constexpr int n = kImageSize;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            int sx = x, sy = y;
            switch (turn) {
            case TImageTurn::MirrorLeftRight: sx = n - 1 - x; break;
            case TImageTurn::FlipTopBottom: sy = n - 1 - y; break;
            case TImageTurn::RotateClockwise: sx = y; sy = n - 1 - x; break;
            case TImageTurn::RotateAnticlockwise: sx = n - 1 - y; sy = x; break;
            }
            FImage.Pixels.At(x, y) = FPrev.Pixels.At(sx, sy);
        }
    RedrawImage();
    PushUndo();
}

void TEditModel::ClearUndo() {
    FUndoList.clear();
    FUndoIndex = 0;
}

void TEditModel::ResetUndo() {
    ClearUndo();
    PushUndo();
    PushUndo();
}

void TEditModel::PushUndo() {
    int count = static_cast<int>(FUndoList.size());
    // An edit after some undos goes before the undone entries, which stay reachable by redo.
    if (FUndoIndex < count && count > 1)
        FUndoList.insert(FUndoList.begin() + FUndoIndex, TUndoData{FImage});
    else
        FUndoList.push_back(TUndoData{FImage});
    ++FUndoIndex;
}

void TEditModel::RestoreState(int entry, int prevEntry) {
    FImage = FUndoList[entry].Image;
    FPrev = FUndoList[prevEntry].Image;
    FHasSelection = FFloating = false;
    RedrawImage();
}

void TEditModel::Undo() {
    if (FDrawing || !CanUndo()) return;
    if (FTool == TEditTool::Select && FFloating) CommitSelection();
    --FUndoIndex;
    RestoreState(FUndoIndex - 1, FUndoIndex - 2);
}

void TEditModel::Redo() {
    if (FDrawing || !CanRedo()) return;
    if (FTool == TEditTool::Select && FFloating) CommitSelection();
    if (!CanRedo()) return;  // the commit made a new current state
    RestoreState(FUndoIndex, FUndoIndex - 1);
    ++FUndoIndex;
}
