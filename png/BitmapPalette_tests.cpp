#include "BitmapPalette.h"

#include <gtest/gtest.h>

using namespace Sfunc;

TEST(Sfunc, LineSizeIsPaddedToFourBytes) {
    EXPECT_EQ(GetLineSize(32, 8), 32);
    EXPECT_EQ(GetLineSize(32, 1), 4);
    EXPECT_EQ(GetLineSize(3, 24), 12);
    EXPECT_EQ(GetLineSize(5, 4), 4);
    EXPECT_EQ(GetDIBMemLen(3, -2, 24), 24);
}

TEST(Sfunc, NearestEntryUsesChannelDifferencesAndFirstOfEquals) {
    std::vector<TGLDPalRGB> pal = {{0, 0, 0, 0}, {10, 10, 10, 0}, {10, 10, 10, 0}, {0, 0, 30, 0}};
    EXPECT_EQ(GetNearestPaletteIndex(pal, MakeColor(10, 10, 10)), 1);  // exact: the first such entry
    EXPECT_EQ(GetNearestPaletteIndex(pal, MakeColor(5, 5, 5)), 0);     // 15 and 15: the lower index
    // Sum of differences, not squares: (24,0,0) is 24 from entry 3 and 30 + 6 from entry 1.
    EXPECT_EQ(GetNearestPaletteIndex(pal, MakeColor(24, 0, 0)), 3);
    EXPECT_EQ(GetNearestPaletteIndex({}, clWhite), -1);
    EXPECT_EQ(GetNearestColorTableIndex(pal.data(), clWhite, 0), 0);
    EXPECT_EQ(GetNearestPaletteColor(pal, MakeColor(29, 0, 0)), MakeColor(30, 0, 0));
    EXPECT_EQ(GetPaletteColor(pal, 4), -1);
}

TEST(Sfunc, GreyPalettesAreEvenlySpaced) {
    TGLDPalRGB t[256];
    ASSERT_EQ(CreateGrayScalePalette(t, 2), 4);
    EXPECT_EQ(t[1].Red, 85);
    EXPECT_EQ(t[3].Blue, 255);
    EXPECT_EQ(CreateGrayScalePalette(t, 1), 2);
    EXPECT_EQ(t[1].Green, 255);
    EXPECT_EQ(CreateGrayScalePalette(t, 4), 16);
    EXPECT_EQ(t[15].Red, 255);
    EXPECT_EQ(CreateGrayScalePalette(t, 16), 256);
}

TEST(Sfunc, CopyPixelLinePacksSubBytePixelsFromTheTopBit) {
    const uint8_t one[] = {0b00110101, 0b10000000};
    uint8_t out[2] = {0xFF, 0xFF};
    CopyPixelLine(out, one, 1, 2, 7);  // pixels 2..8: 1 1 0 1 0 1 1
    EXPECT_EQ(out[0] & 0xFE, 0b11010110);
    const uint8_t four[] = {0x12, 0x34};
    CopyPixelLine(out, four, 4, 1, 3);
    EXPECT_EQ(out[0], 0x23);
    EXPECT_EQ(out[1] >> 4, 4);
}

TEST(Sfunc, SmallHelpers) {
    EXPECT_EQ(ConvertInchToMeter(72), 2834);
    EXPECT_EQ(ConvertInchToMeter(96), 3779);
    EXPECT_EQ(Sgn(-5), -1);
    EXPECT_EQ(GetMaskShift(0xF800), 8);
    EXPECT_EQ(GetMaskShift(0x1F), -3);
    EXPECT_EQ(GetMaskShift(0xFF), 0);
    EXPECT_EQ(FixMul(3 << 16, 1 << 15), 3 << 15);
    EXPECT_TRUE(CheckRect(0, 0, 10, 10, 10, 10, 5, 5));  // touching counts
    EXPECT_FALSE(CheckRect(0, 0, 10, 10, 11, 0, 5, 5));
    EXPECT_EQ(SwapBR(0x123456), 0x563412);
    EXPECT_EQ(BitBAnd[32], 0xFFFFFFFFu);
    EXPECT_EQ(BitRAnd[0], ~0x80u);
    EXPECT_EQ(AbsDiff[static_cast<unsigned>(3 - 250) & 511], 247);
    uint8_t header[40] = {};
    header[14] = 4;
    EXPECT_EQ(GetMaxColor(header), 16);
    header[32] = 5;
    EXPECT_EQ(GetMaxColor(header), 5);
}
