#include "ColourBoxes.h"

#include <gtest/gtest.h>

namespace {

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
