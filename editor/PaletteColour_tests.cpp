#include "PaletteColour.h"

#include <gtest/gtest.h>

#include "BuiltInPalettes.h"

namespace {

struct HslCase {
    TRgb Rgb;
    THsl Hsl;
};

// Hand-computed with the integer formulas (division truncating toward zero).
TEST(PaletteColour, RgbToHslTable) {
    const HslCase cases[] = {
        {{255, 0, 0}, {0, 128, 255}},        // red
        {{255, 255, 0}, {256, 128, 255}},    // yellow: f = 255000 / 996 = 256
        {{0, 255, 0}, {510, 128, 255}},      // green
        {{0, 255, 255}, {766, 128, 255}},    // cyan
        {{0, 0, 255}, {1020, 128, 255}},     // blue
        {{255, 0, 255}, {1274, 128, 255}},   // magenta: 1275 + 255 - 256
        {{0, 0, 0}, {510, 0, 0}},            // black: grey hue, no saturation
        {{255, 255, 255}, {510, 0, 510}},    // white
        {{128, 128, 128}, {510, 0, 256}},    // grey
        {{255, 128, 0}, {128, 128, 255}},    // orange: 128000 / 996 = 128
        {{200, 100, 50}, {85, 76, 250}},     // f = 50000/585 = 85; S = 75000/976 = 76
        {{10, 20, 30}, {892, 64, 40}},       // sector 3: 765 + 255 - 128; S = 10000/156 = 64
        {{1, 0, 0}, {0, 166, 1}},            // beyond the S range: 500 / 3
    };
    for (const HslCase& c : cases) {
        EXPECT_EQ(RgbToHsl(c.Rgb), c.Hsl) << c.Rgb.R << "," << c.Rgb.G << "," << c.Rgb.B;
    }
}

TEST(PaletteColour, HslToRgbTable) {
    const HslCase cases[] = {
        {{255, 0, 0}, {0, 128, 255}},
        {{0, 255, 0}, {510, 128, 255}},
        {{0, 0, 255}, {1020, 128, 255}},
        {{255, 255, 0}, {255, 128, 255}},    // the pure hue of sector 1 at f = 0
        {{0, 0, 0}, {0, 128, 0}},            // lightness 0 is black
        {{255, 255, 255}, {700, 128, 510}},  // lightness 510 is white
        {{128, 128, 128}, {300, 0, 255}},    // no saturation leaves mid grey
        {{191, 64, 64}, {0, 64, 255}},       // 128 + 63 (p = 63488: .488 rounds down), 128 - 64
        {{128, 0, 0}, {0, 128, 128}},        // half lightness: 255 * 128 / 255 rounded
        {{255, 128, 128}, {0, 128, 383}},    // L 383: 255 - v scaled by 128/255 added
        {{0, 255, 127}, {637, 128, 255}},    // sector 2, f = 127
    };
    for (const HslCase& c : cases) {
        EXPECT_EQ(HslToRgb(c.Hsl), c.Rgb) << c.Hsl.H << "," << c.Hsl.S << "," << c.Hsl.L;
    }
}

TEST(PaletteColour, CmyIsTheComplementBothWays) {
    EXPECT_EQ(RgbToCmy(TRgb{255, 128, 0}), (TRgb{0, 127, 255}));
    EXPECT_EQ(CmyToRgb(TRgb{0, 127, 255}), (TRgb{255, 128, 0}));
    EXPECT_EQ(Complement(MakeColor(1, 2, 3)), MakeColor(254, 253, 252));
}

TEST(PaletteColour, EverySliderSettingGivesAColourInRange) {
    for (int h = 0; h < kHueRange; h += 17)
        for (int s = 0; s <= kSaturationMax; s += 16)
            for (int l = 0; l <= kLightnessMax; l += 30) {
                TRgb c = HslToRgb(THsl{h, s, l});
                ASSERT_TRUE(c.R >= 0 && c.R <= 255 && c.G >= 0 && c.G <= 255 && c.B >= 0 && c.B <= 255);
            }
}

TEST(BuiltInPalettes, RampsAndPresets) {
    EXPECT_EQ(Ramp(0)[9], clRed);
    EXPECT_EQ(Ramp(1)[15], clWhite);
    EXPECT_EQ(Ramp(16)[0], MakeColor(0x32, 0x49, 0x00));
    // MS: entry 32r + 4g + b of the 8x8x4 cube.
    ImagePalette ms = BuiltInPalette(TPresetKind::MS);
    EXPECT_EQ(QuadToColor(ms[32 * 7 + 4 * 1 + 2]), MakeColor(255, 32, 128));
    for (TPresetKind k : {TPresetKind::KH, TPresetKind::DPX, TPresetKind::MS2}) {
        ImagePalette p = BuiltInPalette(k);
        EXPECT_EQ(QuadToColor(p[1]), MakeColor(0x80, 0, 0));
        EXPECT_EQ(QuadToColor(p[249]), clRed);
        EXPECT_EQ(QuadToColor(p[255]), clWhite);
    }
    ImagePalette mac = BuiltInPalette(TPresetKind::MAC);
    EXPECT_EQ(QuadToColor(mac[0]), clWhite);
    EXPECT_EQ(QuadToColor(mac[214]), MakeColor(0, 0, 51));
    EXPECT_EQ(QuadToColor(mac[255]), clBlack);
}

}  // namespace
