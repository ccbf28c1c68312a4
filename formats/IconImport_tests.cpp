#include <gtest/gtest.h>

#include "IconFile.h"
#include "PictureImport.h"
#include "formats/IconTestImages.h"

namespace {

// An 8-bit Out copy: every pixel index 1 (red), opaque.
ImportedImage EightBit() {
    ImportedImage im;
    im.OutPalette[0] = ColorToQuad(clBlack);
    im.OutPalette[1] = ColorToQuad(clRed);
    im.OutPalette[2] = ColorToQuad(MakeColor(250, 250, 250));  // near white
    im.OutPalette[3] = ColorToQuad(clLime);
    std::fill(im.OutPixels.Bytes, im.OutPixels.Bytes + kIndexBytes, uint8_t(1));
    return im;
}

void Mask(ImportedImage& im, int x, int y, uint8_t index) {
    im.OutPixels.At(x, y) = index;
    im.OutPixels.SetMaskBit(x, y, true);
}

} // namespace

TEST(IconImport, RemapsMaskedBlackToTheBackgroundAndMaskedColoursToInverse) {
    ImportedImage im = EightBit();
    Mask(im, 3, 4, 0);   // transparent
    Mask(im, 9, 30, 0);  // transparent, found first (bottom rows first)
    Mask(im, 5, 5, 3);   // screen-coloured: inverse
    RemapImageColours(im, clWhite);
    // The near-white entry 2 is used by no pixel at all, so it is taken for the background.
    EXPECT_EQ(im.Cur.Pixels.At(3, 4), 2);
    EXPECT_EQ(im.Cur.Pixels.At(9, 30), 2);
    EXPECT_EQ(im.Cur.Palette[2], ColorToQuad(clWhite));
    EXPECT_EQ(im.Cur.Inverse[3], 1);
    EXPECT_EQ(im.Cur.Inverse[1], 0);
    EXPECT_TRUE(im.Transparent);
    EXPECT_EQ(im.TransX, 3);  // the last transparent pixel in storage order
    EXPECT_EQ(im.TransY, 4);
    EXPECT_EQ(im.OutPixels.At(3, 4), 0);  // the Out copy keeps the file's data
}

TEST(IconImport, NeverReusesAnEntryThatOpaquePixelsShow) {
    ImportedImage im = EightBit();
    im.OutPixels.At(0, 0) = 2;  // an opaque near-white pixel
    Mask(im, 3, 4, 0);
    RemapImageColours(im, clWhite);
    const int bg = im.Cur.Pixels.At(3, 4);
    EXPECT_EQ(bg, 255);  // the highest free entry instead
    EXPECT_EQ(im.Cur.Palette[255], ColorToQuad(clWhite));
    EXPECT_EQ(im.Cur.Pixels.At(0, 0), 2);
    EXPECT_EQ(im.Cur.Palette[2], ColorToQuad(MakeColor(250, 250, 250)));
}

TEST(IconImport, ReusesAnUnusedEntryOnlyWithin16OfTheBackgroundInEachChannel) {
    struct Case {
        TColor Entry;  // the unused entry 2, nearest to the white background
        int Background;
    } cases[] = {{MakeColor(239, 255, 255), 2}, {MakeColor(255, 239, 255), 2}, {MakeColor(255, 255, 239), 2},
                 {MakeColor(238, 255, 255), 255}, {MakeColor(255, 238, 255), 255}, {MakeColor(255, 255, 238), 255}};
    for (const Case& k : cases) {
        ImportedImage im = EightBit();
        im.OutPalette[2] = ColorToQuad(k.Entry);
        Mask(im, 3, 4, 0);
        RemapImageColours(im, clWhite);
        EXPECT_EQ(im.Cur.Pixels.At(3, 4), k.Background) << std::hex << k.Entry;
        EXPECT_EQ(im.Cur.Palette[static_cast<std::size_t>(k.Background)], ColorToQuad(clWhite));
    }
}

TEST(IconImport, WithEveryEntryInUseLendsOnlyAnEntryOfTransparentPixels) {
    ImportedImage im = EightBit();
    for (int i = 0; i < kIndexBytes; ++i) im.OutPixels.Bytes[i] = static_cast<uint8_t>(i % 256);
    for (int i = 4; i < 256; ++i) im.OutPalette[static_cast<std::size_t>(i)] = ColorToQuad(MakeColor(1, 2, uint8_t(i)));
    // Index 0 (black) shows opaque pixels elsewhere; entry 7 made black is used only by masked pixels.
    im.OutPalette[7] = ColorToQuad(clBlack);
    for (int i = 7; i < kIndexBytes; i += 256) {
        int x = i % 32, y = 31 - i / 32;
        im.OutPixels.SetMaskBit(x, y, true);
    }
    Mask(im, 0, 31, 0);  // first in storage order, but entry 0 is shown by opaque pixels
    RemapImageColours(im, clWhite);
    EXPECT_TRUE(im.Transparent);
    EXPECT_EQ(im.Cur.Pixels.At(im.TransX, im.TransY), 7);
    EXPECT_EQ(im.Cur.Palette[7], ColorToQuad(clWhite));
    EXPECT_EQ(im.Cur.Palette[0], ColorToQuad(clBlack));
}

TEST(IconImport, ExpandsFourAndOneBitData) {
    ImportedImage four;
    four.OutPixels.Bytes[0] = 0xA5;    // bottom row: pixels 0 and 1
    four.OutPixels.Bytes[511] = 0x3C;  // top row: pixels 30 and 31
    four.OutPixels.Bytes[512] = 0x80;  // mask of the bottom-left pixel
    four.OutPalette[20] = ColorToQuad(clRed);
    Expand4BitImage(four);
    EXPECT_EQ(four.OutPixels.At(0, 31), 0xA);
    EXPECT_EQ(four.OutPixels.At(1, 31), 0x5);
    EXPECT_EQ(four.OutPixels.At(31, 0), 0xC);
    EXPECT_TRUE(four.OutPixels.MaskBit(0, 31));
    EXPECT_EQ(four.OutPalette[20], TRGBQuad{});

    ImportedImage one;
    one.OutPixels.Bytes[0] = 0xC0;          // bottom row: colour bits of pixels 0, 1
    one.OutPixels.Bytes[128] = 0xA0;        // mask bits of pixels 0 and 2
    one.OutPixels.Bytes[128 + 31 * 4 + 3] = 1;  // top row, pixel 31 masked, colour 0
    Expand1BitImage(one);
    EXPECT_EQ(one.Cur.Pixels.At(0, 31), 2);  // colour 1, masked: inverse
    EXPECT_EQ(one.Cur.Pixels.At(1, 31), 1);
    EXPECT_EQ(one.Cur.Pixels.At(2, 31), 3);  // colour 0, masked: transparent
    EXPECT_EQ(one.Cur.Pixels.At(3, 31), 0);
    EXPECT_EQ(one.Cur.Inverse[2], 1);
    EXPECT_EQ(one.Cur.Palette[3], (TRGBQuad{128, 128, 0, 0}));
    EXPECT_EQ(one.OutPalette[3], TRGBQuad{});
    EXPECT_EQ(one.TransX, 31);  // the last transparent pixel
    EXPECT_EQ(one.TransY, 0);
    EXPECT_TRUE(one.Transparent);
    EXPECT_TRUE(one.OutPixels.MaskBit(0, 31));
}

TEST(IconImport, ReadsIconsAndCursorsOfIcotool) {
    struct Case {
        const char* File;
        IconLoadResult Result;
        IconImportNote Note;
        int HotX, HotY;
        bool AskedOneBit;
    };
    const Case cases[] = {
        {"icotool_1bit.cur", IconLoadResult::Loaded, IconImportNote::None, 5, 7, true},
        {"icotool_4bit.ico", IconLoadResult::Loaded, IconImportNote::None, 0, 0, false},
        {"icotool_8bit.cur", IconLoadResult::Loaded, IconImportNote::None, 31, 2, false},
        {"icotool_32bit.ico", IconLoadResult::Invalid, IconImportNote::TrueColourOnly, 0, 0, false},
        {"icotool_raw.ico", IconLoadResult::Invalid, IconImportNote::TrueColourOnly, 0, 0, false},
        {"pillow_png.ico", IconLoadResult::Invalid, IconImportNote::TrueColourOnly, 0, 0, false},
    };
    for (const Case& c : cases) {
        TIconFile icons;
        ImportedImage im;
        bool asked = false, oneBit = false;
        IconImport r = ReadIconFile(IconFixture(c.File), icons,
                                    [&](bool one) {
                                        asked = true;
                                        oneBit = one;
                                        return clYellow;
                                    },
                                    im);
        EXPECT_EQ(r.Result, c.Result) << c.File;
        EXPECT_EQ(r.Note, c.Note) << c.File;
        if (r.Result != IconLoadResult::Loaded) continue;
        EXPECT_TRUE(asked) << c.File;
        EXPECT_EQ(oneBit, c.AskedOneBit) << c.File;
        EXPECT_EQ(im.HotX, c.HotX) << c.File;
        EXPECT_EQ(im.HotY, c.HotY) << c.File;
        EXPECT_EQ(im.TransColour, clYellow) << c.File;
        // Corner pixels are transparent; (9, 12) is opaque and keeps its colour.
        if (!c.AskedOneBit) {
            EXPECT_TRUE(im.Transparent) << c.File;
            EXPECT_EQ(QuadToColor(im.Cur.Palette[im.Cur.Pixels.At(2, 3)]), clYellow) << c.File;
            EXPECT_EQ(QuadToColor(im.Cur.Palette[im.Cur.Pixels.At(im.TransX, im.TransY)]), clYellow) << c.File;
            EXPECT_NE(QuadToColor(im.Cur.Palette[im.Cur.Pixels.At(9, 12)]), clYellow) << c.File;
        } else {
            EXPECT_EQ(im.Cur.Pixels.At(2, 3), 3) << c.File;
            EXPECT_EQ(im.Cur.Pixels.At(9, 12), 1) << c.File;  // (9 + 12) odd: white
        }
    }
}

TEST(IconImport, ReportsOtherSizesAndClampsACursorHotspot) {
    TIconFile icons;
    TBitmap big(48, 48, TPixelFormat::pf8bit);
    ASSERT_TRUE(icons.AddIcon(0, 0, big, TBitmap(48, 48, TPixelFormat::pf1bit)));
    icons.DrawImage(0);
    ImportedImage im;
    IconImport r = ReadIconImage(icons, nullptr, im);
    EXPECT_EQ(r.Result, IconLoadResult::Invalid);
    EXPECT_EQ(r.Note, IconImportNote::UnsupportedSize);
    EXPECT_EQ(r.Width, 48);
    EXPECT_EQ(r.Height, 48);

    TIconFile cur;
    ASSERT_TRUE(cur.AddIcon(200, 40, TBitmap(32, 32, TPixelFormat::pf8bit), TBitmap(32, 32, TPixelFormat::pf1bit)));
    std::string path = ::testing::TempDir() + "icon_import_hot.cur";
    ASSERT_EQ(cur.SaveIcon(true, path), IconSaveResult::Saved);
    TIconFile loaded;
    ASSERT_EQ(ReadIconFile(path, loaded, nullptr, im).Result, IconLoadResult::Loaded);
    EXPECT_EQ(im.HotX, 31);
    EXPECT_EQ(im.HotY, 31);
    ASSERT_EQ(cur.SaveIcon(false, path), IconSaveResult::Saved);  // the same words in an icon are no hotspot
    ASSERT_EQ(ReadIconFile(path, loaded, nullptr, im).Result, IconLoadResult::Loaded);
    EXPECT_EQ(im.HotX, 0);
    EXPECT_EQ(im.HotY, 0);
    EXPECT_EQ(ReadIconFile(path + ".missing", loaded, nullptr, im).Result, IconLoadResult::Unreadable);
}
