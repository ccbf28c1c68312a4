#include "PaletteText.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "BuiltInPalettes.h"
#include "PaletteEdit.h"

namespace {

ImageRecord Default() {
    ImageRecord image;
    image.Palette = DefaultPalette();
    return image;
}

TEST(PaletteText, OneColourIsTaggedUpperCaseHex) {
    EXPECT_EQ(FormatColourText(MakeColor(255, 128, 0)), "QXRGBQUAD FF,80,00");
    EXPECT_EQ(CopyPaletteText(Default(), 5, 5), "QXRGBQUAD 55,55,55");
    ImageRecord inverse = Default();
    ToggleInverse(inverse, 7);  // shows the same colour: the text carries the shown colour
    EXPECT_EQ(CopyPaletteText(inverse, 7, 7), "QXRGBQUAD 77,77,77");

    EXPECT_EQ(ParseColourText("QXRGBQUAD FF,80,00"), MakeColor(255, 128, 0));
    EXPECT_EQ(ParseColourText("QXRGBQUAD 1ff,80"), MakeColor(255, 128, 0));  // low bits, missing blue reads 0
    EXPECT_EQ(ParseColourText("QXRGBQUAD zz"), MakeColor(0, 0, 0));
    EXPECT_FALSE(ParseColourText("FF,80,00"));
    EXPECT_FALSE(ParseColourText(std::string(20, ' ') + "QXRGBQUAD FF,80,00"));  // beyond 26 characters
}

TEST(PaletteText, RangeTextHasHeaderWarningCountAndColours) {
    EXPECT_EQ(CopyPaletteText(Default(), 12, 10),
              "QXPALETTE <Pendrake1.2.2>\r\n※変更するとプログラムがエラーを起こします！\r\n3\r\nAA,AA,AA\r\nBB,BB,BB\r\nCC,CC,CC");
}

TEST(PaletteText, CopiedPaletteReadsBack) {
    ImageRecord image = Default();
    ToggleInverse(image, 3);
    std::optional<TPaletteText> back = ParsePaletteText(CopyPaletteText(image, 0, 255));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->Count, 256);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(back->Colours[i], DisplayedColour(image, i)) << i;
}

std::string Hex3Line(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X,%02X,%02X", i & 255, (255 - i) & 255, 7);
    return buf;
}

std::string PaletteText(const std::string& count, const std::vector<std::string>& colours) {
    std::string text = std::string(kPaletteHeader) + "\r\n" + kPaletteWarning + "\r\n" + count;
    for (const std::string& c : colours) text += "\r\n" + c;
    return text;
}

TEST(PaletteText, PastesIntoARangeOrAnInsertedGap) {
    const std::string four = PaletteText("4", {"FF,00,00", "00,FF,00", "00,00,FF", "12,34,56"});
    ImageRecord range = Default();
    ASSERT_TRUE(PastePaletteText(range, four, 29, 20, false));  // ten entries selected
    EXPECT_EQ(DisplayedColour(range, 20), clRed);
    EXPECT_EQ(DisplayedColour(range, 23), MakeColor(0x12, 0x34, 0x56));
    EXPECT_EQ(range.Palette[24], DefaultPalette()[24]);

    // Over an inverse entry the values are stored as they are and the flag stays.
    ImageRecord inverse = Default();
    inverse.Inverse[3] = 1;
    ASSERT_TRUE(PastePaletteText(inverse, PaletteText("2", {"10,20,30", "40,50,60"}), 2, 3, false));
    EXPECT_EQ(QuadToColor(inverse.Palette[2]), MakeColor(0x10, 0x20, 0x30));
    EXPECT_EQ(QuadToColor(inverse.Palette[3]), MakeColor(64, 80, 96));
    EXPECT_EQ(inverse.Inverse[3], 1);
    EXPECT_EQ(inverse.Inverse[2], 0);

    ImageRecord two = Default();
    ASSERT_TRUE(PastePaletteText(two, PaletteText("2", {"01,02,03"}), 0, 9, false));
    EXPECT_EQ(DisplayedColour(two, 1), MakeColor(1, 2, 3));  // a missing line keeps the last values
    EXPECT_EQ(two.Palette[2], DefaultPalette()[2]);

    ImageRecord inserted = Default();
    for (int i = 0; i < kIndexBytes; ++i) inserted.Pixels.Bytes[i] = 254;
    ASSERT_TRUE(PastePaletteText(inserted, four, 254, 0, true));
    EXPECT_EQ(DisplayedColour(inserted, 254), clRed);
    EXPECT_EQ(DisplayedColour(inserted, 255), clLime);
    EXPECT_EQ(inserted.Pixels.Bytes[0], 255);  // pushed past the end by the gap of four

    ImageRecord many = Default();
    std::vector<std::string> lines(256, "0A,0B,0C");
    ASSERT_TRUE(PastePaletteText(many, PaletteText("256", lines), 0, 255, false));
    EXPECT_EQ(DisplayedColour(many, 255), MakeColor(10, 11, 12));
}

TEST(PaletteText, ACountBeyondTheLastEntryFillsUpToIt) {
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i) lines.push_back(Hex3Line(i));
    const std::string text = PaletteText("300", lines);
    ImageRecord all = Default();
    ASSERT_TRUE(PastePaletteText(all, text, 0, 255, false));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(DisplayedColour(all, i), MakeColor(i, 255 - i, 7)) << i;

    ImageRecord inserted = Default();
    for (int i = 0; i < kIndexBytes; ++i) inserted.Pixels.Bytes[i] = 251;
    ASSERT_TRUE(PastePaletteText(inserted, text, 250, 0, true));
    for (int i = 250; i < 256; ++i) EXPECT_EQ(DisplayedColour(inserted, i), MakeColor(i - 250, 255 - (i - 250), 7)) << i;
    EXPECT_EQ(inserted.Palette[249], DefaultPalette()[249]);
    EXPECT_EQ(inserted.Pixels.Bytes[0], 255);  // pushed past the end by the gap

    // A count far above the lines given: the missing lines repeat the last colour.
    ImageRecord huge = Default();
    ASSERT_TRUE(PastePaletteText(huge, PaletteText("100000", {"FF,00,00", "00,FF,00"}), 0, 255, false));
    EXPECT_EQ(DisplayedColour(huge, 0), clRed);
    EXPECT_EQ(DisplayedColour(huge, 255), clLime);
}

TEST(PaletteText, HostileTextChangesNothing) {
    const std::vector<std::string> colours(4, "FF,FF,FF");
    const std::string texts[] = {
        PaletteText("-5", colours), PaletteText("abc", colours), PaletteText("0", colours),
        PaletteText("", colours),   PaletteText("4x", colours),  "QXPALETTE",
        "no tag\r\n\r\n4\r\nFF,FF,FF",
    };
    for (const std::string& text : texts) {
        for (bool insert : {false, true}) {
            ImageRecord image = Default();
            const ImageRecord old = image;
            EXPECT_FALSE(PastePaletteText(image, text, 3, 200, insert)) << text;
            EXPECT_EQ(image.Palette, old.Palette);
            EXPECT_EQ(image.Pixels, old.Pixels);
        }
    }
}

TEST(PaletteText, MenuEnablingFollowsLengthOrTag) {
    EXPECT_TRUE(ColourPasteEnabled("QXRGBQUAD FF,80,00"));
    EXPECT_TRUE(ColourPasteEnabled(std::string(19, 'x')));
    EXPECT_FALSE(ColourPasteEnabled("hello"));
    EXPECT_TRUE(PalettePasteEnabled(CopyPaletteText(Default(), 0, 1)));
    EXPECT_FALSE(PalettePasteEnabled("QXRGBQUAD FF,80,00"));
}

}  // namespace
