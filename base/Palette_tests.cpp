#include <gtest/gtest.h>

#include "base/Palette.h"

// The two rules side by side: where they part and how each breaks ties.
TEST(Palette, NearestColourRulesAndTheirTies) {
    const std::vector<TRGBQuad> pal = {
        ColorToQuad(MakeColor(10, 10, 10)), ColorToQuad(MakeColor(25, 0, 0)), ColorToQuad(MakeColor(0, 40, 0)),
        ColorToQuad(MakeColor(0, 0, 40)), ColorToQuad(MakeColor(25, 0, 0)),
    };
    const struct {
        TColor colour;
        int squared, sum;
    } cases[] = {
        {MakeColor(0, 0, 0), 0, 1},     // 300 beats 625; 25 beats 30, and 1 comes before the equal 4
        {MakeColor(0, 30, 30), 0, 2},   // 900 beats 1000; 40 twice (2 and 3) beats 50
        {MakeColor(0, 45, 45), 2, 2},   // 2 and 3 tie under both rules
        {MakeColor(25, 0, 0), 1, 1},    // exact: the first of two equal entries
    };
    for (const auto& k : cases) {
        EXPECT_EQ(NearestPaletteIndex(pal, k.colour), k.squared) << std::hex << k.colour;
        EXPECT_EQ(NearestBySumOfDifferences(pal.data(), static_cast<int>(pal.size()), k.colour), k.sum)
            << std::hex << k.colour;
    }
    EXPECT_EQ(NearestPaletteIndex(pal.data(), 0, clWhite), 0);
    EXPECT_EQ(NearestBySumOfDifferences(pal.data(), 0, clWhite), 0);
}
