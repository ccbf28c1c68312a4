#include "app/ImageModel.h"

#include <gtest/gtest.h>

namespace {

struct Image {
    PixelBlock Pixels;
    ImagePalette Palette{};
    InverseFlags Inverse{};
    Image() {
        for (int i = 0; i < 256; ++i) Palette[i] = TRGBQuad{static_cast<uint8_t>(i), 10, 20, 0};  // no black entry
    }
};

} // namespace

TEST(OutCopy, WithoutABlackEntryTheTransparentEntryTurnsBlack) {
    Image im;
    im.Pixels.At(3, 4) = 7;
    im.Pixels.At(0, 0) = 7;
    CursorImageParts p = DeriveCursorParts(im.Pixels, im.Palette, im.Inverse, 3, 4, true);
    EXPECT_EQ(p.OutPalette[7], (TRGBQuad{0, 0, 0, 0}));
    EXPECT_EQ(p.OutPalette[8], im.Palette[8]);
    EXPECT_TRUE(std::equal(p.OutPixels.Bytes, p.OutPixels.Bytes + kIndexBytes, im.Pixels.Bytes));
    EXPECT_EQ(p.AndMask[4][3], 1);
    EXPECT_EQ(p.AndMask[0][0], 1);
    EXPECT_EQ(p.AndMask[0][1], 0);  // index 0 is opaque
    EXPECT_EQ(p.XorImage[4][3], clBlack);
}

TEST(OutCopy, TransparentPixelsPointAtTheLowestBlackEntry) {
    Image im;
    im.Palette[12] = TRGBQuad{0, 0, 0, 9};  // the fourth byte is not looked at
    im.Palette[40] = TRGBQuad{0, 0, 0, 0};
    for (int x = 0; x < 32; ++x) im.Pixels.At(x, 5) = 3;
    CursorImageParts p = DeriveCursorParts(im.Pixels, im.Palette, im.Inverse, 0, 5, true);
    for (int x = 0; x < 32; ++x) EXPECT_EQ(p.OutPixels.At(x, 5), 12);
    EXPECT_EQ(p.OutPixels.At(0, 6), 0);
    EXPECT_EQ(p.OutPalette, im.Palette);
}

TEST(OutCopy, WithTransparencyOffEveryOrdinaryPixelIsOpaqueAndTheCopyIsUnchanged) {
    Image im;
    im.Pixels.At(9, 9) = 200;
    CursorImageParts p = DeriveCursorParts(im.Pixels, im.Palette, im.Inverse, 9, 9, false);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) EXPECT_EQ(p.AndMask[y][x], 0);
    EXPECT_TRUE(std::equal(p.OutPixels.Bytes, p.OutPixels.Bytes + kIndexBytes, im.Pixels.Bytes));
    EXPECT_EQ(p.OutPalette, im.Palette);
    EXPECT_EQ(p.XorImage[9][9], MakeColor(20, 10, 200));
}

TEST(OutCopy, InversePixelsLetTheScreenThroughAndCarryTheirPaletteColour) {
    Image im;
    im.Palette[5] = TRGBQuad{255, 255, 255, 0};  // white inverse: the complement of the screen
    im.Inverse[5] = 1;
    im.Pixels.At(1, 2) = 5;
    CursorImageParts p = DeriveCursorParts(im.Pixels, im.Palette, im.Inverse, 31, 31, true);
    EXPECT_EQ(p.AndMask[2][1], 1);
    EXPECT_EQ(p.XorImage[2][1], clWhite);
    EXPECT_EQ(ShownColour(im.Palette, im.Inverse, 5), clBlack);
}

TEST(OutCopy, TheMaskAreaHoldsTheAndMaskBottomRowFirst) {
    Image im;
    im.Pixels.At(0, 0) = 1;  // top-left is the transparent index
    CursorImageParts p = DeriveCursorParts(im.Pixels, im.Palette, im.Inverse, 0, 0, true);
    // Top row is stored last: byte 1024 + 31 * 4, most significant bit = x 0.
    EXPECT_EQ(p.OutPixels.Bytes[1024 + 31 * 4], 0x80);
    EXPECT_EQ(p.OutPixels.Bytes[1024], 0x00);
    EXPECT_TRUE(p.OutPixels.MaskBit(0, 0));
    EXPECT_FALSE(p.OutPixels.MaskBit(1, 0));
}

TEST(UniqueNames, CountUpFromTheFirstFreeSuffix) {
    std::vector<std::string> names;
    EXPECT_EQ(MakeUniqueName("ｲﾒｰｼﾞ", names), "ｲﾒｰｼﾞ");
    names.push_back("ｲﾒｰｼﾞ");
    EXPECT_EQ(MakeUniqueName("ｲﾒｰｼﾞ", names), "ｲﾒｰｼﾞ1");
    names.push_back("ｲﾒｰｼﾞ1");
    EXPECT_EQ(MakeUniqueName("ｲﾒｰｼﾞ", names), "ｲﾒｰｼﾞ2");
    EXPECT_EQ(MakeUniqueName("other", names), "other");
}
