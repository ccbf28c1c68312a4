#include "PngReader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "PngTestSupport.h"
#include "PngPicture.h"

namespace {
Bytes Rgba(const TRUDEDI& p) {
    const TBitmap& b = p.GetImage();
    const TBitmap& a = p.GetAlphaBitmap();
    Bytes out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            TColor c = b.Pixel(x, y);
            int alpha = p.FHasAlpha ? 255 - a.ScanLine(y)[x] : 255;
            if (!p.FHasAlpha && p.ImageTransparent()) {
                TColor t = p.ImageTransparentColor();
                bool hit = (t & PaletteIndexFlag) ? b.PixelIndex(x, y) == (t & 0xFF) : c == t;
                if (hit) alpha = 0;
            }
            out.insert(out.end(), {RedOf(c), GreenOf(c), BlueOf(c), uint8_t(alpha)});
        }
    return out;
}

void Load(TRUDEDI& p, const Bytes& png) {
    TMemoryStream m;
    m.Write(png.data(), static_cast<int64_t>(png.size()));
    m.SetPosition(0);
    p.LoadFromStream(m);
}

std::string LoadError(const Bytes& png) {
    TRUDEDI p;
    try {
        Load(p, png);
    } catch (const ERUDEDI& e) {
        return e.what();
    }
    return "no error";
}

// Raw rows (filter byte included) of a small grey or palette image.
Bytes RawRows(int w, int h, int bytesPerRow) {
    Bytes raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int i = 0; i < bytesPerRow; ++i) raw.push_back(uint8_t(i * 31 + y * 7));
    }
    (void)w;
    return raw;
}

Bytes Palette(int n) {
    Bytes p;
    for (int i = 0; i < n; ++i) p.insert(p.end(), {uint8_t(i * 40), uint8_t(255 - i * 9), uint8_t(i)});
    return p;
}

// A valid 4x3 8-bit palette file and its pieces.
Bytes SmallIdat() { return Chunk("IDAT", Deflate(RawRows(4, 3, 4))); }
Bytes SmallPalette() {
    return PngOf({Ihdr(4, 3, 8, 3), Chunk("PLTE", Palette(200)), SmallIdat(), Chunk("IEND", {})});
}

std::vector<std::string> FixtureNames() {
    std::ifstream f(TestDataPath("fixtures.txt"));
    std::vector<std::string> names;
    for (std::string line; std::getline(f, line);)
        if (!line.empty()) names.push_back(line);
    return names;
}
} // namespace

TEST(PngReader, DecodesIndependentEncodersFilesAsPillowDoes) {
    const std::vector<std::string> names = FixtureNames();
    ASSERT_GE(names.size(), 50u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TRUDEDI p;
        ASSERT_NO_THROW(p.LoadFromFile(TestDataPath(name + ".png")));
        Bytes want = ReadFileBytes(TestDataPath(name + ".rgba"));
        Bytes got = Rgba(p);
        ASSERT_EQ(got.size(), want.size());
        std::size_t diff = 0;
        while (diff < got.size() && got[diff] == want[diff]) ++diff;
        EXPECT_EQ(diff, got.size()) << "first difference at pixel " << diff / 4 << " channel " << diff % 4;
    }
}

TEST(PngReader, ChoosesTheBitmapFormatByColourTypeAndDepth) {
    struct Case {
        const char* Name;
        TPixelFormat Format;
        int BitDepth;
        bool Alpha;
        bool Grey;
        bool Interlaced;
    };
    const Case cases[] = {
        {"g1", TPixelFormat::pf1bit, 1, false, true, false},  {"g2", TPixelFormat::pf4bit, 2, false, true, false},
        {"g4_a7", TPixelFormat::pf4bit, 4, false, true, true}, {"g16", TPixelFormat::pf8bit, 16, false, true, false},
        {"ga16", TPixelFormat::pf8bit, 16, true, true, false}, {"rgb8", TPixelFormat::pf24bit, 24, false, false, false},
        {"rgb16", TPixelFormat::pf24bit, 48, false, false, false},
        {"rgba16_a7", TPixelFormat::pf24bit, 48, true, false, true},
        {"p2", TPixelFormat::pf4bit, 2, false, false, false}, {"p8_trns_levels", TPixelFormat::pf8bit, 8, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TRUDEDI p;
        p.LoadFromFile(TestDataPath(std::string(c.Name) + ".png"));
        EXPECT_EQ(p.GetImage().PixelFormat(), c.Format);
        EXPECT_EQ(p.FBitDepth, c.BitDepth);
        EXPECT_EQ(p.FHasAlpha, c.Alpha);
        EXPECT_EQ(p.FGrayScale, c.Grey);
        EXPECT_EQ(p.FInterlaceType == gptAdam7, c.Interlaced);
        EXPECT_EQ(p.GetAlphaBitmap().Empty(), !c.Alpha);
    }
    TRUDEDI g2;
    g2.LoadFromFile(TestDataPath("g2.png"));
    ASSERT_EQ(g2.GetPalette().size(), 4u);
    EXPECT_EQ(g2.GetPalette()[1].Red, 85);
    EXPECT_EQ(g2.GetPalette()[2].Green, 170);
}

TEST(PngReader, TransparencyBecomesAColourOrAnAlphaBitmap) {
    TRUDEDI single;
    single.LoadFromFile(TestDataPath("p8_trns_single.png"));
    EXPECT_FALSE(single.FHasAlpha);
    EXPECT_TRUE(single.Transparent());
    EXPECT_EQ(single.TransColor(), single.GetImage().PixelIndex(0, 0) | PaletteIndexFlag);
    TRUDEDI grey;
    grey.LoadFromFile(TestDataPath("g4_trns.png"));
    TColor c = grey.GetImage().Pixel(0, 0);
    EXPECT_EQ(grey.TransColor(), c);  // scaled like the grey palette
    TRUDEDI wide;
    wide.LoadFromFile(TestDataPath("rgb16_trns.png"));
    EXPECT_EQ(wide.TransColor(), wide.GetImage().Pixel(0, 0));  // by the high bytes of the samples
}

TEST(PngReader, SixteenBitColourKeysCompareAllSixteenBits) {
    // 3 x 1, samples 0x8000, 0x80ff, 0x7fff (grey, or the same in red, green and blue) and
    // the key 0x8000: only the first pixel is transparent, as libpng and ImageMagick read it,
    // although the second shows the same 8 bits. A key whose 8 bits no other pixel shares
    // stays a transparent colour. Adam7 puts the pixels in passes 1, 6 and 4.
    auto grey = [](std::initializer_list<uint16_t> v) {
        Bytes b;
        for (uint16_t s : v) b = Cat({b, BE16(s)});
        return b;
    };
    auto rgb = [&](std::initializer_list<uint16_t> v) {
        Bytes b;
        for (uint16_t s : v) b = Cat({b, BE16(s), BE16(s), BE16(s)});
        return b;
    };
    const Bytes f{0};
    struct TCase {
        const char* Name;
        int ColourType, Interlace;
        Bytes Raw, Key;
        std::vector<uint8_t> Alpha;
        bool AlphaBitmap;
        std::vector<uint8_t> Levels{0x80, 0x80, 0x7f};  // the samples' high bytes
    };
    const TCase cases[] = {
        {"grey", 0, 0, Cat({f, grey({0x8000, 0x80ff, 0x7fff})}), BE16(0x8000), {0, 255, 255}, true},
        {"rgb", 2, 0, Cat({f, rgb({0x8000, 0x80ff, 0x7fff})}), Cat({BE16(0x8000), BE16(0x8000), BE16(0x8000)}),
         {0, 255, 255}, true},
        {"grey adam7", 0, 1, Cat({f, grey({0x8000}), f, grey({0x7fff}), f, grey({0x80ff})}), BE16(0x8000),
         {0, 255, 255}, true},
        {"unique key", 2, 0, Cat({f, rgb({0x8000, 0x7fff, 0x8000})}), Cat({BE16(0x8000), BE16(0x8000), BE16(0x8000)}),
         {0, 255, 0}, false, {0x80, 0x7f, 0x80}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRUDEDI p;
        Load(p, PngOf({Ihdr(3, 1, 16, c.ColourType, c.Interlace), Chunk("tRNS", c.Key), Chunk("IDAT", Deflate(c.Raw)),
                       Chunk("IEND", {})}));
        const Bytes rgba = Rgba(p);
        EXPECT_EQ((std::vector<uint8_t>{rgba[3], rgba[7], rgba[11]}), c.Alpha);
        EXPECT_EQ((std::vector<uint8_t>{rgba[0], rgba[5], rgba[10]}), c.Levels);
        EXPECT_EQ(p.FHasAlpha, c.AlphaBitmap);
        EXPECT_EQ(p.GetAlphaBitmap().Empty(), !c.AlphaBitmap);
        EXPECT_EQ(p.ImageTransparent(), !c.AlphaBitmap);
    }
}

TEST(PngReader, KeepsTheTransparentColourWithoutIend) {
    Bytes png = PngOf({Ihdr(4, 3, 8, 3), Chunk("PLTE", Palette(200)), Chunk("tRNS", {255, 0}), SmallIdat()});
    TRUDEDI p;
    Load(p, png);
    EXPECT_TRUE(p.Transparent());
    EXPECT_EQ(p.TransColor(), 1 | PaletteIndexFlag);
}

TEST(PngReader, ReadsAFileWrittenByTheWriterBack) {
    TBitmap b(32, 32, TPixelFormat::pf8bit);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) b.SetPixelIndex(x, y, (x + 3 * y) % 256);
    TRUDEDI out;
    out.Assign(b);
    out.SetTransColor(QuadToColor(b.Colors()[5]));
    TMemoryStream m;
    out.SaveToStream(m);
    m.SetPosition(0);
    TRUDEDI in;
    in.LoadFromStream(m);
    EXPECT_EQ(in.GetImage().PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(in.GetImage().Colors(), b.Colors());
    EXPECT_EQ(in.GetImage().Bits()[0], b.Bits()[0]);
    EXPECT_TRUE(std::equal(b.Bits(), b.Bits() + b.BitsSize(), in.GetImage().Bits()));
    EXPECT_TRUE(in.Transparent());
    EXPECT_EQ(in.TransColor(), 5 | PaletteIndexFlag);
    EXPECT_TRUE(in.GetAlphaBitmap().Empty());
    EXPECT_EQ(m.Position(), m.Size());  // the stream stands behind IEND
}

TEST(PngReader, RowHookUndoesTheWritersRowHook) {
    TBitmap b(7, 6, TPixelFormat::pf24bit);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x) b.SetPixel(x, y, MakeColor(uint8_t(x * 30), uint8_t(y * 40), uint8_t(x * y)));
    TRUDEDI out;
    out.Assign(b);
    out.FPassword = "secret";
    out.FInterlaceType = gptAdam7;
    out.OnEncode = [](void*, uint8_t* buf, int len, int line, const std::string&) {
        for (int i = 0; i < len; ++i) buf[i] ^= uint8_t(line + i);
    };
    TMemoryStream m;
    out.SaveToStream(m);
    m.SetPosition(0);
    TRUDEDI in;
    std::string asked;
    in.FPassword = "initial";
    in.OnPassword = [&](void*, std::string& pw) {
        asked = pw;
        pw = "changed";
    };
    in.OnDecode = [](void*, uint8_t* buf, int len, int line, const std::string& pw) {
        EXPECT_EQ(pw, "changed");
        for (int i = 0; i < len; ++i) buf[i] ^= uint8_t(line + i);
    };
    in.LoadFromStream(m);
    EXPECT_EQ(asked, "initial");
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(in.GetImage().Pixel(x, y), b.Pixel(x, y));
}

TEST(PngReader, ReadsTheAncillaryChunks) {
    Bytes png = PngOf({Ihdr(4, 3, 8, 2), Chunk("gAMA", BE32(45455)),
                       Chunk("cHRM", Cat({BE32(31270), BE32(32900), BE32(1), BE32(2), BE32(3), BE32(4), BE32(5), BE32(6)})),
                       Chunk("gIFg", {1, 1, 0, 7}), Chunk("sBIT", {5, 6, 5}), Chunk("pHYs", Cat({BE32(2834), BE32(2835), {1}})),
                       Chunk("tIME", {0x07, 0xE8, 2, 29, 12, 30, 59}), Chunk("tEXt", Cat({Text("Comment"), {0}, Text("a")})),
                       Chunk("tEXt", Cat({Text("Author"), {0}, Text("x")})), Chunk("tEXt", Cat({Text("Comment"), {0}, Text("b")})),
                       Chunk("bKGD", Cat({BE16(0x0102), BE16(0x0304), BE16(0x0506)})), Chunk("IDAT", Deflate(RawRows(4, 3, 12))),
                       Chunk("IEND", {})});
    TRUDEDI p;
    Load(p, png);
    EXPECT_DOUBLE_EQ(p.FGamma, 0.45455);
    EXPECT_EQ(p.GetChrm().WhiteY, 32900u);
    EXPECT_EQ(p.GetChrm().BlueY, 6u);
    EXPECT_EQ(p.GetGIFEXt().DelayTime[1], 7);
    EXPECT_EQ(p.FSBit, 0x050605);
    EXPECT_EQ(p.FXPixels, 2834);
    EXPECT_EQ(p.FYPixels, 2835);
    EXPECT_EQ(p.FUnitSpecifier, gpuMeter);
    EXPECT_EQ(p.GetTime(), (TPNGTime{2024, 2, 29, 12, 30, 59}));
    EXPECT_EQ(p.FComment, "a\r\n\r\nb\r\n");
    EXPECT_EQ(p.FBGColor, MakeColor(2, 4, 6));  // 8-bit samples: the low byte
}

TEST(PngReader, RestoresFiveSixFiveOnlyWhenAsked) {
    TRUDEDI plain;
    plain.LoadFromFile(TestDataPath("rgb8_sbit565.png"));
    EXPECT_EQ(plain.GetImage().PixelFormat(), TPixelFormat::pf24bit);
    TRUDEDI restored;
    restored.FRestore1516 = true;
    restored.LoadFromFile(TestDataPath("rgb8_sbit565.png"));
    EXPECT_EQ(restored.GetImage().PixelFormat(), TPixelFormat::pf16bit);
    EXPECT_EQ(restored.FBitDepth, 16);
    TColor full = plain.GetImage().Pixel(3, 2), five = restored.GetImage().Pixel(3, 2);
    EXPECT_EQ(RedOf(five) >> 3, RedOf(full) >> 3);
    EXPECT_EQ(GreenOf(five) >> 2, GreenOf(full) >> 2);
    TRUDEDI wide;  // 16-bit samples are not restored
    wide.FRestore1516 = true;
    Bytes png = ReadFileBytes(TestDataPath("rgb16.png"));
    Bytes sbit = Chunk("sBIT", {5, 6, 5});
    png.insert(png.begin() + 33, sbit.begin(), sbit.end());
    Load(wide, png);
    EXPECT_EQ(wide.GetImage().PixelFormat(), TPixelFormat::pf24bit);
}

TEST(PngReader, AcceptsWrongCrcsAndSkipsUnknownChunks) {
    Bytes png = SmallPalette();
    png[29] ^= 0xFF;  // IHDR CRC
    Bytes unknown = Chunk("zzZz", Bytes(5000, 1));
    png.insert(png.begin() + 33, unknown.begin(), unknown.end());
    TRUDEDI p;
    Load(p, png);
    EXPECT_EQ(p.GetWidth(), 4);
    EXPECT_EQ(p.GetImage().PixelIndex(1, 0), 31);
}

TEST(PngReader, SkipsAMacBinaryHeader) {
    Bytes png = SmallPalette();
    Bytes mac(128, 0);
    mac[1] = 5;
    png.insert(png.begin(), mac.begin(), mac.end());
    TRUDEDI p;
    Load(p, png);
    EXPECT_EQ(p.GetHeight(), 3);
    TRUDEDI strict;
    strict.FMacBinaryCheck = false;
    EXPECT_THROW(Load(strict, png), ERUDEDI);
}

TEST(PngReader, RejectsBrokenHeadersWithTheirMessages) {
    const Bytes plte = Chunk("PLTE", Palette(4));
    const Bytes end = Chunk("IEND", {});
    const Bytes idat = SmallIdat();
    struct Case { const char* Message; Bytes Png; };
    const Case cases[] = {
        {"PNG LoadStream: Not PNG Format", Cat({Text("\x89PNG\r\n\x1a\x0b"), Ihdr(4, 3, 8, 3)})},
        {"PNG LoadStream: Not PNG Format", Bytes{0x89, 'P'}},
        {"Read Header(PNG): appear two IHDR", PngOf({Ihdr(4, 3, 8, 3), Ihdr(4, 3, 8, 3)})},
        {"Read Header(PNG): Error ColorType", PngOf({Ihdr(4, 3, 8, 1)})},
        {"Read Header(PNG): Error ColorType", PngOf({Ihdr(4, 3, 8, 5)})},
        {"Read Header(PNG): Error ColorType", PngOf({Ihdr(4, 3, 8, 7)})},
        {"Read Header(PNG): Error ColorType", PngOf({Ihdr(4, 3, 8, 10)})},
        {"Read Header(PNG): Error ColorType", PngOf({Ihdr(4, 3, 8, 11)})},
        {"Read Header(PNG): not support Compression", PngOf({Ihdr(4, 3, 8, 3, 0, 1)})},
        {"Read Header(PNG): not supprt Filter", PngOf({Ihdr(4, 3, 8, 3, 0, 0, 1)})},
        {"Read Header(PNG): not interlace type", PngOf({Ihdr(4, 3, 8, 3, 2)})},
        {"Read Header(PNG): Error Size", PngOf({Ihdr(0, 3, 8, 3)})},
        {"Read Header(PNG): Error Size", PngOf({Ihdr(4, 0x80000000u, 8, 3)})},
        {"Read Header(PNG): Error Length", PngOf({Chunk("IHDR", Bytes(12, 1))})},
        {"Read Header(PNG): IDAT before IHDR", PngOf({idat, Ihdr(4, 3, 8, 3)})},
        {"Read Header(PNG): not found PLTE", PngOf({Ihdr(4, 3, 8, 3), idat, end})},
        {"Read Header(PNG): Error Bitdepth", PngOf({Ihdr(4, 3, 3, 0), idat})},
        {"Read Header(PNG): not Use AlphaChannel", PngOf({Ihdr(4, 3, 4, 4), idat})},
        {"Read Header(PNG): Error BitDepth", PngOf({Ihdr(4, 3, 4, 2), idat})},
        {"Read Header(PNG): Error BitDepth", PngOf({Ihdr(4, 3, 16, 3), plte, idat})},
        {"Read Header(PNG): not found IHDR", PngOf({Chunk("tEXt", Text("a\0b")), end})},
        {"Read Image (PNG): not found IDAT", PngOf({Ihdr(4, 3, 8, 3), plte, end})},
        {"Read Chunk(PNG): Error Length", PngOf({Ihdr(4, 3, 8, 3), Cat({BE32(0x80000000u), Text("tEXt")})})},
        {"Read Image (PNG): Image too large", PngOf({Ihdr(40000, 40000, 8, 2), idat})},
        {"Read Image (PNG): Image too large", PngOf({Ihdr(0x7FFFFFFF, 1, 16, 6), idat})},
    };
    for (const Case& c : cases) EXPECT_EQ(LoadError(c.Png), c.Message) << c.Message;
}

TEST(PngReader, ImageDataThatEndsOrBreaksIsAReadError) {
    const Bytes plte = Chunk("PLTE", Palette(200));
    const Bytes z = Deflate(RawRows(4, 3, 4));
    Bytes badFilter = RawRows(4, 3, 4);
    badFilter[5] = 5;
    Bytes dictionary = {0x78, 0xBB, 0, 0, 0, 1, 0x03, 0x00};
    const Bytes small = SmallPalette();
    struct Case { const char* Name; Bytes Png; };
    const Case cases[] = {
        {"short stream", PngOf({Ihdr(4, 3, 8, 3), plte, Chunk("IDAT", Deflate(RawRows(4, 2, 4))), Chunk("IEND", {})})},
        {"cut inside IDAT", Bytes(small.begin(), small.end() - 12 - 12)},
        {"another chunk inside the data", PngOf({Ihdr(4, 3, 8, 3), plte, Chunk("IDAT", Bytes(z.begin(), z.begin() + 5)),
                                                 Chunk("tEXt", Text("x")), Chunk("IDAT", Bytes(z.begin() + 5, z.end()))})},
        {"filter type 5", PngOf({Ihdr(4, 3, 8, 3), plte, Chunk("IDAT", Deflate(badFilter)), Chunk("IEND", {})})},
        {"preset dictionary", PngOf({Ihdr(4, 3, 8, 3), plte, Chunk("IDAT", dictionary), Chunk("IEND", {})})},
        {"not zlib", PngOf({Ihdr(4, 3, 8, 3), plte, Chunk("IDAT", Bytes(40, 0xFF)), Chunk("IEND", {})})},
        {"empty image data", PngOf({Ihdr(4, 3, 8, 3), plte, Chunk("IDAT", {}), Chunk("IEND", {})})},
    };
    for (const Case& c : cases) EXPECT_EQ(LoadError(c.Png), "Read Image (PNG): Read Error") << c.Name;
}

TEST(PngReader, RefusesByTheHeaderPicturesPastTheLimitAndDataTheFileCannotHold) {
    const Bytes idat = SmallIdat();
    struct Case { const char* Message; Bytes Png; };
    const Case cases[] = {
        {"Read Image (PNG): Image too large", PngOf({Ihdr(16000, 16000, 8, 0), idat})},
        {"Read Image (PNG): Image too large", PngOf({Ihdr(16000, 5500, 16, 6), idat})},
        {"Read Image (PNG): Image too large", PngOf({Ihdr(8192, 8193, 1, 0), idat})},
        {"Read Image (PNG): Image too large", PngOf({Ihdr(1, 60000000, 1, 0), idat})},
        {"Read Image (PNG): Image too large", PngOf({Ihdr(32769, 1, 1, 0), idat})},
        // 256 MB of rows from 2 KB of image data: no deflate stream expands so far.
        {"Read Image (PNG): Read Error", PngOf({Ihdr(8000, 8000, 8, 6), Chunk("IDAT", Bytes(2048, 0))})},
        {"Read Image (PNG): Read Error", PngOf({Ihdr(8000, 8000, 8, 6, 1), Chunk("IDAT", Bytes(2048, 0))})},
    };
    for (const Case& c : cases) {
        TRUDEDI p;
        try {
            Load(p, c.Png);
            ADD_FAILURE() << "read " << c.Message;
        } catch (const ERUDEDI& e) {
            EXPECT_STREQ(e.what(), c.Message);
        }
        EXPECT_TRUE(p.GetImage().Empty()) << "a picture was allocated for " << c.Message;
    }
    // At the limit, with the image data it needs, the picture is read.
    TRUDEDI p;
    Load(p, PngOf({Ihdr(8192, 8192, 1, 0), Chunk("IDAT", Deflate(Bytes(8192 * 1025, 0), 9)), Chunk("IEND", {})}));
    EXPECT_EQ(p.GetWidth(), 8192);
    EXPECT_EQ(p.GetHeight(), 8192);
}

TEST(PngReader, KeepsNoMorePaletteEntriesThanTheBitmapIndexes) {
    Bytes png = PngOf({Ihdr(4, 3, 4, 3), Chunk("PLTE", Palette(256)), Chunk("IDAT", Deflate(RawRows(4, 3, 2))),
                       Chunk("IEND", {})});
    TRUDEDI p;
    Load(p, png);
    EXPECT_EQ(p.GetImage().PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(p.GetPalette().size(), 16u);
}

TEST(PngReader, AcceptsEmptyIdatChunksBetweenDataChunks) {
    const Bytes z = Deflate(RawRows(4, 3, 4));
    Bytes png = PngOf({Ihdr(4, 3, 8, 3), Chunk("PLTE", Palette(200)), Chunk("IDAT", {}),
                       Chunk("IDAT", Bytes(z.begin(), z.begin() + 4)), Chunk("IDAT", {}), Chunk("IDAT", {}),
                       Chunk("IDAT", Bytes(z.begin() + 4, z.end())), Chunk("IDAT", {}), Chunk("IEND", {})});
    TRUDEDI p;
    Load(p, png);
    EXPECT_EQ(p.GetImage().PixelIndex(3, 2), uint8_t(3 * 31 + 2 * 7));
}

TEST(PngReader, NeverCrashesOnATruncatedFile) {
    for (const char* name : {"rgba16_a7", "p4_trns_short", "g2_trns", "rgb8_idat1", "im_p8_a7"}) {
        const Bytes full = ReadFileBytes(TestDataPath(std::string(name) + ".png"));
        TRUDEDI whole;
        Load(whole, full);
        const Bytes want = Rgba(whole);
        for (std::size_t n = 0; n < full.size(); ++n) {
            TRUDEDI p;
            try {
                Load(p, Bytes(full.begin(), full.begin() + static_cast<long>(n)));
            } catch (const ERUDEDI&) {
                continue;
            }
            // Only a cut behind the complete image data may still read, and then to the same picture.
            EXPECT_EQ(Rgba(p), want) << name << " cut at " << n;
        }
    }
}

TEST(PngReader, FailedReadLeavesTheResultsAlone) {
    TRUDEDI p;
    p.FComment = "kept";
    p.FBGColor = 7;
    EXPECT_THROW(Load(p, PngOf({Ihdr(4, 3, 8, 1)})), ERUDEDI);
    EXPECT_EQ(p.FComment, "kept");
    EXPECT_EQ(p.FBGColor, 7);
}
