// The .ani writer byte for byte, the icon-data builders, and the reader's round trips.
// Hostile input is in AniReader_tests.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "base/Stream.h"
#include "base/Text.h"
#include "formats/AniFile.h"
#include "formats/AniTestSupport.h"

namespace {

using namespace anitest;

std::string Id(const std::vector<uint8_t>& b, std::size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

TEST(AniWriter, OneImageWithoutOptionsIs2314Bytes) {
    CCURSOR img = PatternImage(1);
    img.HotX = 7;
    img.HotY = 9;
    AniWriteInput in = InputFor({&img});
    in.DefaultRate = 12;
    std::vector<uint8_t> f = BuildAniFile(in);
    ASSERT_EQ(f.size(), 2314u);
    EXPECT_EQ(Id(f, 0), "RIFF");
    EXPECT_EQ(GetLE32(&f[4]), 2306u);
    EXPECT_EQ(Id(f, 8), "ACON");
    // anih: 36, frames 1, steps 1, four zeros, rate, flags 1
    EXPECT_EQ(Id(f, 12), "anih");
    const uint32_t anih[] = {36, 36, 1, 1, 0, 0, 0, 0, 12, 1};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(GetLE32(&f[16 + 4 * i]), anih[i]) << i;
    EXPECT_EQ(Id(f, 56), "LIST");
    EXPECT_EQ(GetLE32(&f[60]), 2250u);
    EXPECT_EQ(Id(f, 64), "fram");
    EXPECT_EQ(Id(f, 68), "icon");
    EXPECT_EQ(GetLE32(&f[72]), 2238u);
    // directory: 0, 2, 1; entry 32, 32, 0, 0, hotspot, 2216 bytes at 22
    const uint8_t* d = &f[76];
    EXPECT_EQ(GetLE16(d), 0);
    EXPECT_EQ(GetLE16(d + 2), 2);
    EXPECT_EQ(GetLE16(d + 4), 1);
    EXPECT_EQ(d[6], 32);
    EXPECT_EQ(d[7], 32);
    EXPECT_EQ(d[8], 0);
    EXPECT_EQ(d[9], 0);
    EXPECT_EQ(GetLE16(d + 10), 7);
    EXPECT_EQ(GetLE16(d + 12), 9);
    EXPECT_EQ(GetLE32(d + 14), 2216u);
    EXPECT_EQ(GetLE32(d + 18), 22u);
    const uint32_t bih[] = {40, 32, 64};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(GetLE32(d + 22 + 4 * i), bih[i]);
    EXPECT_EQ(GetLE16(d + 34), 1);
    EXPECT_EQ(GetLE16(d + 36), 8);
    const uint32_t rest[] = {0, 1152, 0, 0, 256, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(GetLE32(d + 38 + 4 * i), rest[i]) << i;
    EXPECT_EQ(std::memcmp(d + 62, img.OutPalette.data(), 1024), 0);
    EXPECT_EQ(std::memcmp(d + 62 + 1024, img.OutPixels.Bytes, 1152), 0);
}

TEST(AniWriter, MonochromeCursorRidesInTheFirstIconOnly) {
    CCURSOR a = PatternImage(1), b = PatternImage(2);
    AniWriteInput in = InputFor({&a, &b});
    in.InsertMonoCur = true;
    in.MonoCursor = TestMonoRecord();
    in.MonoX = 3;
    in.MonoY = 30;
    std::vector<uint8_t> f = BuildAniFile(in);
    const uint32_t c = 2216;
    ASSERT_EQ(f.size(), 12 + 44 + 12 + 2 * (c + 30) + 320);
    std::vector<RiffChunk> chunks = WalkRiff(f);
    ASSERT_EQ(chunks.size(), 4u);  // anih, LIST fram, icon, icon
    EXPECT_EQ(chunks[1].Id, "LIST");
    EXPECT_EQ(chunks[1].Size, 4 + 2 * (c + 30) + 320);
    EXPECT_EQ(chunks[2].Id, "icon");
    EXPECT_EQ(chunks[2].Size, c + 342);
    EXPECT_EQ(chunks[3].Size, c + 22);
    const uint8_t* d = &f[chunks[2].Data];
    EXPECT_EQ(GetLE16(d + 4), 2);
    EXPECT_EQ(GetLE32(d + 18), 38u);
    const uint8_t* e = d + 22;  // the second entry
    EXPECT_EQ(e[0], 32);
    EXPECT_EQ(e[1], 32);
    EXPECT_EQ(e[2], 0);
    EXPECT_EQ(GetLE16(e + 4), 3);
    EXPECT_EQ(GetLE16(e + 6), 30);
    EXPECT_EQ(GetLE32(e + 8), 304u);
    EXPECT_EQ(GetLE32(e + 12), c + 38);
    EXPECT_EQ(std::memcmp(d + c + 38, in.MonoCursor.Bytes, 304), 0);
    EXPECT_EQ(GetLE16(&f[chunks[3].Data + 4]), 1);
}

TEST(AniWriter, SequenceChunkOnlyWhenFramesAreNotTheImagesInOrder) {
    CCURSOR a = PatternImage(1), b = PatternImage(2), c = PatternImage(3);
    struct Case {
        std::vector<int> Frames;
        bool Seq;
    } cases[] = {{{0, 1, 2}, false}, {{0, 2, 1}, true}, {{0, 1}, true}, {{0, 1, 2, 0}, true}, {{1, 1, 1}, true}};
    for (const Case& k : cases) {
        AniWriteInput in = InputFor({&a, &b, &c});
        in.InsertFram = true;
        in.FrameImages = k.Frames;
        in.FrameSpeeds.assign(k.Frames.size(), 0);
        for (std::size_t i = 0; i < k.Frames.size(); ++i) in.FrameSpeeds[i] = 5 + static_cast<int>(i);
        std::vector<uint8_t> f = BuildAniFile(in);
        std::vector<RiffChunk> chunks = WalkRiff(f);
        ASSERT_GE(chunks.size(), 3u);
        const RiffChunk& anih = chunks[0];
        EXPECT_EQ(GetLE32(&f[anih.Data + 8]), k.Frames.size());
        EXPECT_EQ(GetLE32(&f[anih.Data + 32]), k.Seq ? 3u : 1u);
        EXPECT_EQ(chunks[1].Id, "rate");
        EXPECT_EQ(chunks[1].Size, 4 * k.Frames.size());
        EXPECT_EQ(GetLE32(&f[chunks[1].Data + 4]), 6u);
        EXPECT_EQ(chunks[2].Id, k.Seq ? "seq " : "LIST");
        for (std::size_t i = 0; k.Seq && i < k.Frames.size(); ++i)
            EXPECT_EQ(GetLE32(&f[chunks[2].Data + 4 * i]), static_cast<uint32_t>(k.Frames[i]));
        EXPECT_TRUE(AniSequenceNeeded(k.Frames, 3) == k.Seq);
    }
}

TEST(AniWriter, InfoTextsArePaddedShiftJisBytes) {
    CCURSOR img = PatternImage(1);
    struct Case {
        std::string Title;
        std::string Sjis;  // bytes expected before the zero padding
        uint32_t Padded;
    } cases[] = {
        {"", "", 2},
        {"ab", "ab", 4},   // 2 + 1 is odd: one more zero
        {"abc", "abc", 4}, // 3 + 1 is even
        {"タイトル", "\x83\x5e\x83\x43\x83\x67\x83\x8b", 10},
        {std::string(300, 'x'), std::string(256, 'x'), 258},
        // 255 ASCII bytes and a double-byte character: the character does not fit in 256
        {std::string(255, 'y') + "あ", std::string(255, 'y'), 256},
    };
    for (const Case& k : cases) {
        AniWriteInput in = InputFor({&img});
        in.InsertInfo = true;
        in.Title = k.Title;
        in.Author = "z";
        std::vector<uint8_t> f = BuildAniFile(in);
        ASSERT_EQ(Id(f, 12), "LIST");
        EXPECT_EQ(GetLE32(&f[16]), 20 + k.Padded + 2) << k.Title;
        EXPECT_EQ(Id(f, 20), "INFO");
        EXPECT_EQ(Id(f, 24), "INAM");
        ASSERT_EQ(GetLE32(&f[28]), k.Padded) << k.Title;
        std::string text(f.begin() + 32, f.begin() + 32 + k.Padded);
        EXPECT_EQ(text, k.Sjis + std::string(k.Padded - k.Sjis.size(), '\0'));
        EXPECT_EQ(Id(f, 32 + k.Padded), "IART");
        EXPECT_EQ(GetLE32(&f[36 + k.Padded]), 2u);
        EXPECT_EQ(f[40 + k.Padded], 'z');
        EXPECT_EQ(Id(f, 42 + k.Padded), "anih");
        EXPECT_EQ(f.size(), 2314u + 8 + 20 + k.Padded + 2);
        EXPECT_EQ(GetLE32(&f[4]), f.size() - 8);
    }
}

TEST(AniWriter, SaveModesGiveTheirImageSizesAndColourCounts) {
    CCURSOR a = PatternImage(1), b = PatternImage(2);
    struct Case {
        AniSaveMode Mode;
        bool Mono;
        uint32_t C;
        uint16_t Bits;
        uint32_t Colours;
        uint8_t EntryColours;
    } cases[] = {
        {AniSaveMode::Colours16, false, 744, 4, 16, 16},
        {AniSaveMode::Colours16, true, 744, 4, 16, 0},
        {AniSaveMode::Colours256, false, 2216, 8, 256, 0},
        {AniSaveMode::Colours2, false, 304, 1, 2, 0},
    };
    for (const Case& k : cases) {
        AniWriteInput in = InputFor({&a, &b});
        in.SaveMode = k.Mode;
        in.InsertMonoCur = k.Mono;
        std::vector<uint8_t> f = BuildAniFile(in);
        EXPECT_EQ(AniImageBytes(k.Mode), k.C);
        EXPECT_EQ(f.size(), 12 + 44 + 12 + 2 * (k.C + 30) + (k.Mono ? 320 : 0));
        std::vector<RiffChunk> chunks = WalkRiff(f);
        ASSERT_EQ(chunks.size(), 4u);
        for (int i = 2; i < 4; ++i) {
            const uint8_t* d = &f[chunks[i].Data];
            EXPECT_EQ(d[8], k.EntryColours);
            EXPECT_EQ(GetLE32(d + 14), k.C);
            const uint8_t* h = d + GetLE32(d + 18);
            EXPECT_EQ(GetLE16(h + 14), k.Bits);
            EXPECT_EQ(GetLE32(h + 20), k.C - 40 - 4 * k.Colours);
            EXPECT_EQ(GetLE32(h + 32), k.Colours);
        }
    }
}

TEST(AniWriter, UnitedHotspotReplacesEveryImagesOwn) {
    CCURSOR a = PatternImage(1), b = PatternImage(2);
    a.HotX = 1;
    b.HotX = 2;
    AniWriteInput in = InputFor({&a, &b});
    in.UniteHotspot = true;
    in.UniHotX = 20;
    in.UniHotY = 21;
    std::vector<uint8_t> f = BuildAniFile(in);
    for (const RiffChunk& c : WalkRiff(f))
        if (c.Id == "icon") {
            EXPECT_EQ(GetLE16(&f[c.Data + 10]), 20);
            EXPECT_EQ(GetLE16(&f[c.Data + 12]), 21);
        }
}

TEST(AniWriter, RefusesInputThatWouldMakeABrokenFile) {
    CCURSOR a = PatternImage(1);
    std::vector<AniWriteInput> bad(5, InputFor({&a}));
    bad[0].Images.clear();
    bad[1].InsertFram = true;  // per-frame without frames
    bad[2].InsertFram = true;
    bad[2].FrameImages = {0, 1};  // image 1 does not exist
    bad[2].FrameSpeeds = {5, 5};
    bad[3].InsertFram = true;
    bad[3].FrameImages = {0};
    bad[3].FrameSpeeds = {5, 5};
    bad[4].InsertFram = true;
    bad[4].FrameImages.assign(1000, 0);  // more than the frame tables hold
    bad[4].FrameSpeeds.assign(1000, 5);
    for (std::size_t i = 0; i < bad.size(); ++i) {
        EXPECT_TRUE(BuildAniFile(bad[i]).empty()) << i;
        std::string path = ::testing::TempDir() + "refused.ani";
        EXPECT_EQ(WriteAniFile(path, bad[i]), WriteResult::NotWritten) << i;
        EXPECT_FALSE(FileExists(path));
    }
}

TEST(AniWriter, ClampsRatesToTheirRange) {
    CCURSOR a = PatternImage(1);
    AniWriteInput in = InputFor({&a});
    in.DefaultRate = 5000;
    in.InsertFram = true;
    in.FrameImages = {0, 0};
    in.FrameSpeeds = {0, 2000};
    std::vector<uint8_t> f = BuildAniFile(in);
    std::vector<RiffChunk> chunks = WalkRiff(f);
    EXPECT_EQ(GetLE32(&f[chunks[0].Data + 28]), 911u);
    EXPECT_EQ(GetLE32(&f[chunks[1].Data]), 1u);
    EXPECT_EQ(GetLE32(&f[chunks[1].Data + 4]), 911u);
}

TEST(AniWriter, WriteFailsWithoutLeavingAFile) {
    CCURSOR a = PatternImage(1);
    std::string path = ::testing::TempDir() + "no-such-folder/x.ani";
    EXPECT_EQ(WriteAniFile(path, InputFor({&a})), WriteResult::NotWritten);
    std::string good = ::testing::TempDir() + "written.ani";
    ASSERT_EQ(WriteAniFile(good, InputFor({&a})), WriteResult::Written);
    std::vector<uint8_t> back;
    ASSERT_TRUE(ReadWholeFile(good, back, 1 << 20));
    EXPECT_EQ(back, BuildAniFile(InputFor({&a})));
    DeleteFileUtf8(good);
}

// ---- Builders ----

TEST(Build16ColourData, KeepsAPaletteOfTheFirstSixteenEntries) {
    PixelBlock px;
    ImagePalette pal{};
    for (int i = 0; i < 16; ++i) pal[i] = TRGBQuad{uint8_t(i), uint8_t(2 * i), uint8_t(3 * i), uint8_t(i + 1)};
    for (int p = 0; p < 1024; ++p) px.Bytes[p] = static_cast<uint8_t>(p % 5);
    for (int m = 0; m < 128; ++m) px.Mask()[m] = static_cast<uint8_t>(m * 7);
    uint8_t outPal[64], bits[640];
    Build16ColourData(outPal, bits, px, pal);
    EXPECT_EQ(std::memcmp(outPal, pal.data(), 64), 0);  // fourth bytes too, as they are
    for (int p = 0; p < 1024; p += 2) ASSERT_EQ(bits[p / 2], ((p % 5) << 4) | ((p + 1) % 5)) << p;
    EXPECT_EQ(std::memcmp(bits + 512, px.Mask(), 128), 0);
}

TEST(Build16ColourData, RenumbersFewColoursAboveFifteenInOrderOfAppearance) {
    PixelBlock px;
    ImagePalette pal{};
    pal[200] = TRGBQuad{10, 20, 30, 99};
    pal[3] = TRGBQuad{1, 2, 3, 4};
    for (int p = 0; p < 1024; ++p) px.Bytes[p] = p < 512 ? 200 : 3;
    uint8_t outPal[64], bits[640];
    Build16ColourData(outPal, bits, px, pal);
    const uint8_t first[] = {10, 20, 30, 0, 1, 2, 3, 0};
    EXPECT_EQ(std::memcmp(outPal, first, 8), 0);
    const uint8_t white[] = {255, 255, 255, 0}, grey[] = {128, 128, 128, 0};
    EXPECT_EQ(std::memcmp(outPal + 60, white, 4), 0);  // the rest keeps the standard palette
    EXPECT_EQ(std::memcmp(outPal + 28, grey, 4), 0);
    EXPECT_EQ(bits[0], 0x00);
    EXPECT_EQ(bits[300], 0x11);
}

TEST(Build16ColourData, MapsManyColoursToTheNearestStandardOne) {
    PixelBlock px;
    ImagePalette pal{};
    for (int i = 0; i < 20; ++i) pal[i] = TRGBQuad{0, 0, 0, 0};
    pal[17] = TRGBQuad{250, 5, 5, 0};    // near blue (standard 12)
    pal[18] = TRGBQuad{190, 190, 195, 0}; // near silver (standard 8)
    for (int p = 0; p < 1024; ++p) px.Bytes[p] = static_cast<uint8_t>(p % 20);
    uint8_t outPal[64], bits[640];
    Build16ColourData(outPal, bits, px, pal);
    const uint8_t silver[] = {192, 192, 192, 0};
    EXPECT_EQ(std::memcmp(outPal + 32, silver, 4), 0);
    EXPECT_EQ(bits[8], 0x0C);  // pixels 16 and 17
    EXPECT_EQ(bits[9], 0x80);  // pixels 18 and 19
}

TEST(Build2ColourData, UsesTheEditedIndicesOfATwoColourImage) {
    CCURSOR img = TwoColourImage();
    img.Pixels.At(0, 31) = 0;  // storage byte 0: bottom row, left
    img.Pixels.At(1, 31) = 1;
    img.Pixels.At(2, 31) = 2;
    img.Pixels.At(3, 31) = 3;
    uint8_t pal[8], bits[256];
    Build2ColourData(pal, bits, img);
    const uint8_t bw[] = {0, 0, 0, 0, 255, 255, 255, 0};
    EXPECT_EQ(std::memcmp(pal, bw, 8), 0);
    EXPECT_EQ(bits[0] >> 4, 0b0110);        // colour bits of pixels 0-3
    EXPECT_EQ(bits[128] >> 4, 0b0011);      // mask bits
}

TEST(Build2ColourData, OtherImagesGoToTheNearerOfBlackAndWhite) {
    CCURSOR img = PatternImage(4);
    img.OutPalette[0] = TRGBQuad{200, 200, 0, 0};  // sum 400: white
    img.OutPalette[1] = TRGBQuad{127, 127, 128, 0}; // sum 382: black
    for (int p = 0; p < 1024; ++p) img.OutPixels.Bytes[p] = static_cast<uint8_t>(p % 2);
    for (int m = 0; m < 128; ++m) img.OutPixels.Mask()[m] = static_cast<uint8_t>(m);
    uint8_t pal[8], bits[256];
    Build2ColourData(pal, bits, img);
    for (int i = 0; i < 128; ++i) ASSERT_EQ(bits[i], 0xAA);
    EXPECT_EQ(std::memcmp(bits + 128, img.OutPixels.Mask(), 128), 0);
}

// ---- Round trips ----

TEST(AniRoundTrip, KeepsImagesFramesRatesHotspotsTextsAndMonoCursor) {
    CCURSOR a = PatternImage(1), b = PatternImage(2), c = PatternImage(3);
    a.HotX = 1, a.HotY = 2, b.HotX = 30, b.HotY = 31, c.HotX = 0, c.HotY = 16;
    AniWriteInput in = InputFor({&a, &b, &c});
    in.InsertInfo = in.InsertFram = in.InsertMonoCur = true;
    in.Title = "歩くカーソル";
    in.Author = "作者 Ōtomo";
    in.DefaultRate = 17;
    in.FrameImages = {2, 0, 1, 1};
    in.FrameSpeeds = {3, 911, 1, 60};
    in.MonoCursor = TestMonoRecord();
    in.MonoX = 4, in.MonoY = 5;
    std::vector<uint8_t> f = BuildAniFile(in);
    AniReadResult r = ParseAniFile(f.data(), f.size());
    ASSERT_EQ(r.Code, AniReadCode::Read);
    ASSERT_EQ(r.Icons.size(), 3u);
    const CCURSOR* src[] = {&a, &b, &c};
    MakeAniImages(r, clWhite, "walk");
    ASSERT_EQ(r.Images.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.Images[i].OutPixels, src[i]->OutPixels) << i;
        EXPECT_EQ(r.Images[i].OutPalette, src[i]->OutPalette) << i;
        EXPECT_EQ(r.Images[i].HotX, src[i]->HotX);
        EXPECT_EQ(r.Images[i].HotY, src[i]->HotY);
    }
    EXPECT_EQ(r.Images[0].ImageName, "walk_00");
    EXPECT_EQ(r.Images[2].ImageName, "walk_02");
    ASSERT_EQ(r.Frames.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.Frames[i].Image, in.FrameImages[i]);
        EXPECT_EQ(r.Frames[i].Rate, in.FrameSpeeds[i]);
    }
    EXPECT_TRUE(r.PerFrame);
    EXPECT_EQ(r.DefaultRate, 17);
    EXPECT_TRUE(r.HasInfo && r.HasTitle && r.HasAuthor);
    EXPECT_EQ(r.Title, "歩くカーソル");
    EXPECT_EQ(r.Author.substr(0, 7), "作者 ");  // Ō has no Shift-JIS code
    EXPECT_NE(r.Author.find("tomo"), std::string::npos);
    ASSERT_TRUE(r.HasMonoCursor);
    EXPECT_EQ(r.MonoCursor, in.MonoCursor);
    EXPECT_EQ(r.MonoX, 4);
    EXPECT_EQ(r.MonoY, 5);
    EXPECT_EQ(GetLE32(r.MonoEntry.data() + 8), 304u);
    EXPECT_EQ(r.UniHotX, 0);
    EXPECT_EQ(r.UniHotY, 16);
    EXPECT_FALSE(r.UniteHotspot);
}

TEST(AniRoundTrip, WithoutFrameTablesEachIconIsOneFrameAtTheDefaultRate) {
    CCURSOR a = PatternImage(1), b = PatternImage(2);
    a.HotX = b.HotX = 9;
    AniWriteInput in = InputFor({&a, &b});
    in.DefaultRate = 33;
    std::vector<uint8_t> f = BuildAniFile(in);
    AniReadResult r = ParseAniFile(f.data(), f.size(), AniReadOptions{5});
    ASSERT_EQ(r.Code, AniReadCode::Read);
    ASSERT_EQ(r.Frames.size(), 2u);
    EXPECT_EQ(r.Frames[0].Image, 5);  // after the document's own images
    EXPECT_EQ(r.Frames[1].Image, 6);
    EXPECT_EQ(r.Frames[1].Rate, 33);
    EXPECT_FALSE(r.PerFrame);
    EXPECT_FALSE(r.HasInfo);
    EXPECT_FALSE(r.HasMonoCursor);
    EXPECT_TRUE(r.UniteHotspot);
    EXPECT_EQ(r.UniHotX, 9);
}

TEST(AniRoundTrip, TwoColourImagesComeBackAsTheEditorsFourIndices) {
    CCURSOR img = TwoColourImage();
    for (int p = 0; p < 1024; ++p) img.Pixels.Bytes[p] = static_cast<uint8_t>((p / 3) % 4);
    AniWriteInput in = InputFor({&img});
    in.SaveMode = AniSaveMode::Colours2;
    std::vector<uint8_t> f = BuildAniFile(in);
    AniReadResult r = ParseAniFile(f.data(), f.size());
    ASSERT_EQ(r.Code, AniReadCode::Read);
    MakeAniImages(r, clRed, "t");
    const CCURSOR& e = r.Images.at(0);
    for (int p = 0; p < 1024; ++p) ASSERT_EQ(e.Pixels.Bytes[p], img.Pixels.Bytes[p]) << p;
    EXPECT_EQ(e.Palette, img.Palette);
    EXPECT_EQ(e.Inverse[2], 1);
    EXPECT_EQ(e.Transparent, 1);  // index 3 is the screen
    // the last index 3 in storage order is the transparent point
    int at = PixelBlock::Offset(e.TransX, e.TransY);
    EXPECT_EQ(e.Pixels.Bytes[at], 3);
    for (int p = at + 1; p < 1024; ++p) ASSERT_NE(e.Pixels.Bytes[p], 3) << p;
}

TEST(AniRoundTrip, SixteenColourImagesKeepTheirIndicesAndPalette) {
    CCURSOR img = PatternImage(5);
    for (int p = 0; p < 1024; ++p) img.OutPixels.Bytes[p] = static_cast<uint8_t>((p * 7) % 16);
    AniWriteInput in = InputFor({&img});
    in.SaveMode = AniSaveMode::Colours16;
    std::vector<uint8_t> f = BuildAniFile(in);
    AniReadResult r = ParseAniFile(f.data(), f.size());
    ASSERT_EQ(r.Code, AniReadCode::Read);
    MakeAniImages(r, clBlack, "t");
    const CCURSOR& e = r.Images.at(0);
    for (int p = 0; p < 1024; ++p) ASSERT_EQ(e.OutPixels.Bytes[p], img.OutPixels.Bytes[p]) << p;
    EXPECT_EQ(std::memcmp(e.OutPixels.Mask(), img.OutPixels.Mask(), 128), 0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(e.OutPalette[i], img.OutPalette[i]) << i;
    EXPECT_EQ(e.OutPalette[16], (TRGBQuad{}));
}

// ---- Colour preparation of read images ----

TEST(MakeAniImages, MaskedBlackPixelsBecomeTheBackgroundAndOthersInverse) {
    CCURSOR img;  // palette: 0 black, 1 red, 2 white; everything else unused
    img.OutPalette[1] = TRGBQuad{0, 0, 255, 0};
    img.OutPalette[2] = TRGBQuad{255, 255, 255, 0};
    img.OutPixels.At(5, 6) = 1;
    img.OutPixels.At(7, 8) = 2;
    img.OutPixels.SetMaskBit(7, 8, true);  // masked white: drawn as the inverted screen
    img.OutPixels.SetMaskBit(5, 12, true);  // masked black: transparent
    img.OutPixels.SetMaskBit(3, 12, true);
    AniWriteInput in = InputFor({&img});
    std::vector<uint8_t> f = BuildAniFile(in);
    AniReadResult r = ParseAniFile(f.data(), f.size());
    MakeAniImages(r, MakeColor(0, 200, 100), "x");  // far from every entry: the highest unused index, 255
    const CCURSOR& e = r.Images.at(0);
    EXPECT_EQ(e.Transparent, 1);
    EXPECT_EQ(e.Pixels.At(5, 12), 255);
    EXPECT_EQ(e.Pixels.At(3, 12), 255);
    EXPECT_EQ(e.Pixels.At(0, 0), 0);  // unmasked black stays
    EXPECT_EQ(e.Palette[255], (TRGBQuad{100, 200, 0, 0}));
    EXPECT_EQ(e.Inverse[2], 1);
    EXPECT_EQ(e.Inverse[1], 0);
    // the last masked black pixel in storage order (within a byte from the right) is the point
    EXPECT_EQ(e.TransX, 3);
    EXPECT_EQ(e.TransY, 12);
    EXPECT_EQ(e.TransColor, MakeColor(0, 200, 100));
    EXPECT_EQ(e.OutPixels, img.OutPixels);
}

TEST(MakeAniImages, ABackgroundCloseToAnEntryUsesThatEntry) {
    CCURSOR img;
    img.OutPalette[9] = TRGBQuad{250, 250, 250, 0};
    img.OutPixels.SetMaskBit(1, 1, true);
    std::vector<uint8_t> f = BuildAniFile(InputFor({&img}));
    AniReadResult r = ParseAniFile(f.data(), f.size());
    MakeAniImages(r, clWhite, "x");
    EXPECT_EQ(r.Images.at(0).Pixels.At(1, 1), 9);
    EXPECT_EQ(r.Images.at(0).Palette[9], (TRGBQuad{255, 255, 255, 0}));
}

TEST(AniImageTitle, TakesTheFileTitleUnlessItIsAReductionTemporary) {
    bool temp = true;
    EXPECT_EQ(AniImageTitle("C:\\cursors\\walk.ani", "doc", temp), "walk");
    EXPECT_FALSE(temp);
    EXPECT_EQ(AniImageTitle("/tmp/＃＄減色＄＃.ani", "doc", temp), "doc");
    EXPECT_TRUE(temp);
}

// ---- Seed corpus of the fuzz target ----

TEST(AniFuzzCorpus, EveryFileLoadsOrIsRefusedWithACode) {
    std::filesystem::path dir = std::filesystem::path(TAMSOLO_SOURCE_DIR) / "formats" / "fuzz-corpus" / "ani";
    // Files whose outcome is known; the rest (crashes found later) only must not crash.
    const std::map<std::string, AniReadCode> expected = {
        {"one-icon.ani", AniReadCode::Read},           {"info-seq-mono.ani", AniReadCode::Read},
        {"seq-out-of-range.ani", AniReadCode::NotSupported}, {"zero-frames.ani", AniReadCode::NotSupported},
        {"huge-counts.ani", AniReadCode::NotSupported}, {"truncated.ani", AniReadCode::NotSupported},
        {"list-past-end.ani", AniReadCode::NotSupported},
    };
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        AniReadResult r = ReadAniFile(entry.path().string());
        EXPECT_TRUE(r.Code == AniReadCode::Read || r.Code == AniReadCode::NotSupported) << name;
        if (r.Code == AniReadCode::Read) {
            EXPECT_FALSE(r.Frames.empty()) << name;
            MakeAniImages(r, clWhite, "corpus");
            EXPECT_EQ(r.Images.size(), r.Icons.size());
        }
        auto known = expected.find(name);
        if (known != expected.end()) {
            EXPECT_EQ(r.Code, known->second) << name;
        }
        MonoCursorRecord mono;
        int x = 0, y = 0;
        const MonoCurRead monoCode = ReadMonoCurFile(entry.path().string(), mono, x, y);
        EXPECT_EQ(monoCode, name == "two-colour.cur" ? MonoCurRead::Read : MonoCurRead::NotMono) << name;
        ++files;
    }
    EXPECT_GE(files, 9);
    AniReadResult full = ReadAniFile((dir / "info-seq-mono.ani").string());
    ASSERT_EQ(full.Code, AniReadCode::Read);
    EXPECT_EQ(full.Title, "walk");
    EXPECT_EQ(full.Author, "タイ");
    EXPECT_TRUE(full.HasMonoCursor);
    EXPECT_EQ(full.MonoX, 3);
    ASSERT_EQ(full.Frames.size(), 3u);
    EXPECT_EQ(full.Frames[0].Image, 1);
    EXPECT_EQ(full.Frames[2].Rate, 7);
}

} // namespace
