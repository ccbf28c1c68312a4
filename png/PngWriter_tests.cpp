#include "PngWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "PngTestSupport.h"
#include "PngPicture.h"

namespace {
// A bitmap with a varied pattern; paletted ones get a palette of distinct colours.
TBitmap Pattern(int w, int h, TPixelFormat pf, int paletteSize = -1) {
    TBitmap b(w, h, pf);
    if (IsPaletted(pf)) {
        int n = paletteSize >= 0 ? paletteSize : 1 << BitsOf(pf);
        b.Colors().resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            b.Colors()[static_cast<std::size_t>(i)] =
                TRGBQuad{uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 5 + 3), 0};
    }
    const int max = IsPaletted(pf) ? 1 << BitsOf(pf) : 0;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b.ScanLine(y);
        if (IsPaletted(pf)) {
            for (int x = 0; x < w; ++x) b.SetPixelIndex(x, y, (x * 3 + y * 5 + x * y) % max);
        } else {
            for (int i = 0; i < b.RowBytes(); ++i) row[i] = uint8_t(i * 13 + y * 29 + (i * y) % 7);
            if (pf == TPixelFormat::pf15bit)
                for (int x = 0; x < w; ++x) row[2 * x + 1] &= 0x7F;
        }
    }
    return b;
}

TBitmap AlphaOf(int w, int h) {
    TBitmap a(w, h, TPixelFormat::pf8bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) a.ScanLine(y)[x] = uint8_t((x * 40 + y * 3) & 0xFF);
    return a;
}

Bytes Encode(TRUDEDI& p) {
    TMemoryStream m;
    p.SaveToStream(m);
    return m.Bytes();
}

Bytes EncodeBitmap(const TBitmap& b, TColor trans = -1) {
    TRUDEDI p;
    p.Assign(b);
    p.SetTransColor(trans);
    return Encode(p);
}

std::vector<std::string> TypesOf(const Bytes& png) {
    std::vector<std::string> t;
    for (const TParsedChunk& c : ParseChunks(png)) t.push_back(c.Type);
    return t;
}

std::optional<TParsedChunk> Find(const std::vector<TParsedChunk>& chunks, const std::string& type) {
    for (const TParsedChunk& c : chunks)
        if (c.Type == type) return c;
    return std::nullopt;
}
} // namespace

TEST(PngWriter, WritesTheFixedPrefixOfThePaletteImage) {
    Bytes png = EncodeBitmap(Pattern(32, 32, TPixelFormat::pf8bit));
    ASSERT_GE(png.size(), 123u);
    const Bytes expect = Cat({Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, BE32(13), Text("IHDR"),
                              Bytes{0, 0, 0, 32, 0, 0, 0, 32, 8, 3, 0, 0, 0}, Bytes(4, 0xEE), BE32(7), Text("tIME"),
                              Bytes(7, 0xEE), Bytes(4, 0xEE), BE32(23), Text("tEXt"), Text("Software"), Bytes{0},
                              Text("RUDEDI ver 3.4"), Bytes(4, 0xEE), BE32(8), Text("tpNG"), Text("DUV3"),
                              Bytes{0, 0, 0, 0}, Bytes(4, 0xEE), BE32(4), Text("gAMA"), Bytes{0, 0, 0xB1, 0x8F}});
    ASSERT_EQ(expect.size(), 119u);
    for (std::size_t i = 0; i < expect.size(); ++i)
        if (expect[i] != 0xEE) {
            EXPECT_EQ(png[i], expect[i]) << "byte " << i;
        }
    std::vector<TParsedChunk> chunks = ParseChunks(png);
    for (const TParsedChunk& c : chunks) EXPECT_TRUE(c.CrcOk) << c.Type;
    EXPECT_EQ(TypesOf(png), (std::vector<std::string>{"IHDR", "tIME", "tEXt", "tpNG", "gAMA", "PLTE", "IDAT", "IEND"}));
    const Bytes& t = chunks[1].Data;
    TPNGTime now = CurrentUtcTime();
    EXPECT_EQ((t[0] << 8) | t[1], now.Year);
    EXPECT_GE(t[2], 1);
    EXPECT_LE(t[2], 12);
    EXPECT_EQ(chunks[5].Data.size(), 3u * 256);
}

TEST(PngWriter, CommentComesBeforeTheSoftwareText) {
    TRUDEDI p;
    p.Assign(Pattern(4, 4, TPixelFormat::pf8bit));
    Bytes plain = Encode(p);
    p.FComment = "line one\r\nline two";
    Bytes withComment = Encode(p);
    EXPECT_EQ(withComment.size(), plain.size() + 12 + 8 + p.FComment.size());
    std::vector<TParsedChunk> chunks = ParseChunks(withComment);
    ASSERT_GE(chunks.size(), 4u);
    EXPECT_EQ(chunks[2].Data, Cat({Text("Comment"), Bytes{0}, Text(p.FComment)}));
    EXPECT_EQ(chunks[3].Data, Cat({Text("Software"), Bytes{0}, Text("RUDEDI ver 3.4")}));
}

TEST(PngWriter, TransparentColourNamesItsPaletteEntry) {
    TBitmap b = Pattern(8, 8, TPixelFormat::pf8bit);
    Bytes png = EncodeBitmap(b, QuadToColor(b.Colors()[5]));
    std::optional<TParsedChunk> trns = Find(ParseChunks(png), "tRNS");
    ASSERT_TRUE(trns);
    EXPECT_EQ(trns->Data, (Bytes{255, 255, 255, 255, 255, 0}));
    EXPECT_EQ(TypesOf(png)[6], "tRNS");  // after PLTE
    EXPECT_FALSE(Find(ParseChunks(EncodeBitmap(b, -1)), "tRNS"));
}

TEST(PngWriter, ColourTypeFollowsTheSourceAndItsAlphaBitmap) {
    struct Case {
        const char* Name;
        TPixelFormat Format;
        int AlphaW, AlphaH;
        TPixelFormat AlphaFormat;
        int ColourType;
        bool HasTrns;
    };
    const Case cases[] = {
        {"24 + alpha", TPixelFormat::pf24bit, 6, 5, TPixelFormat::pf8bit, 6, false},
        {"24 + alpha of another size", TPixelFormat::pf24bit, 5, 5, TPixelFormat::pf8bit, 2, true},
        {"24 + alpha of another format", TPixelFormat::pf24bit, 6, 5, TPixelFormat::pf24bit, 2, true},
        {"8 + alpha", TPixelFormat::pf8bit, 6, 5, TPixelFormat::pf8bit, 3, true},
        {"32 + alpha", TPixelFormat::pf32bit, 6, 5, TPixelFormat::pf8bit, 6, false},
    };
    for (const Case& c : cases) {
        TRUDEDI p;
        TBitmap b = Pattern(6, 5, c.Format);
        p.Assign(b);
        TBitmap alpha = c.AlphaFormat == TPixelFormat::pf8bit ? AlphaOf(c.AlphaW, c.AlphaH)
                                                               : Pattern(c.AlphaW, c.AlphaH, c.AlphaFormat);
        p.AlphaBitmapAssign(alpha);
        p.FHasAlpha = true;
        p.SetTransColor(b.Pixel(0, 0));
        Bytes png = Encode(p);
        std::vector<TParsedChunk> chunks = ParseChunks(png);
        EXPECT_EQ(chunks[0].Data[9], c.ColourType) << c.Name;
        EXPECT_EQ(Find(chunks, "tRNS").has_value(), c.HasTrns) << c.Name;
        EXPECT_FALSE(Find(chunks, "sBIT")) << c.Name;  // no sBIT of zeros beside the alpha byte
    }
}

TEST(PngWriter, HighColourSourcesCarryTheirSignificantBits) {
    for (auto [pf, sbit] : {std::pair{TPixelFormat::pf16bit, Bytes{5, 6, 5}}, std::pair{TPixelFormat::pf15bit, Bytes{5, 5, 5}}}) {
        std::vector<TParsedChunk> chunks = ParseChunks(EncodeBitmap(Pattern(3, 3, pf)));
        EXPECT_EQ(chunks[0].Data[8], 8);
        EXPECT_EQ(chunks[0].Data[9], 2);
        std::optional<TParsedChunk> s = Find(chunks, "sBIT");
        ASSERT_TRUE(s);
        EXPECT_EQ(s->Data, sbit);
    }
    TRUDEDI p;
    p.Assign(Pattern(3, 3, TPixelFormat::pf16bit));
    p.AlphaBitmapAssign(AlphaOf(3, 3));
    p.FHasAlpha = true;
    std::optional<TParsedChunk> s = Find(ParseChunks(Encode(p)), "sBIT");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Data, (Bytes{5, 6, 5, 8}));
}

TEST(PngWriter, GreyscaleOfAWhiteFirstTwoColourImageInvertsItsBits) {
    TBitmap b(9, 2, TPixelFormat::pf1bit);
    b.Colors() = {TRGBQuad{255, 255, 255, 0}, TRGBQuad{0, 0, 0, 0}};
    b.SetPixelIndex(0, 0, 1);  // black
    TRUDEDI p;
    p.Assign(b);
    p.FGrayScale = true;
    Bytes png = Encode(p);
    std::vector<TParsedChunk> chunks = ParseChunks(png);
    EXPECT_EQ(chunks[0].Data[8], 1);
    EXPECT_EQ(chunks[0].Data[9], 0);
    EXPECT_FALSE(Find(chunks, "PLTE"));
    Bytes raw = InflateIdat(png);
    ASSERT_EQ(raw.size(), 2u * 3);
    EXPECT_EQ(raw[1], 0x7F);  // pixel 0 black (0), the rest white (1)
    EXPECT_EQ(raw[2] & 0x80, 0x80);
}

TEST(PngWriter, GreyscaleOfTrueColourHasNoPaletteNorSignificantBits) {
    TRUDEDI p;
    TBitmap b(2, 1, TPixelFormat::pf24bit);
    b.SetPixel(0, 0, MakeColor(255, 0, 0));
    b.SetPixel(1, 0, MakeColor(10, 200, 30));
    p.Assign(b);
    p.FGrayScale = true;
    Bytes png = Encode(p);
    std::vector<TParsedChunk> chunks = ParseChunks(png);
    EXPECT_EQ(chunks[0].Data[8], 8);
    EXPECT_EQ(chunks[0].Data[9], 0);
    EXPECT_FALSE(Find(chunks, "PLTE"));
    EXPECT_FALSE(Find(chunks, "sBIT"));
    EXPECT_EQ(InflateIdat(png), (Bytes{0, (77 * 255) >> 8, (77 * 10 + 150 * 200 + 29 * 30) >> 8}));
}

TEST(PngWriter, OptionalChunksFollowTheirOptions) {
    TRUDEDI p;
    p.Assign(Pattern(4, 4, TPixelFormat::pf24bit));
    p.FGamma = 0;
    p.FStampTime = false;
    p.SetTime(TPNGTime{2024, 13, 1, 0, 0, 0});
    p.FXPixels = 72, p.FYPixels = 96, p.FUnitSpecifier = gpuInch;
    p.FBGColor = MakeColor(1, 2, 3);
    p.SetChrm(TPNGChromaticities{31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000});
    p.SetGIFExt(TPNGGIFExtension{2, 0, {0, 10}});
    std::vector<TParsedChunk> chunks = ParseChunks(Encode(p));
    EXPECT_FALSE(Find(chunks, "gAMA"));
    EXPECT_FALSE(Find(chunks, "tIME"));
    ASSERT_TRUE(Find(chunks, "pHYs"));
    EXPECT_EQ(Find(chunks, "pHYs")->Data, Cat({BE32(2834), BE32(3779), Bytes{1}}));
    ASSERT_TRUE(Find(chunks, "bKGD"));
    EXPECT_EQ(Find(chunks, "bKGD")->Data, Cat({BE16(1), BE16(2), BE16(3)}));
    ASSERT_TRUE(Find(chunks, "cHRM"));
    EXPECT_EQ(Find(chunks, "cHRM")->Data.size(), 32u);
    ASSERT_TRUE(Find(chunks, "gIFg"));
    EXPECT_EQ(Find(chunks, "gIFg")->Data, (Bytes{2, 0, 0, 10}));
    p.SetTime(TPNGTime{2024, 12, 31, 23, 59, 60});
    std::optional<TParsedChunk> t = Find(ParseChunks(Encode(p)), "tIME");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Data, (Bytes{0x07, 0xE8, 12, 31, 23, 59, 60}));
}

TEST(PngWriter, RefusesPicturesItCannotWriteValidly) {
    TBitmap noPalette = Pattern(4, 4, TPixelFormat::pf8bit);
    noPalette.Colors().clear();
    EXPECT_THROW(EncodeBitmap(noPalette), ERUDEDI);
    EXPECT_THROW(EncodeBitmap(TBitmap()), ERUDEDI);
    TRUDEDIWriteStream w;
    EXPECT_THROW(w.SetIDATSize(255), ERUDEDI);
    EXPECT_THROW(w.SetIDATSize(100001), ERUDEDI);
    EXPECT_NO_THROW(w.SetIDATSize(256));
    EXPECT_NO_THROW(w.SetIDATSize(100000));
    try {
        w.SetIDATSize(0);
    } catch (const ERUDEDI& e) {
        EXPECT_STREQ(e.what(), "Write PNG Param: Err IDAT Size(min:256  max:100000)");
    }
}

TEST(PngWriter, SplitsImageDataIntoPiecesOfTheIdatSize) {
    TRUDEDI p;
    p.Assign(Pattern(64, 64, TPixelFormat::pf24bit));
    p.FCompressLevel = 0;
    p.SetIDATSize(256);
    Bytes png = Encode(p);
    std::vector<TParsedChunk> idat;
    for (TParsedChunk& c : ParseChunks(png))
        if (c.Type == "IDAT") idat.push_back(c);
    ASSERT_GT(idat.size(), 40u);
    for (std::size_t i = 0; i + 1 < idat.size(); ++i) EXPECT_EQ(idat[i].Data.size(), 256u);
    EXPECT_LE(idat.back().Data.size(), 256u);
    Bytes raw = InflateIdat(png);
    ASSERT_EQ(raw.size(), 64u * (1 + 64 * 3));
    for (int y = 0; y < 64; ++y) EXPECT_EQ(raw[static_cast<std::size_t>(y) * (1 + 64 * 3)], 0);  // filter None
}

TEST(PngWriter, RowHookSeesEveryRowWhenAPasswordIsSet) {
    TRUDEDI p;
    p.Assign(Pattern(5, 9, TPixelFormat::pf8bit));
    p.FInterlaceType = gptAdam7;
    p.FPassword = "pw";
    std::vector<int> lines;
    p.OnEncode = [&](void*, uint8_t* buf, int len, int line, const std::string& pw) {
        EXPECT_EQ(pw, "pw");
        EXPECT_GT(len, 0);
        lines.push_back(line);
        buf[0] ^= 0xFF;
    };
    Bytes png = Encode(p);
    EXPECT_EQ(lines.size(), 2u + 2 + 1 + 3 + 2 + 5 + 4);  // rows of the seven passes
    EXPECT_EQ(lines.back(), static_cast<int>(lines.size()) - 1);
    EXPECT_EQ(Find(ParseChunks(png), "tpNG")->Data[4], 1);
}

TEST(PngWriter, PaletteBitDepthPacksTheIndicesAtTheDepthAsked) {
    for (TRUDEDIInterlaceType interlace : {gptNone, gptAdam7}) {
        TBitmap b(13, 5, TPixelFormat::pf4bit);
        b.Colors() = {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}, TRGBQuad{0, 0, 250, 0}};
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) b.SetPixelIndex(x, y, (x + 2 * y) % 3);
        TRUDEDI p;
        p.Assign(b);
        p.FInterlaceType = interlace;
        p.FPaletteBitDepth = 2;
        p.SetTransColor(0x01000002);
        const Bytes png = Encode(p);
        const std::vector<TParsedChunk> chunks = ParseChunks(png);
        EXPECT_EQ(chunks[0].Data[8], 2);  // IHDR bit depth
        EXPECT_EQ(Find(chunks, "PLTE")->Data.size(), 9u);
        EXPECT_EQ(Find(chunks, "tRNS")->Data, (Bytes{255, 255, 0}));
        if (interlace == gptNone) {
            const Bytes rows = InflateIdat(png);
            ASSERT_EQ(rows.size(), 5u * (1 + 4));  // a filter byte and 13 pixels of 2 bits per row
            EXPECT_EQ(Bytes(rows.begin() + 1, rows.begin() + 5), (Bytes{0b00011000, 0b01100001, 0b10000110, 0b00000000}));
        }
        TMemoryStream m;
        m.WriteBuffer(png.data(), png.size());
        m.SetPosition(0);
        TRUDEDI back;
        back.LoadFromStream(m);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) EXPECT_EQ(back.GetImage().PixelIndex(x, y), (x + 2 * y) % 3) << x << "," << y;
    }
    // A palette larger than the depth keeps the bitmap's depth; an index past it stops the write.
    TRUDEDI wide;
    wide.Assign(Pattern(8, 8, TPixelFormat::pf4bit, 5));
    wide.FPaletteBitDepth = 2;
    EXPECT_EQ(ParseChunks(Encode(wide))[0].Data[8], 4);
    TBitmap past = Pattern(8, 8, TPixelFormat::pf8bit, 4);
    TRUDEDI refused;
    refused.Assign(past);
    refused.FPaletteBitDepth = 2;
    EXPECT_THROW(Encode(refused), ERUDEDI);
}
