#include "PaletteGrid.h"

#include <gtest/gtest.h>

#include "BuiltInPalettes.h"
#include "ColourBoxes.h"
#include "PaletteEdit.h"

namespace {

TEST(PaletteGrid, HitTestStopsAtTheGridAndAtEntryThreeInMonochrome) {
    EXPECT_EQ(PaletteEntryAt(191, 191, false), 255);
    EXPECT_EQ(PaletteEntryAt(192, 0, false), -1);
    EXPECT_EQ(PaletteEntryAt(0, 192, false), -1);
    EXPECT_EQ(PaletteEntryAt(-1, 5, false), -1);
    EXPECT_EQ(PaletteEntryAt(12 * 8, 12 * 12, false), 200);
    EXPECT_EQ(PaletteEntryAt(47, 11, true), 3);
    EXPECT_EQ(PaletteEntryAt(48, 0, true), -1);
    EXPECT_EQ(PaletteEntryAt(0, 12, true), -1);
}

TEST(PaletteGrid, CellsShowTheDisplayedColourFramedByFlagAndSelection) {
    ImageRecord image;
    image.Palette = DefaultPalette();
    ToggleInverse(image, 20);
    TBitmap grid;
    RenderPaletteGrid(image, TPaletteGridState{2, 5, true, false}, grid);
    ASSERT_EQ(grid.Width(), 193);
    ASSERT_EQ(grid.Height(), 193);
    auto centre = [&](int i) { return grid.Pixel(PaletteCellX(i) + 6, PaletteCellY(i) + 6); };
    EXPECT_EQ(centre(7), QuadToColor(DefaultPalette()[7]));
    EXPECT_EQ(centre(20), QuadToColor(DefaultPalette()[20]));           // inverse: shown as the user sees it
    EXPECT_EQ(grid.Pixel(PaletteCellX(20) + 1, PaletteCellY(20) + 6), clWhite);  // inverse cell framed white
    EXPECT_EQ(grid.Pixel(PaletteCellX(7) + 11, PaletteCellY(7) + 6), clBlack);
    EXPECT_EQ(grid.Pixel(PaletteCellX(2), PaletteCellY(2) + 6), clRed);    // main
    EXPECT_EQ(grid.Pixel(PaletteCellX(5) + 12, PaletteCellY(5) + 3), clBlue);  // sub
    EXPECT_EQ(grid.Pixel(PaletteCellX(3) + 6, PaletteCellY(3)), clGray);   // the range, sub excluded
    EXPECT_EQ(grid.Pixel(PaletteCellX(9) + 6, PaletteCellY(9)), clSilver);
    EXPECT_EQ(grid.Pixel(192, 192), clSilver);

    TBitmap mono;
    RenderPaletteGrid(image, TPaletteGridState{0, 3, false, true}, mono);
    EXPECT_EQ(mono.Pixel(PaletteCellX(3) + 6, PaletteCellY(3) + 6), QuadToColor(DefaultPalette()[3]));
    EXPECT_EQ(mono.Pixel(PaletteCellX(4) + 6, PaletteCellY(4) + 6), clSilver);
}

TEST(ColourBoxes, EachFormShowsItsLabelsRangesAndPositions) {
    TColourBoxes rgb = ColourBoxesFor(TColourForm::RGB, MakeColor(255, 128, 0));
    EXPECT_EQ(rgb.Labels[0], "R :");
    EXPECT_EQ(rgb.Position, (std::array<int, 3>{255, 128, 0}));
    TColourBoxes cmy = ColourBoxesFor(TColourForm::CMY, MakeColor(255, 128, 0));
    EXPECT_EQ(cmy.Labels[2], "Y :");
    EXPECT_EQ(cmy.Position, (std::array<int, 3>{0, 127, 255}));
    TColourBoxes hsl = ColourBoxesFor(TColourForm::HSL, MakeColor(255, 0, 0));
    EXPECT_EQ(hsl.Labels[1], "S :");
    EXPECT_EQ(hsl.Max, (std::array<int, 3>{1529, 128, 510}));
    EXPECT_EQ(hsl.Position, (std::array<int, 3>{0, 128, 255}));
    EXPECT_EQ(ColourFromBoxes(TColourForm::HSL, 0, 128, 255), MakeColor(255, 0, 0));
    EXPECT_EQ(ColourFromBoxes(TColourForm::CMY, 0, 127, 255), MakeColor(255, 128, 0));
    EXPECT_EQ(ColourFromBoxes(TColourForm::RGB, 1, 2, 3), MakeColor(1, 2, 3));
}

}  // namespace
