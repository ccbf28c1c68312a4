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
    const ImagePalette ramps = DefaultPalette();
    for (int i = 0; i < 224; ++i) pal[static_cast<std::size_t>(22 + i)] = ramps[static_cast<std::size_t>(16 + i)];
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

const std::array<TColor, 16>& SystemColours() {
    static const std::array<TColor, 16> colours = {clBlack, clMaroon, clGreen,  clOlive, clNavy, clPurple,
                                                   clTeal,  clGray,   clSilver, clRed,   clLime, clYellow,
                                                   clBlue,  clFuchsia, clAqua,  clWhite};
    return colours;
}

std::array<TColor, 16> Ramp(int item) {
    if (item <= 0 || item >= kRampCount) return SystemColours();
    std::array<TColor, 16> ramp{};
    const ImagePalette rows = DefaultPalette();
    for (std::size_t i = 0; i < 16; ++i) ramp[i] = QuadToColor(rows[static_cast<std::size_t>(16 * (item - 1)) + i]);
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
