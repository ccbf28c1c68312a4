#include "editor/EditModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/DefaultPalette.h"
#include "editor/Raster.h"

namespace {

// The cells that have index `index`, as "x,y" texts in row order.
std::vector<std::string> CellsOf(const PixelBlock& p, uint8_t index) {
    std::vector<std::string> cells;
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x)
            if (p.At(x, y) == index) cells.push_back(std::to_string(x) + "," + std::to_string(y));
    return cells;
}

int CountOf(const PixelBlock& p, uint8_t index) { return static_cast<int>(CellsOf(p, index).size()); }

struct Step {
    int X, Y;
};

// A left-button gesture through the cells.
void Drag(TEditModel& m, const std::vector<Step>& steps, bool shift = false) {
    m.MouseDown(steps.front().X, steps.front().Y);
    for (std::size_t i = 1; i < steps.size(); ++i) m.MouseMove(steps[i].X, steps[i].Y, shift);
    m.MouseUp();
}

class EditModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m.Clear();
        m.MainIndex = 7;
        m.SubIndex = 15;
        m.ResetUndo();
    }
    TEditModel m;
};

} // namespace

TEST(EditModelBasics, ClearGivesTheDefaultPaletteAndWhitePixels) {
    TEditModel m;
    m.Clear();
    EXPECT_EQ(CountOf(m.Image().Pixels, 15), 1024);
    EXPECT_EQ(m.Image().Palette, DefaultPalette());
    EXPECT_EQ(m.Image().Inverse, InverseFlags{});
    EXPECT_EQ(m.ViewPixel(3, 3), clWhite);
    EXPECT_EQ(kDefaultPaletteRGB[7 * 16 + 7], 0xFF00FFu);
    // The key colours must be pairwise distinct.
    std::vector<uint32_t> sorted(kDefaultPaletteRGB, kDefaultPaletteRGB + 256);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
}

TEST(EditModelBasics, TheViewShowsInverseEntriesAsTheirComplement) {
    ImageRecord r;
    r.Palette[1] = TRGBQuad{0x30, 0x20, 0x10, 0};
    r.Inverse[1] = 1;
    r.Pixels.At(2, 5) = 1;
    TEditModel m;
    m.Load(r);
    EXPECT_EQ(m.ViewPixel(2, 5), MakeColor(0xEF, 0xDF, 0xCF));
    EXPECT_EQ(m.ViewPixel(0, 0), clBlack);
}

TEST_F(EditModelTest, APenClickChangesOnePixelAndPushesOneStep) {
    Drag(m, {{4, 6}});
    EXPECT_EQ(CellsOf(m.Image().Pixels, 7), std::vector<std::string>{"4,6"});
    EXPECT_EQ(m.UndoIndex(), 3);
    EXPECT_TRUE(m.CanUndo());
    EXPECT_FALSE(m.CanRedo());
    EXPECT_EQ(m.Image().Pixels.Bytes[(31 - 6) * 32 + 4], 7);  // bottom row first
}

TEST_F(EditModelTest, APenDragJoinsItsCellsWithLines) {
    Drag(m, {{0, 0}, {3, 0}, {3, 2}});
    EXPECT_EQ(CellsOf(m.Image().Pixels, 7), (std::vector<std::string>{"0,0", "1,0", "2,0", "3,0", "3,1", "3,2"}));
    EXPECT_EQ(m.UndoIndex(), 3);
}

TEST_F(EditModelTest, ShapesFollowTheirToolsAndTheShiftRule) {
    struct Case {
        TEditTool Tool;
        Step From, To;
        bool Shift;
        std::vector<std::string> Cells;  // empty: only the count is checked
        int Count;
    };
    const Case cases[] = {
        {TEditTool::Line, {5, 5}, {9, 20}, true, {}, 16},
        {TEditTool::Line, {0, 0}, {31, 31}, false, {}, 32},
        {TEditTool::Line, {2, 3}, {6, 3}, true, {"2,3", "3,3", "4,3", "5,3", "6,3"}, 5},
        {TEditTool::Square, {1, 1}, {3, 3}, false, {"1,1", "2,1", "3,1", "1,2", "3,2", "1,3", "2,3", "3,3"}, 8},
        {TEditTool::FillSquare, {3, 3}, {1, 2}, false, {"1,2", "2,2", "3,2", "1,3", "2,3", "3,3"}, 6},
        {TEditTool::FillSquare, {1, 1}, {4, 2}, true, {}, 16},  // Shift makes it square: 4x4
        // An ellipse at the edges of the grid is clipped to it.
        {TEditTool::FillSquare, {28, 28}, {40, 40}, false, {}, 16},
        {TEditTool::FillCircle, {-10, -10}, {10, 10}, false, {}, 0},
        {TEditTool::Circle, {20, 20}, {45, 45}, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Tool));
        m.Clear();
        m.SetTool(c.Tool);
        m.ResetUndo();
        Drag(m, {c.From, {c.From.X + 1, c.From.Y}, c.To}, c.Shift);
        std::vector<std::string> cells = CellsOf(m.Image().Pixels, 7);
        if (!c.Cells.empty()) {
            EXPECT_EQ(cells, c.Cells);
        }
        if (c.Count) {
            EXPECT_EQ(static_cast<int>(cells.size()), c.Count);
        }
        EXPECT_EQ(m.UndoIndex(), 3);
    }
}

TEST_F(EditModelTest, TheShiftLineFrom5_5To9_20EndsAt20_20) {
    m.SetTool(TEditTool::Line);
    Drag(m, {{5, 5}, {9, 20}}, true);
    EXPECT_EQ(m.LastX(), 20);
    EXPECT_EQ(m.LastY(), 20);
    for (int i = 5; i <= 20; ++i) EXPECT_EQ(m.Image().Pixels.At(i, i), 7) << i;
}

TEST(Raster, EllipsesAreSymmetricAndClippedAtTheEdges) {
    PixelBlock whole, clipped;
    FillEllipse(whole, 0, 0, 32, 32, 1);
    FillEllipse(clipped, -16, -16, 16, 16, 1);
    int inside = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            EXPECT_EQ(whole.At(x, y), whole.At(31 - x, y));
            EXPECT_EQ(whole.At(x, y), whole.At(x, 31 - y));
            inside += whole.At(x, y);
        }
    // The quarter that lies inside the grid equals one quarter of the whole ellipse.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(clipped.At(x, y), whole.At(x + 16, y + 16)) << x << "," << y;
    EXPECT_GT(inside, 700);
    EXPECT_LT(inside, 900);
    PixelBlock outline;
    DrawEllipse(outline, 0, 0, 32, 32, 1);
    EXPECT_EQ(outline.At(0, 16), 1);
    EXPECT_EQ(outline.At(31, 15), 1);
    EXPECT_EQ(outline.At(15, 0), 1);
    EXPECT_EQ(outline.At(16, 31), 1);
    EXPECT_EQ(outline.At(16, 16), 0);
    PixelBlock frame;
    DrawFrame(frame, 30, -5, 40, 2, 1);  // only the part inside is drawn
    EXPECT_EQ(CellsOf(frame, 1), (std::vector<std::string>{"30,0", "30,1", "31,1"}));
}

TEST_F(EditModelTest, FloodFillIsFourConnected) {
    // A diagonal wall of index 1 from (0,4) to (4,0): its corner cells touch only diagonally.
    ImageRecord r = m.Image();
    for (int i = 0; i <= 4; ++i) r.Pixels.At(i, 4 - i) = 1;
    m.Load(r);
    m.ResetUndo();
    m.SetTool(TEditTool::Fill);
    Drag(m, {{0, 0}});
    EXPECT_EQ(CellsOf(m.Image().Pixels, 7), (std::vector<std::string>{"0,0", "1,0", "2,0", "3,0", "0,1", "1,1", "2,1",
                                                                      "0,2", "1,2", "0,3"}));
    // Filling with the index the area already has changes nothing but still is a step.
    Drag(m, {{1, 1}});
    EXPECT_EQ(CountOf(m.Image().Pixels, 7), 10);
    EXPECT_EQ(m.UndoIndex(), 4);
}

TEST_F(EditModelTest, MovingShiftsThePictureAndFillsWithTheBackground) {
    Drag(m, {{0, 0}});
    m.SetTool(TEditTool::Move);
    Drag(m, {{5, 5}, {7, 8}});
    EXPECT_EQ(CellsOf(m.Image().Pixels, 7), std::vector<std::string>{"2,3"});
    Drag(m, {{0, 0}, {40, 0}});
    EXPECT_EQ(CountOf(m.Image().Pixels, 15), 1024);  // everything moved out: all background
    m.MonoMode = true;
    m.SetTool(TEditTool::Move);
    Drag(m, {{0, 0}, {0, 1}});
    EXPECT_EQ(CellsOf(m.Image().Pixels, kMonoInverted).size(), 32u);  // the vacated top row
}

TEST_F(EditModelTest, ARubberBandMakesASelectionUnlessItIsAStraightLine) {
    m.SetTool(TEditTool::Select);
    Drag(m, {{3, 3}, {3, 10}});
    EXPECT_FALSE(m.HasSelection());
    Drag(m, {{30, 30}, {50, 40}});  // clamped to the grid
    ASSERT_TRUE(m.HasSelection());
    EXPECT_EQ(m.Selection(), (TCellRect{30, 30, 32, 32}));
    Drag(m, {{4, 9}, {2, 3}});
    EXPECT_EQ(m.Selection(), (TCellRect{2, 3, 5, 10}));
    EXPECT_FALSE(m.Floating());
    EXPECT_EQ(m.UndoIndex(), 2);
}

TEST_F(EditModelTest, DraggingASelectionLiftsItAndCommitKeepsItsIndices) {
    // Entries 20 and 21 share one colour and 22 is an inverse entry: committing by index
    // keeps each of them, where matching colours would merge or swap them.
    ImageRecord r = m.Image();
    r.Palette[21] = r.Palette[20];
    r.Inverse[22] = 1;
    r.Pixels.At(1, 1) = 20;
    r.Pixels.At(2, 1) = 21;
    r.Pixels.At(1, 2) = 22;
    m.Load(r);
    m.ResetUndo();
    m.SubIndex = 9;
    m.SetTool(TEditTool::Select);
    Drag(m, {{0, 0}, {2, 2}});
    ASSERT_EQ(m.Selection(), (TCellRect{0, 0, 3, 3}));
    Drag(m, {{1, 1}, {11, 6}});
    EXPECT_TRUE(m.Floating());
    EXPECT_EQ(m.Selection(), (TCellRect{10, 5, 13, 8}));
    EXPECT_EQ(CountOf(m.Image().Pixels, 9), 9);  // the lifted rectangle: the sub colour
    EXPECT_EQ(m.ViewPixel(11, 6), QuadToColor(r.Palette[20]));
    EXPECT_EQ(m.UndoIndex(), 2);  // dragging pushes nothing
    m.SetTool(TEditTool::Pen);    // commits
    EXPECT_FALSE(m.HasSelection());
    EXPECT_EQ(m.Image().Pixels.At(11, 6), 20);
    EXPECT_EQ(m.Image().Pixels.At(12, 6), 21);
    EXPECT_EQ(m.Image().Pixels.At(11, 7), 22);
    EXPECT_EQ(m.Image().Pixels.At(10, 5), 15);
    EXPECT_EQ(m.UndoIndex(), 3);
}

TEST_F(EditModelTest, SelectionsMovedOutOfTheImageAndTransparentPastes) {
    m.SetTool(TEditTool::Select);
    Drag(m, {{0, 0}, {3, 3}});
    Drag(m, {{1, 1}, {41, 1}});  // moved by (40, 0): off the image
    m.DropSelection();
    EXPECT_EQ(CountOf(m.Image().Pixels, 15), 1024);  // the lift left the sub colour, white here
    // A paste with the transparent mode leaves the sub colour's pixels out.
    m.TransMode = true;
    m.PasteCells(2, 1, {15, 3});
    EXPECT_TRUE(m.Floating());
    m.SelectAll();  // commits the paste first
    EXPECT_EQ(m.Image().Pixels.At(0, 0), 15);
    EXPECT_EQ(m.Image().Pixels.At(1, 0), 3);
    EXPECT_EQ(m.Selection(), (TCellRect{0, 0, 32, 32}));
}

TEST_F(EditModelTest, MonochromeLiftsLeaveTransparentPixels) {
    m.MonoMode = true;
    m.SubIndex = 0;
    m.SetTool(TEditTool::Select);
    Drag(m, {{0, 0}, {1, 1}});
    Drag(m, {{0, 0}, {5, 5}});
    EXPECT_EQ(CellsOf(m.Image().Pixels, kMonoTransparent), (std::vector<std::string>{"0,0", "1,0", "0,1", "1,1"}));
}

TEST_F(EditModelTest, DeleteFillsWithTheSubColourAndTheMaskIsOnlyForTheClipboard) {
    Drag(m, {{1, 1}});
    m.SetTool(TEditTool::Select);
    Drag(m, {{0, 0}, {2, 2}});
    std::vector<uint8_t> before = m.SelectionCells();
    std::vector<bool> mask = m.SelectionMask();
    EXPECT_EQ(std::count(mask.begin(), mask.end(), false), 1);
    EXPECT_EQ(m.SelectionCells(), before);
    m.SubIndex = 4;
    m.TransMode = true;
    m.DeleteSelection();
    EXPECT_EQ(CountOf(m.Image().Pixels, 4), 9);
    EXPECT_TRUE(m.TransMode);
    EXPECT_FALSE(m.HasSelection());
}

TEST_F(EditModelTest, TurnsMoveTheIndices) {
    Drag(m, {{1, 0}});  // a marker at (1, 0)
    struct Case {
        TImageTurn Turn;
        std::string Cell;
    };
    const Case cases[] = {{TImageTurn::MirrorLeftRight, "30,0"},
                          {TImageTurn::FlipTopBottom, "1,31"},
                          {TImageTurn::RotateClockwise, "31,1"},
                          {TImageTurn::RotateAnticlockwise, "0,30"}};
    for (const Case& c : cases) {
        TEditModel t = m;
        t.Turn(c.Turn);
        EXPECT_EQ(CellsOf(t.Image().Pixels, 7), std::vector<std::string>{c.Cell});
        EXPECT_EQ(t.UndoIndex(), 4);
    }
}

TEST_F(EditModelTest, UndoAndRedoRestoreTheExactImages) {
    ImageRecord start = m.Image();
    EXPECT_FALSE(m.CanUndo());
    EXPECT_FALSE(m.CanRedo());
    Drag(m, {{1, 1}});
    ImageRecord e1 = m.Image();
    Drag(m, {{2, 2}});
    ImageRecord e2 = m.Image();
    m.Undo();
    EXPECT_EQ(m.Image().Pixels, e1.Pixels);
    Drag(m, {{3, 3}});
    ImageRecord e3 = m.Image();
    // The new edit goes before the undone one, which redo still reaches.
    ASSERT_EQ(m.UndoList().size(), 5u);
    EXPECT_EQ(m.UndoIndex(), 4);
    const ImageRecord order[] = {start, start, e1, e3, e2};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(m.UndoList()[i].Image.Pixels, order[i].Pixels) << i;
    EXPECT_TRUE(m.CanRedo());
    m.Redo();
    EXPECT_EQ(m.Image().Pixels, e2.Pixels);
    EXPECT_FALSE(m.CanRedo());
    m.Undo();
    m.Undo();
    m.Undo();
    EXPECT_EQ(m.Image().Pixels, start.Pixels);
    EXPECT_FALSE(m.CanUndo());
    m.Undo();  // nothing more to undo
    EXPECT_EQ(m.UndoIndex(), 2);
    // Palette changes are restored too.
    m.MutableImage().Palette[3] = TRGBQuad{1, 2, 3, 0};
    m.PushUndo();
    m.Undo();
    EXPECT_EQ(m.Image().Palette, start.Palette);
}

TEST_F(EditModelTest, UndoWithAFloatingPasteFirstWritesIt) {
    Drag(m, {{5, 5}});
    m.PasteCells(1, 1, {3});
    int before = m.UndoIndex();
    m.Undo();
    EXPECT_EQ(m.UndoIndex(), before);  // the commit pushed one step, undo took it back
    EXPECT_EQ(CountOf(m.Image().Pixels, 3), 0);
    EXPECT_EQ(CountOf(m.Image().Pixels, 7), 1);  // the pen edit before the paste stays
    m.Redo();
    EXPECT_EQ(m.Image().Pixels.At(0, 0), 3);
}
