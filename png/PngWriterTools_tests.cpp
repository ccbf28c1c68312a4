// The writer's files checked by independent tools: pngcheck and Pillow (native build only).
#include <gtest/gtest.h>

#include <sstream>

#include "PngTestSupport.h"
#include "PngWriter.h"
#include "PngPicture.h"

namespace {
inline int Grey(int r, int g, int b) { return (77 * r + 150 * g + 29 * b) >> 8; }

struct TCase {
    std::string Name;
    TPixelFormat Format;
    int Width = 13, Height = 11;
    int PaletteSize = -1;  // paletted sources: entries (-1 = all)
    bool Alpha = false;
    bool GreyScale = false;
    bool TransColour = false;
    TRUDEDIInterlaceType Interlace = gptNone;
    TRUDEDIFilterType Filter = gpfNone;
};

TBitmap Source(const TCase& c) {
    TBitmap b(c.Width, c.Height, c.Format);
    if (IsPaletted(c.Format)) {
        int n = c.PaletteSize >= 0 ? c.PaletteSize : 1 << BitsOf(c.Format);
        b.Colors().resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            b.Colors()[static_cast<std::size_t>(i)] = TRGBQuad{uint8_t(i * 37 + 1), uint8_t(250 - i * 11), uint8_t(i * 5 + 3), 0};
        if (c.Format == TPixelFormat::pf1bit && c.GreyScale) b.Colors() = {TRGBQuad{255, 255, 255, 0}, TRGBQuad{0, 0, 0, 0}};
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x) b.SetPixelIndex(x, y, (x * 3 + y * 5 + x * y) % n);
    } else {
        for (int y = 0; y < c.Height; ++y) {
            uint8_t* row = b.ScanLine(y);
            for (int i = 0; i < b.RowBytes(); ++i) row[i] = uint8_t(i * 13 + y * 29 + (i * y) % 7);
            if (c.Format == TPixelFormat::pf15bit)
                for (int x = 0; x < c.Width; ++x) row[2 * x + 1] &= 0x7F;
        }
    }
    return b;
}

// Red, green, blue as the writer expands the source pixel.
void RgbOf(const TBitmap& b, int x, int y, int& r, int& g, int& bl) {
    const uint8_t* row = b.ScanLine(y);
    if (b.PixelFormat() == TPixelFormat::pf15bit || b.PixelFormat() == TPixelFormat::pf16bit) {
        unsigned w = row[2 * x] | (row[2 * x + 1] << 8);
        bl = int(((w & 31) << 3) | ((w & 31) >> 2));
        if (b.PixelFormat() == TPixelFormat::pf15bit) {
            r = int((((w >> 10) & 31) << 3) | (((w >> 10) & 31) >> 2));
            g = int((((w >> 5) & 31) << 3) | (((w >> 5) & 31) >> 3));
        } else {
            r = int((((w >> 11) & 31) << 3) | (((w >> 11) & 31) >> 2));
            g = int((((w >> 5) & 63) << 2) | (((w >> 5) & 63) >> 4));
        }
        return;
    }
    TColor c = b.Pixel(x, y);
    r = RedOf(c), g = GreenOf(c), bl = BlueOf(c);
}

std::string ExpectJson(const TCase& c, const TBitmap& b, const TBitmap* alpha, TColor trans) {
    std::ostringstream j;
    std::vector<int> px;
    const bool paletted = IsPaletted(c.Format);
    std::string mode;
    if (c.GreyScale) {
        mode = alpha && c.Format != TPixelFormat::pf1bit && c.Format != TPixelFormat::pf4bit ? "LA" : "L";
        bool invert = false;
        if (c.Format == TPixelFormat::pf1bit) {
            const auto& p = b.Colors();
            invert = Grey(p[0].Red, p[0].Green, p[0].Blue) > Grey(p[1].Red, p[1].Green, p[1].Blue);
        }
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x) {
                int r, g, bl;
                if (paletted) {
                    TColor col = QuadToColor(b.Colors()[static_cast<std::size_t>(b.PixelIndex(x, y))]);
                    r = RedOf(col), g = GreenOf(col), bl = BlueOf(col);
                } else {
                    RgbOf(b, x, y, r, g, bl);
                }
                int level = Grey(r, g, bl);
                if (c.Format == TPixelFormat::pf1bit) level = ((b.PixelIndex(x, y) != 0) != invert) ? 255 : 0;
                if (c.Format == TPixelFormat::pf4bit) level = (level >> 4) * 17;
                px.push_back(level);
                if (mode == "LA") px.push_back(255 - alpha->ScanLine(y)[x]);
            }
    } else if (paletted) {
        mode = "P";
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x) px.push_back(b.PixelIndex(x, y));
    } else {
        mode = "RGBA";
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x) {
                int r, g, bl;
                RgbOf(b, x, y, r, g, bl);
                int a = alpha ? 255 - alpha->ScanLine(y)[x] : 255;
                if (!alpha && trans != -1 && MakeColor(uint8_t(r), uint8_t(g), uint8_t(bl)) == trans) a = 0;
                px.insert(px.end(), {r, g, bl, a});
            }
    }
    j << "{\"mode\":\"" << mode << "\",\"size\":[" << c.Width << "," << c.Height << "],\"pixels\":[";
    for (std::size_t i = 0; i < px.size(); ++i) j << (i ? "," : "") << px[i];
    j << "]";
    if (mode == "P") {
        j << ",\"palette\":[";
        std::size_t n = std::min<std::size_t>(b.Colors().size(), std::size_t(1) << BitsOf(c.Format));
        for (std::size_t i = 0; i < n; ++i)
            j << (i ? "," : "") << int(b.Colors()[i].Red) << "," << int(b.Colors()[i].Green) << "," << int(b.Colors()[i].Blue);
        j << "]";
        if (trans != -1) j << ",\"transparency\":" << b.PixelIndex(0, 0);
    } else if (trans != -1 && !alpha && !c.GreyScale) {
        j << ",\"transparency\":[" << int(RedOf(trans)) << "," << int(GreenOf(trans)) << "," << int(BlueOf(trans)) << "]";
    }
    j << "}";
    return j.str();
}

void CheckWithTools(const std::vector<TCase>& cases) {
    std::string pillowArgs;
    for (const TCase& c : cases) {
        TBitmap b = Source(c);
        TBitmap alpha(c.Width, c.Height, TPixelFormat::pf8bit);
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x) alpha.ScanLine(y)[x] = uint8_t(x * 19 + y * 7);
        TRUDEDI p;
        p.Assign(b);
        if (c.Alpha) {
            p.AlphaBitmapAssign(alpha);
            p.FHasAlpha = true;
        }
        p.FGrayScale = c.GreyScale;
        p.FInterlaceType = c.Interlace;
        p.FFilterType = c.Filter;
        TColor trans = -1;
        if (c.TransColour) {
            // Pixel (0, 0) as the transparent colour, as the program sets it.
            if (IsPaletted(c.Format)) {
                trans = QuadToColor(b.Colors()[static_cast<std::size_t>(b.PixelIndex(0, 0))]);
            } else {
                int r, g, bl;
                RgbOf(b, 0, 0, r, g, bl);
                trans = MakeColor(uint8_t(r), uint8_t(g), uint8_t(bl));
            }
        }
        p.SetTransColor(trans);
        p.FComment = "made by the writer tests";
        const std::string png = TempPath("w_" + c.Name + ".png"), expect = TempPath("w_" + c.Name + ".json");
        TMemoryStream m;
        p.SaveToStream(m);
        m.SaveToFile(png);
        std::string json = ExpectJson(c, b, c.Alpha ? &alpha : nullptr, trans);
        WriteFileBytes(expect, Bytes(json.begin(), json.end()));
        std::string out;
        EXPECT_EQ(RunCommand("pngcheck -v " + png, &out), 0) << c.Name << "\n" << out;
        EXPECT_NE(out.find("No errors detected"), std::string::npos) << c.Name << "\n" << out;
        pillowArgs += " " + png + " " + expect;
    }
    std::string out;
    EXPECT_EQ(RunCommand("/usr/bin/python3 " + TestDataPath("pil_check.py") + pillowArgs, &out), 0) << out;
}
} // namespace

TEST(PngWriterTools, PaletteSourcesPassPngcheckAndDecodeInPillow) {
    using P = TPixelFormat;
    CheckWithTools({
        {"p1", P::pf1bit},
        {"p1_trns", P::pf1bit, 13, 11, -1, false, false, true},
        {"p4", P::pf4bit, 32, 32},
        {"p4_small_palette", P::pf4bit, 13, 11, 5},
        {"p8", P::pf8bit, 32, 32},
        {"p8_trns", P::pf8bit, 32, 32, 20, false, false, true},
        {"p8_alpha_ignored", P::pf8bit, 13, 11, -1, true},
        {"p1_adam7", P::pf1bit, 13, 11, -1, false, false, false, gptAdam7},
        {"p4_adam7", P::pf4bit, 13, 11, -1, false, false, false, gptAdam7},
        {"p8_adam7", P::pf8bit, 13, 11, -1, false, false, false, gptAdam7},
        {"p8_1x1_adam7", P::pf8bit, 1, 1, -1, false, false, false, gptAdam7},
    });
}

TEST(PngWriterTools, TrueColourSourcesPassPngcheckAndDecodeInPillow) {
    using P = TPixelFormat;
    CheckWithTools({
        {"rgb15", P::pf15bit},
        {"rgb16", P::pf16bit},
        {"rgb24", P::pf24bit},
        {"rgb32", P::pf32bit},
        {"rgb24_trns", P::pf24bit, 13, 11, -1, false, false, true},
        {"rgba24", P::pf24bit, 13, 11, -1, true},
        {"rgba32", P::pf32bit, 13, 11, -1, true},
        {"rgba16", P::pf16bit, 13, 11, -1, true},
        {"rgba15", P::pf15bit, 13, 11, -1, true},
        {"rgba24_adam7", P::pf24bit, 13, 11, -1, true, false, false, gptAdam7},
        {"rgb16_adam7", P::pf16bit, 6, 3, -1, false, false, false, gptAdam7},
    });
}

TEST(PngWriterTools, GreyscaleOutputPassesPngcheckAndDecodesInPillow) {
    using P = TPixelFormat;
    CheckWithTools({
        {"g1", P::pf1bit, 13, 11, -1, false, true},
        {"g4", P::pf4bit, 13, 11, -1, false, true},
        {"g8", P::pf8bit, 13, 11, -1, false, true},
        {"ga8", P::pf8bit, 13, 11, -1, true, true},
        {"g24", P::pf24bit, 13, 11, -1, false, true},
        {"ga24", P::pf24bit, 13, 11, -1, true, true},
        {"g16_adam7", P::pf16bit, 13, 11, -1, false, true, false, gptAdam7},
        {"g4_adam7", P::pf4bit, 13, 11, -1, false, true, false, gptAdam7},
    });
}

TEST(PngWriterTools, EveryFilterModePassesPngcheckAndDecodesInPillow) {
    using P = TPixelFormat;
    std::vector<TCase> cases;
    for (int f = 0; f <= 5; ++f)
        for (P pf : {P::pf1bit, P::pf4bit, P::pf8bit, P::pf24bit}) {
            TCase c{"filter" + std::to_string(f) + "_" + std::to_string(BitsOf(pf)), pf, 40, 12};
            c.Filter = static_cast<TRUDEDIFilterType>(f);
            c.Alpha = pf == P::pf24bit && f % 2;
            cases.push_back(c);
        }
    CheckWithTools(cases);
}
