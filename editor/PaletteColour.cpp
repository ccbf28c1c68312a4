#include "PaletteColour.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The hue table: channel k (0 red, 1 green, 2 blue) reads entry (4k + sector) mod 6.
// 0 = off, 1 = rising, 2 = full, 3 = falling.
constexpr int kHueTable[6] = {2, 3, 0, 0, 1, 2};

int HueLevel(int channel, int sector) { return kHueTable[(4 * channel + sector) % 6]; }

struct Ranked {
    int Max, Min, Mid;
    int MaxChannel, MinChannel;  // the first channel in R, G, B order wins a tie
};

Ranked Rank(const TRgb& c) {
    const int v[3] = {c.R, c.G, c.B};
    int hi = 0, lo = 0;
    for (int k = 1; k < 3; ++k) {
        if (v[k] > v[hi]) hi = k;
        if (v[k] < v[lo]) lo = k;
    }
    int mid = hi == lo ? v[0] : v[3 - hi - lo];
    return Ranked{v[hi], v[lo], mid, hi, lo};
}

int RoundedThousandths(int p) {
    // p / 1000 rounded half away from zero, the division truncating.
    int q = p / 1000;
    if (std::abs(p % 1000) > 500) q += p > 0 ? 1 : -1;
    return q;
}

}  // namespace

int Lightness(const TRgb& c) {
    Ranked r = Rank(c);
    return r.Max + r.Min;
}

int Saturation(const TRgb& c) {
    Ranked r = Rank(c);
    int l = r.Max + r.Min;
    int half = 500 * l;
    int den = (l < 256 ? half : 255000 - half) / 128;
    if (den == 0) return 0;
    return std::abs(1000 * r.Max - half) / den;
}

int Hue(const TRgb& c) {
    Ranked r = Rank(c);
    int sector = -1;
    for (int s = 0; s < 6; ++s)
        if (HueLevel(r.MaxChannel, s) == 2 && HueLevel(r.MinChannel, s) == 0) {
            sector = s;
            break;
        }
    if (sector < 0) return kGreyHue;  // max and min are the same channel: a grey
    int spread = r.Max - r.Min;
    int f = spread < 1 ? 0 : (r.Mid - r.Min) * 1000 / (spread * 1000 / 256);
    return (255 * sector + (sector % 2 ? 255 - f : f)) % kHueRange;
}

THsl RgbToHsl(const TRgb& c) { return THsl{Hue(c), Saturation(c), Lightness(c)}; }

TRgb HslToRgb(const THsl& hsl) {
    int h = std::clamp(hsl.H, 0, kHueRange - 1);
    int sector = h / 255, f = h % 255;
    int v[3];
    for (int k = 0; k < 3; ++k) {
        switch (HueLevel(k, sector)) {
            case 0: v[k] = 0; break;
            case 1: v[k] = f; break;
            case 2: v[k] = 255; break;
            default: v[k] = 255 - f; break;
        }
    }
    for (int& x : v) {
        int t = (1000 * x - 128000) / 128;
        x = 128 + RoundedThousandths(hsl.S * t);
    }
    for (int& x : v) {
        if (hsl.L > 254) {
            int t = (255 - x) * 1000 / 255;
            int m = (hsl.L - 255) * t;
            x = x + m / 1000 + (m % 1000 > 500 ? 1 : 0);
        } else {
            int t = x * 1000 / 255;
            int m = hsl.L * t;
            x = m / 1000 + (m % 1000 > 500 ? 1 : 0);
        }
        x = std::clamp(x, 0, 255);
    }
    return TRgb{v[0], v[1], v[2]};
}
