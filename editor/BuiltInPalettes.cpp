#include "BuiltInPalettes.h"

#include <cstdint>
#include <vector>

namespace {

TRGBQuad Quad(uint32_t rrggbb) {
    return TRGBQuad{static_cast<uint8_t>(rrggbb), static_cast<uint8_t>(rrggbb >> 8),
                    static_cast<uint8_t>(rrggbb >> 16), 0};
}
TRGBQuad Quad(int r, int g, int b) {
    return TRGBQuad{static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0};
}

// RRGGBB, entry 16 * row + column.
constexpr uint32_t kDefaultPalette[256] = {
    0x000000,0x111111,0x222222,0x333333,0x444444,0x555555,0x666666,0x777777,0x888888,0x999999,0xAAAAAA,0xBBBBBB,0xCCCCCC,0xDDDDDD,0xEEEEEE,0xFFFFFF,
    0x454400,0x605F00,0x7B7A00,0x959500,0xB0AF00,0xCACA00,0xE5E500,0xFFFF00,0xFFFF26,0xFFFF40,0xFFFF5B,0xFFFF75,0xFFFF90,0xFFFFAA,0xFFFFC5,0xFFFFE0,
    0x453000,0x604300,0x7B5500,0x956800,0xB07A00,0xCA8D00,0xE59F00,0xFFB100,0xFFBC24,0xFFC33E,0xFFCB58,0xFFD372,0xFFDB8C,0xFFE3A6,0xFFEBC0,0xFFF3DA,
    0x452300,0x603100,0x7B3E00,0x954C00,0xB05900,0xCA6700,0xE57400,0xFF8100,0xFF9324,0xFF9F3F,0xFFAC5A,0xFFB976,0xFFC691,0xFFD3AD,0xFFE0C8,0xFFEDE4,
    0x450D00,0x601900,0x7B2500,0x953000,0xB03C00,0xCA4700,0xE55300,0xFF5E00,0xFF711F,0xFF8139,0xFF9154,0xFFA16F,0xFFB289,0xFFC2A4,0xFFD2BF,0xFFE3DA,
    0x450000,0x600000,0x7B0000,0x950000,0xB00000,0xCA0000,0xE50000,0xFF0000,0xFF2424,0xFF3E3E,0xFF5858,0xFF7272,0xFF8C8C,0xFFA6A6,0xFFC0C0,0xFFDADA,
    0x450023,0x600031,0x7B003E,0x95004B,0xB00059,0xCA0066,0xE50073,0xFF0080,0xFF2492,0xFF3E9E,0xFF58AB,0xFF72B8,0xFF8CC5,0xFFA6D2,0xFFC0DF,0xFFDAEC,
    0x450045,0x600060,0x7B007B,0x950095,0xB000B0,0xCA00CA,0xE500E5,0xFF00FF,0xFF24FF,0xFF3EFF,0xFF58FF,0xFF72FF,0xFF8CFF,0xFFA6FF,0xFFC0FF,0xFFDAFF,
    0x340045,0x480060,0x5C007B,0x700095,0x8400B0,0x9800CA,0xAC00E5,0xC000FF,0xC924FF,0xCF3EFF,0xD558FF,0xDC72FF,0xE28CFF,0xE9A6FF,0xEFC0FF,0xF6DAFF,
    0x230045,0x310060,0x3E007B,0x4B0095,0x5900B0,0x6600CA,0x7300E5,0x8000FF,0x9224FF,0x9E3EFF,0xAB58FF,0xB872FF,0xC58CFF,0xD2A6FF,0xDFC0FF,0xECDAFF,
    0x000045,0x000060,0x00007B,0x000095,0x0000B0,0x0000CA,0x0000E5,0x0000FF,0x2424FF,0x3E3EFF,0x5858FF,0x7272FF,0x8C8CFF,0xA6A6FF,0xC0C0FF,0xDADAFF,
    0x002345,0x003160,0x003E7B,0x004B95,0x0059B0,0x0066CA,0x0073E5,0x0080FF,0x2492FF,0x3E9EFF,0x58ABFF,0x72B8FF,0x8CC5FF,0xA6D2FF,0xC0DFFF,0xDAECFF,
    0x18341C,0x14513D,0x116E5D,0x0D8B7E,0x0AA89E,0x06C5BF,0x03E2DF,0x00FFFF,0x1FFEFE,0x39FDFD,0x54FCFC,0x6FFBFB,0x89FAFA,0xA4F9F9,0xBFF8F8,0xDAF6F6,
    0x00452F,0x006041,0x007B53,0x009565,0x00B077,0x00CA89,0x00E59B,0x00FFAD,0x24FFB8,0x3EFFC0,0x58FFC8,0x72FFD1,0x8CFFD9,0xA6FFE2,0xC0FFEA,0xDAFFF3,
    0x004500,0x006000,0x007B00,0x009500,0x00B000,0x00CA00,0x00E500,0x00FF00,0x24FF24,0x3EFF3E,0x58FF58,0x72FF72,0x8CFF8C,0xA6FFA6,0xC0FFC0,0xDAFFDA,
    0x324900,0x446300,0x567D00,0x679700,0x79B100,0x8ACB00,0x9CE500,0xADFF00,0xB8FF24,0xC0FF3E,0xC8FF58,0xD1FF72,0xD9FF8C,0xE2FFA6,0xEAFFC0,0xF3FFDA,
};

// The 20 static colours of the system palette: ten at the start, ten at the end.
constexpr uint32_t kStaticLow[10] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                     0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
constexpr uint32_t kStaticHigh[10] = {0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                      0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

void PutStaticColours(ImagePalette& pal) {
    for (int i = 0; i < 10; ++i) {
        pal[static_cast<std::size_t>(i)] = Quad(kStaticLow[i]);
        pal[static_cast<std::size_t>(246 + i)] = Quad(kStaticHigh[i]);
    }
}

// Every colour whose channels take the given levels, red slowest, blue fastest.
std::vector<TRGBQuad> Cube(const std::vector<int>& levels) {
    std::vector<TRGBQuad> out;
    for (int r : levels)
        for (int g : levels)
            for (int b : levels) out.push_back(Quad(r, g, b));
    return out;
}

void PutRun(ImagePalette& pal, int at, const std::vector<TRGBQuad>& run) {
    for (std::size_t i = 0; i < run.size() && at + static_cast<int>(i) < 256; ++i)
        pal[static_cast<std::size_t>(at) + i] = run[i];
}

ImagePalette KhPalette() {
    // Static colours, twelve greys, then the colour ramps 1..14 of the default palette.
    ImagePalette pal{};
    PutStaticColours(pal);
    for (int i = 0; i < 12; ++i) {
        int v = 20 * (i + 1);
        pal[static_cast<std::size_t>(10 + i)] = Quad(v, v, v);
    }
    for (int i = 0; i < 224; ++i) pal[static_cast<std::size_t>(22 + i)] = DefaultPalette()[static_cast<std::size_t>(16 + i)];
    return pal;
}

ImagePalette DpxPalette() {
    // Static colours, the six-level cube on 95..255, then the first colours with a 63 channel.
    ImagePalette pal{};
    PutStaticColours(pal);
    PutRun(pal, 10, Cube({95, 127, 159, 191, 223, 255}));
    std::vector<TRGBQuad> dark;
    for (const TRGBQuad& q : Cube({63, 95, 127, 159, 191, 223, 255}))
        if (q.Red == 63 || q.Green == 63 || q.Blue == 63) dark.push_back(q);
    dark.resize(20);
    PutRun(pal, 226, dark);
    return pal;
}

ImagePalette MsPalette() {
    ImagePalette pal{};
    const int rg[8] = {0, 32, 64, 96, 128, 160, 192, 255};
    const int bl[4] = {0, 64, 128, 255};
    for (int r = 0; r < 8; ++r)
        for (int g = 0; g < 8; ++g)
            for (int b = 0; b < 4; ++b) pal[static_cast<std::size_t>(32 * r + 4 * g + b)] = Quad(rg[r], rg[g], bl[b]);
    return pal;
}

ImagePalette Ms2Palette() {
    ImagePalette pal{};
    PutStaticColours(pal);
    for (int i = 0; i < 20; ++i) {
        int v = (i + 1) * 255 / 21;
        pal[static_cast<std::size_t>(10 + i)] = Quad(v, v, v);
    }
    PutRun(pal, 30, Cube({0, 51, 102, 153, 204, 255}));
    return pal;
}

ImagePalette MacPalette() {
    // A descending cube without its black, ramps of red, green, blue and grey, black last.
    ImagePalette pal{};
    std::vector<TRGBQuad> run = Cube({255, 204, 153, 102, 51, 0});
    run.pop_back();
    const int steps[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
    for (int v : steps) run.push_back(Quad(v, 0, 0));
    for (int v : steps) run.push_back(Quad(0, v, 0));
    for (int v : steps) run.push_back(Quad(0, 0, v));
    for (int v : steps) run.push_back(Quad(v, v, v));
    run.push_back(Quad(0, 0, 0));
    PutRun(pal, 0, run);
    return pal;
}

}  // namespace

const ImagePalette& DefaultPalette() {
    static const ImagePalette pal = [] {
        ImagePalette p{};
        for (std::size_t i = 0; i < 256; ++i) p[i] = Quad(kDefaultPalette[i]);
        return p;
    }();
    return pal;
}

const std::array<TColor, 16>& SystemColours() {
    static const std::array<TColor, 16> colours = {clBlack, clMaroon, clGreen,  clOlive, clNavy, clPurple,
                                                   clTeal,  clGray,   clSilver, clRed,   clLime, clYellow,
                                                   clBlue,  clFuchsia, clAqua,  clWhite};
    return colours;
}

std::array<TColor, 16> Ramp(int item) {
    if (item <= 0 || item >= kRampCount) return SystemColours();
    std::array<TColor, 16> ramp{};
    for (std::size_t i = 0; i < 16; ++i) ramp[i] = QuadToColor(DefaultPalette()[static_cast<std::size_t>(16 * (item - 1)) + i]);
    return ramp;
}

ImagePalette BuiltInPalette(TPresetKind kind) {
    switch (kind) {
        case TPresetKind::KH: return KhPalette();
        case TPresetKind::DPX: return DpxPalette();
        case TPresetKind::MS: return MsPalette();
        case TPresetKind::MAC: return MacPalette();
        case TPresetKind::MS2: return Ms2Palette();
        default: return DefaultPalette();
    }
}
