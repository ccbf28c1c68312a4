#include "BitmapPalette_win.h"

#include <gtest/gtest.h>

TEST(SfuncWin, PaletteHandlesWrapTheValueVersions) {
    TGLDPalRGB table[3] = {{0, 0, 0, 0}, {0, 0, 200, 0}, {50, 60, 70, 0}};
    HPALETTE pal = Sfunc::CreatePaletteHandle(table, 3);
    ASSERT_NE(pal, nullptr);
    TGLDPalRGB out[256] = {};
    EXPECT_EQ(Sfunc::GetPaletteColorTable(pal, out), 3);
    EXPECT_EQ(out[2].Red, 70);
    EXPECT_EQ(out[2].Blue, 50);
    EXPECT_EQ(Sfunc::GetPaletteColor(pal, 1), MakeColor(200, 0, 0));
    EXPECT_EQ(Sfunc::GetNearestPaletteIndex(pal, MakeColor(190, 5, 5)), 1);
    ::DeleteObject(pal);
    EXPECT_EQ(Sfunc::GetNearestPaletteIndex(static_cast<HPALETTE>(nullptr), clWhite), -1);
}
