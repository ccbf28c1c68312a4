#pragma once
// Colour arithmetic of the palette editor: the RGB, CMY and HSL forms of the colour
// boxes, with integer formulas that truncate toward zero, and the sort keys built on them.
// Hue runs 0..1529 (255 steps per sixth of the circle), saturation 0..128 for most
// colours, lightness 0..510 (max + min).
#include <cstdint>

#include "base/Color.h"
#include "base/Palette.h"

struct TRgb {
    int R = 0, G = 0, B = 0;
    friend bool operator==(const TRgb&, const TRgb&) = default;
};

struct THsl {
    int H = 0, S = 0, L = 0;
    friend bool operator==(const THsl&, const THsl&) = default;
};

inline TRgb RgbOf(TColor c) { return TRgb{RedOf(c), GreenOf(c), BlueOf(c)}; }
inline TRgb RgbOf(const TRGBQuad& q) { return TRgb{q.Red, q.Green, q.Blue}; }
inline TColor ColorOf(const TRgb& c) {
    return MakeColor(static_cast<uint8_t>(c.R), static_cast<uint8_t>(c.G), static_cast<uint8_t>(c.B));
}
// Each channel replaced by 255 - value: how an inverse entry is shown and stored.
inline TColor Complement(TColor c) { return MakeColor(255 - RedOf(c), 255 - GreenOf(c), 255 - BlueOf(c)); }
inline TRGBQuad Complement(const TRGBQuad& q) {
    return TRGBQuad{static_cast<uint8_t>(255 - q.Blue), static_cast<uint8_t>(255 - q.Green),
                    static_cast<uint8_t>(255 - q.Red), q.Reserved};
}

constexpr int kHueRange = 1530;      // hue values 0..1529
constexpr int kGreyHue = 510;        // the hue shown for a grey
constexpr int kSaturationMax = 128;  // the saturation box's range
constexpr int kLightnessMax = 510;

int Lightness(const TRgb& c);  // max + min
int Hue(const TRgb& c);        // kGreyHue for a grey
int Saturation(const TRgb& c); // may exceed 128 for a few near-black and near-white colours
THsl RgbToHsl(const TRgb& c);
// The colour of the slider values H 0..1529, S 0..128, L 0..510; channels come out
// clamped to 0..255.
TRgb HslToRgb(const THsl& hsl);

// CMY is the complement of RGB, both ways.
inline TRgb RgbToCmy(const TRgb& c) { return TRgb{255 - c.R, 255 - c.G, 255 - c.B}; }
inline TRgb CmyToRgb(const TRgb& c) { return RgbToCmy(c); }
