#include "PaletteEdit.h"

#include <gtest/gtest.h>

#include "BuiltInPalettes.h"
#include "PaletteColour.h"

namespace {

// The default palette and a picture using entry i % 256 at pixel i.
ImageRecord Striped() {
    ImageRecord image;
    image.Palette = DefaultPalette();
    for (int i = 0; i < kIndexBytes; ++i) image.Pixels.Bytes[i] = static_cast<uint8_t>(i % 256);
    image.Pixels.Bytes[kIndexBytes] = 0xA5;  // the mask area is carried along
    return image;
}

TColor Rgb(uint32_t rrggbb) { return MakeColor(uint8_t(rrggbb >> 16), uint8_t(rrggbb >> 8), uint8_t(rrggbb)); }

TEST(PaletteEdit, MovingAnEntryKeepsThePictureAndShiftsTheEntriesBetween) {
    for (auto [from, to] : {std::pair{3, 0}, std::pair{0, 3}, std::pair{17, 200}, std::pair{255, 0}}) {
        ImageRecord image = Striped();
        image.Inverse[from] = 1;
        const ImageRecord old = image;
        MoveEntry(image, from, to);
        EXPECT_EQ(ViewOf(image), ViewOf(old)) << from << "->" << to;
        EXPECT_EQ(image.Palette[to], old.Palette[from]);
        EXPECT_EQ(image.Inverse[to], 1);
        EXPECT_EQ(image.Pixels.Bytes[kIndexBytes], 0xA5);
    }
    ImageRecord image = Striped();
    MoveEntry(image, 3, 0);
    EXPECT_EQ(image.Palette[0], DefaultPalette()[3]);
    EXPECT_EQ(image.Palette[1], DefaultPalette()[0]);
    EXPECT_EQ(image.Palette[3], DefaultPalette()[2]);
    EXPECT_EQ(image.Palette[4], DefaultPalette()[4]);
    ImageRecord same = Striped();
    MoveEntry(same, 5, 5);
    MoveEntry(same, 5, 256);  // outside the grid: nothing
    EXPECT_EQ(same.Palette, DefaultPalette());
}

TEST(PaletteEdit, InsertingAGapMovesEntriesAndPixelsUp) {
    ImageRecord image = Striped();
    InsertPaletteGap(image, 250, 4);
    EXPECT_EQ(image.Palette[254], DefaultPalette()[250]);
    EXPECT_EQ(image.Palette[255], DefaultPalette()[251]);
    EXPECT_EQ(image.Palette[250], DefaultPalette()[250]);  // the gap keeps its old colours
    EXPECT_EQ(image.Pixels.Bytes[250], 254);
    EXPECT_EQ(image.Pixels.Bytes[251], 255);
    EXPECT_EQ(image.Pixels.Bytes[253], 255);  // its entry was pushed out
    EXPECT_EQ(image.Pixels.Bytes[249], 249);
}

TEST(PaletteEdit, DeletingARangeMovesTheRestDownAndBlackensTheEnd) {
    ImageRecord image = Striped();
    image.Inverse[12] = 1;
    DeletePaletteRange(image, 9, 0);
    for (int i = 0; i < 246; ++i) ASSERT_EQ(image.Palette[i], DefaultPalette()[i + 10]) << i;
    for (int i = 246; i < 256; ++i) ASSERT_EQ(image.Palette[i], TRGBQuad{}) << i;
    EXPECT_EQ(image.Inverse[2], 1);
    EXPECT_EQ(image.Pixels.Bytes[10], 0);
    EXPECT_EQ(image.Pixels.Bytes[255], 245);
    EXPECT_EQ(image.Pixels.Bytes[0], 246);  // the k-th deleted entry's pixels land on the k-th black one
    EXPECT_EQ(image.Pixels.Bytes[9], 255);
}

TEST(PaletteEdit, SwappingEntriesKeepsThePixelIndices) {
    ImageRecord image = Striped();
    image.Inverse[1] = 1;
    SwapEntries(image, 1, 200);
    EXPECT_EQ(image.Palette[1], DefaultPalette()[200]);
    EXPECT_EQ(image.Palette[200], DefaultPalette()[1]);
    EXPECT_EQ(image.Inverse[200], 1);
    EXPECT_EQ(image.Pixels.Bytes[1], 1);
}

TEST(PaletteEdit, GradientRunsFromMainToSubWithEveryEntryStoredByItsFlag) {
    ImageRecord image = Striped();
    image.Inverse[15] = 1;
    image.Inverse[7] = 1;
    const TColor main = Rgb(0x000000), sub = Rgb(0xF0F0F0);
    MakeGradient(image, 0, 15, main, sub);
    EXPECT_EQ(DisplayedColour(image, 0), Rgb(0x000000));
    EXPECT_EQ(DisplayedColour(image, 1), Rgb(0x101010));   // 240 / 15
    EXPECT_EQ(DisplayedColour(image, 7), Rgb(0x707070));   // shown as asked, stored complemented
    EXPECT_EQ(QuadToColor(image.Palette[7]), Rgb(0x8F8F8F));
    EXPECT_EQ(DisplayedColour(image, 14), Rgb(0xE0E0E0));
    EXPECT_EQ(DisplayedColour(image, 15), sub);            // the end entry follows its flag too
    EXPECT_EQ(image.Palette[16], DefaultPalette()[16]);

    ImageRecord down = Striped();
    MakeGradient(down, 20, 16, Rgb(0xFF0000), Rgb(0x0000FF));  // toward lower entries
    EXPECT_EQ(DisplayedColour(down, 20), Rgb(0xFF0000));
    EXPECT_EQ(DisplayedColour(down, 19), Rgb(0xC0003F));       // 255 - 255/4 truncated, 255/4
    EXPECT_EQ(DisplayedColour(down, 16), Rgb(0x0000FF));
    EXPECT_EQ(down.Palette[21], DefaultPalette()[21]);

    ImageRecord none = Striped();
    MakeGradient(none, 9, 9, main, sub);
    EXPECT_EQ(none.Palette, DefaultPalette());
}

TEST(PaletteEdit, RampsStopAtTheLastEntry) {
    ImageRecord image = Striped();
    image.Inverse[251] = 1;
    WriteRamp(image, 250, Ramp(0));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(DisplayedColour(image, 250 + i), SystemColours()[i]);
    EXPECT_EQ(image.Palette[249], DefaultPalette()[249]);
}

TEST(PaletteEdit, InverseToggleKeepsTheShownColourAndTwiceRestoresTheEntry) {
    ImageRecord image = Striped();
    ToggleInverse(image, 40);
    EXPECT_EQ(image.Inverse[40], 1);
    EXPECT_EQ(image.Palette[40], Complement(DefaultPalette()[40]));
    EXPECT_EQ(DisplayedColour(image, 40), QuadToColor(DefaultPalette()[40]));
    ToggleInverse(image, 40);
    EXPECT_EQ(image.Palette[40], DefaultPalette()[40]);
    EXPECT_EQ(image.Inverse[40], 0);
}

TEST(PaletteEdit, RemapTakesTheFirstOfEquallyNearEntries) {
    ImageRecord image;
    image.Palette[3] = ColorToQuad(Rgb(0x102030));
    image.Palette[7] = ColorToQuad(Rgb(0x102030));
    image.Palette[9] = ColorToQuad(Complement(Rgb(0xFFFFFF)));
    image.Inverse[9] = 1;  // shows white
    TPaletteView view{};
    view.fill(Rgb(0x102031));
    view[5] = clWhite;
    RemapToPalette(image, view);
    EXPECT_EQ(image.Pixels.Bytes[0], 3);
    EXPECT_EQ(image.Pixels.Bytes[5], 9);
}

// Entries: 0 grey, 1 blue (hue 1020), 2 red (hue 0, saturation 128), 3 dull red
// (200,100,100: hue 0, saturation 60), the rest black.
ImagePalette SortFixture() {
    ImagePalette pal{};
    pal[0] = ColorToQuad(Rgb(0x808080));
    pal[1] = ColorToQuad(Rgb(0x0000FF));
    pal[2] = ColorToQuad(Rgb(0xFF0000));
    pal[3] = ColorToQuad(Rgb(0xC86464));
    return pal;
}

TEST(PaletteEdit, SortPassesAreStableBucketOrders) {
    const ImagePalette pal = SortFixture();
    TPaletteOrder hue = HueOrder(pal);
    // Non-greys by hue (2, 3, 1), then greys (0, 4..255); then saturation below 128 first.
    EXPECT_EQ(hue[0], 3);
    EXPECT_EQ(hue[1], 0);
    EXPECT_EQ(hue[2], 4);
    EXPECT_EQ(hue[253], 255);
    EXPECT_EQ(hue[254], 2);
    EXPECT_EQ(hue[255], 1);

    TPaletteOrder light = LightnessOrder(pal);
    // Blacks (0) first in entry order, then 255 (blue, red), 256 (grey), 300 (dull red).
    EXPECT_EQ(light[0], 4);
    EXPECT_EQ(light[251], 255);
    EXPECT_EQ(light[252], 1);
    EXPECT_EQ(light[253], 2);
    EXPECT_EQ(light[254], 0);
    EXPECT_EQ(light[255], 3);

    ImagePalette sat{};
    sat[0] = ColorToQuad(Rgb(0x010000));  // saturation 166, beyond the last bucket
    sat[1] = ColorToQuad(Rgb(0xFF0000));  // 128: bucket 16
    sat[2] = ColorToQuad(Rgb(0xC86464));  // 60: bucket 7
    TPaletteOrder s = SaturationOrder(sat);
    EXPECT_EQ(s[0], 3);
    EXPECT_EQ(s[252], 255);
    EXPECT_EQ(s[253], 2);
    EXPECT_EQ(s[254], 0);
    EXPECT_EQ(s[255], 1);
}

TEST(PaletteEdit, SortsFoldInverseEntriesAndKeepTheLook) {
    ImageRecord image = Striped();
    image.Inverse[5] = 1;
    const TColor shown5 = DisplayedColour(image, 5);
    const TPaletteView view = ViewOf(image);
    for (TPaletteSort sort : {TPaletteSort::Lightness, TPaletteSort::Hue, TPaletteSort::SaturationA, TPaletteSort::SaturationB}) {
        ImageRecord sorted = image;
        SortPalette(sorted, sort);
        EXPECT_EQ(sorted.Inverse, InverseFlags{});
        RemapToPalette(sorted, view);
        EXPECT_EQ(ViewOf(sorted), view);  // the default palette's colours are distinct
        bool found = false;
        for (int i = 0; i < 256; ++i) found |= QuadToColor(sorted.Palette[i]) == shown5;
        EXPECT_TRUE(found);
    }
    ImageRecord light = Striped();
    SortPalette(light, TPaletteSort::Lightness);
    EXPECT_EQ(QuadToColor(light.Palette[0]), clBlack);
    EXPECT_EQ(QuadToColor(light.Palette[255]), clWhite);

    ImageRecord black;
    SortPalette(black, TPaletteSort::SaturationB);
    EXPECT_EQ(black.Palette, ImagePalette{});
}

TEST(PaletteEdit, MergingDuplicatesComparesColourAndFlag) {
    ImageRecord image;
    for (int i = 0; i < 256; ++i) image.Palette[i] = ColorToQuad(SystemColours()[i % 16]);
    for (int i = 0; i < kIndexBytes; ++i) image.Pixels.Bytes[i] = static_cast<uint8_t>((i * 7) % 256);
    const TPaletteView view = ViewOf(image);
    MergeDuplicates(image);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(QuadToColor(image.Palette[i]), SystemColours()[i]);
    for (int i = 16; i < 256; ++i) ASSERT_EQ(image.Palette[i], TRGBQuad{});
    RemapToPalette(image, view);
    EXPECT_EQ(ViewOf(image), view);

    ImageRecord flagged;
    flagged.Palette[1] = ColorToQuad(clRed);
    flagged.Palette[2] = ColorToQuad(clRed);
    flagged.Inverse[2] = 1;  // same stored colour, different flag: both stay
    flagged.Palette[3] = ColorToQuad(clRed);
    MergeDuplicates(flagged);
    EXPECT_EQ(QuadToColor(flagged.Palette[1]), clRed);
    EXPECT_EQ(flagged.Inverse[2], 1);
    EXPECT_EQ(flagged.Palette[3], TRGBQuad{});
}

TEST(PaletteEdit, GridTransformsMoveEntriesWithTheirPixels) {
    struct Case {
        TGridTransform T;
        int From, To;
    } cases[] = {
        {TGridTransform::MirrorLeftRight, 16 * 2 + 3, 16 * 2 + 12},
        {TGridTransform::MirrorUpDown, 16 * 2 + 3, 16 * 13 + 3},
        {TGridTransform::Rotate180, 10, 245},
        {TGridTransform::Rotate90Right, 16 * 2 + 3, 16 * 3 + 13},  // (r, c) -> (c, 15 - r)
        {TGridTransform::Rotate90Left, 16 * 2 + 3, 16 * 12 + 2},   // (r, c) -> (15 - c, r)
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TransformedIndex(c.T, c.From), c.To);
        ImageRecord image = Striped();
        image.Inverse[c.From] = 1;
        const TPaletteView view = ViewOf(image);
        TransformGrid(image, c.T);
        EXPECT_EQ(image.Palette[c.To], DefaultPalette()[c.From]);
        EXPECT_EQ(image.Inverse[c.To], 1);
        EXPECT_EQ(ViewOf(image), view);
    }
    ImageRecord image = Striped();
    const ImageRecord old = image;
    TransformGrid(image, TGridTransform::Rotate180);
    TransformGrid(image, TGridTransform::Rotate180);
    TransformGrid(image, TGridTransform::Rotate90Right);
    TransformGrid(image, TGridTransform::Rotate90Left);
    EXPECT_EQ(image.Palette, old.Palette);
    EXPECT_EQ(image.Pixels, old.Pixels);
}

TEST(PaletteEdit, SystemColourReductionKeepsAPictureOfSystemColours) {
    ImageRecord image;
    for (int i = 0; i < 256; ++i) image.Palette[i] = ColorToQuad(SystemColours()[(i * 5) % 16]);
    image.Inverse[3] = 1;
    image.Palette[3] = ColorToQuad(Complement(clYellow));
    for (int i = 0; i < kIndexBytes; ++i) image.Pixels.Bytes[i] = static_cast<uint8_t>(i % 40);
    const TPaletteView view = ViewOf(image);
    ReduceToSystemColours(image, view);
    EXPECT_EQ(ViewOf(image), view);
    EXPECT_EQ(image.Inverse, InverseFlags{});
    for (int i = 16; i < 256; ++i) ASSERT_EQ(image.Palette[i], TRGBQuad{});
}

TEST(PaletteEdit, RemovingUnusedColoursPacksTheUsedEntries) {
    ImageRecord image = Striped();
    for (int i = 0; i < kIndexBytes; ++i) image.Pixels.Bytes[i] = i % 3 == 0 ? 200 : 5;
    image.Inverse[200] = 1;
    const TPaletteView view = ViewOf(image);
    RemoveUnusedColours(image);
    EXPECT_EQ(ViewOf(image), view);
    EXPECT_EQ(image.Palette[0], DefaultPalette()[5]);
    EXPECT_EQ(image.Palette[1], Complement(DefaultPalette()[200]));
    for (int i = 2; i < 256; ++i) ASSERT_EQ(image.Palette[i], TRGBQuad{});
    EXPECT_EQ(image.Inverse, InverseFlags{});
    EXPECT_EQ(image.Pixels.Bytes[0], 1);
    EXPECT_EQ(image.Pixels.Bytes[1], 0);
}

TEST(PaletteEdit, TheReductionKeepsEveryColourUpTo256WithBlackAndWhite) {
    struct Case {
        int Colours;  // distinct colours other than black and white
        bool Black, White;
        bool Kept;
    } cases[] = {{254, false, false, true}, {255, false, false, false}, {254, true, true, true},
                 {254, true, false, true}, {255, true, true, false}, {256, false, false, false}};
    for (const Case& k : cases) {
        TPaletteView view{};
        std::size_t n = 0;
        for (int i = 0; i < k.Colours; ++i) view[n++] = MakeColor(i, 1, 2);
        if (k.Black) view[n++] = clBlack;
        if (k.White) view[n++] = clWhite;
        while (n < view.size()) view[n++] = MakeColor(0, 1, 2);  // repeats count once
        EXPECT_EQ(ReductionKeepsEveryColour(view), k.Kept) << k.Colours << k.Black << k.White;
    }
}

TEST(PaletteEdit, AFourBitReductionResultKeepsSixteenEntries) {
    ImageRecord image = Striped();
    ImagePalette reduced = DefaultPalette();
    TakeReducedPalette(image, reduced, 16, ViewOf(Striped()));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(image.Palette[i], DefaultPalette()[i]);
    for (int i = 16; i < 256; ++i) ASSERT_EQ(image.Palette[i], TRGBQuad{});
    EXPECT_EQ(image.Pixels.Bytes[15], 15);
    EXPECT_LT(image.Pixels.Bytes[200], 16);
}

}  // namespace
