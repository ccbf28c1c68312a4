#pragma once
// The pixel editor's model: one 32x32 image with its palette and inverse flags, the
// drawing tools working on its palette indices, the rectangular selection (carried as
// indices), the flips and rotations, and the undo list. Cells are (x, y) with y = 0 at
// the top; the window turns mouse positions into cells and paints the view.
#include <array>
#include <vector>

#include "editor/ColourBoxes.h"
#include "formats/ImageRecord.h"

enum class TEditTool { Pen, Fill, Move, Select, Line, Square, Circle, FillSquare, FillCircle };
enum class TImageTurn { MirrorLeftRight, FlipTopBottom, RotateClockwise, RotateAnticlockwise };

// The display colour that marks the background of a monochrome image.
constexpr TColor kMonoBackground = MakeColor(0, 128, 128);
// Palette indices of a monochrome image.
constexpr uint8_t kMonoInverted = 2;
constexpr uint8_t kMonoTransparent = 3;

// A rectangle of cells, right and bottom exclusive.
struct TCellRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    friend bool operator==(const TCellRect&, const TCellRect&) = default;
};

// One snapshot of the undo list.
struct TUndoData {
    ImageRecord Image;
};

class TEditModel {
public:
    TEditModel();

    // A new blank image: the default palette, every pixel white (index 15), no inverse entry.
    void Clear();
    // A copy of the caller's image.
    void Load(const ImageRecord& image);
    const ImageRecord& Image() const { return FImage; }
    // Palette operations change the image directly and then push an undo step.
    ImageRecord& MutableImage() { return FImage; }

    uint8_t MainIndex = 0;  // left button
    uint8_t SubIndex = 0;   // right button; the background of moves and lifts
    bool MonoMode = false;
    // Pasted and dragged selections leave out the pixels of the sub colour.
    bool TransMode = false;
    // View options: the canvas grid, the frames of the main and sub colour in the palette
    // grid, and the form the colour boxes show.
    bool Grid = false;
    bool PalSel = false;
    TColourForm ColourForm = TColourForm::RGB;

    // The colour a palette entry is shown in: inverse entries show their complement.
    TColor DisplayColour(int index) const;
    // The colour the background of a move is shown in.
    TColor BackgroundColour() const;
    uint8_t IndexAt(int x, int y) const { return FImage.Pixels.At(x, y); }

    // The view: the image as shown, with a gesture in progress or a floating selection.
    TColor ViewPixel(int x, int y) const { return FView[y * kImageSize + x]; }
    const std::array<TColor, kImageSize * kImageSize>& View() const { return FView; }
    // Rebuilds the view from the indices, palette and flags.
    void RedrawImage();

    // Tools and gestures (left button).
    TEditTool Tool() const { return FTool; }
    // Choosing another tool commits a floating selection; choosing the selection tool
    // starts without a selection.
    void SetTool(TEditTool tool);
    void MouseDown(int x, int y);
    void MouseMove(int x, int y, bool shift);
    void MouseUp();
    bool Drawing() const { return FDrawing; }
    // The last cell of the gesture after clamping and the Shift rule.
    int LastX() const { return FLastX; }
    int LastY() const { return FLastY; }

    // The selection.
    bool HasSelection() const { return FHasSelection; }
    bool Floating() const { return FFloating; }
    const TCellRect& Selection() const { return FSel; }
    bool OverSelection(int x, int y) const { return FHasSelection && FSel.Contains(x, y); }
    // The selection's indices, row by row from its top-left cell.
    const std::vector<uint8_t>& SelectionCells() const { return FSelCells; }
    // Writes a floating selection into the image (one undo step) and drops it.
    void CommitSelection();
    // Drops the selection, committing it first when it floats.
    void DropSelection();
    void SelectAll();
    // Fills the selection with the sub colour and writes it into the image.
    void DeleteSelection();
    // A pasted picture, already in palette indices: a floating selection at (0, 0).
    void PasteCells(int width, int height, const std::vector<uint8_t>& cells);
    // Two-colour mask of the selection for the clipboard: true where the cell has the sub colour.
    std::vector<bool> SelectionMask() const;

    // Mirrors and rotations of the whole image (one undo step).
    void Turn(TImageTurn turn);

    // Undo: entry UndoIndex() - 1 is the current state.
    void ResetUndo();  // two copies of the current image
    void PushUndo();
    bool CanUndo() const { return FUndoIndex > 2; }
    bool CanRedo() const { return static_cast<int>(FUndoList.size()) >= FUndoIndex + 1; }
    void Undo();
    void Redo();
    int UndoIndex() const { return FUndoIndex; }
    const std::vector<TUndoData>& UndoList() const { return FUndoList; }
    void ClearUndo();

private:
    enum class TGesture { None, Pen, Fill, Move, Shape, RubberBand, DragSelection };

    void DrawShape(int x, int y);
    void MoveImage(int dx, int dy);
    void LiftSelection();
    void RestoreState(int entry, int prevEntry);
    uint8_t MoveBackground() const { return MonoMode ? kMonoInverted : SubIndex; }
    uint8_t LiftBackground() const { return MonoMode ? kMonoTransparent : SubIndex; }

    ImageRecord FImage;
    ImageRecord FPrev;  // the state before the current gesture
    std::array<TColor, kImageSize * kImageSize> FView{};

    TEditTool FTool = TEditTool::Pen;
    TGesture FGesture = TGesture::None;
    bool FDrawing = false;
    int FStartX = 0, FStartY = 0, FLastX = 0, FLastY = 0;

    bool FHasSelection = false;
    bool FFloating = false;
    TCellRect FSel;
    std::vector<uint8_t> FSelCells;

    std::vector<TUndoData> FUndoList;
    int FUndoIndex = 0;
};
