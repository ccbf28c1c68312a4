#pragma once
// Colour reduction for the GIF writer: palettes by reduction mode, colour lookups that map a
// 24-bit colour to a palette index, and ReduceColors, which turns any bitmap into an 8-bit
// palette bitmap through a dither engine.
#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/Bitmap.h"
#include "gif/GIFTypes.h"

enum TColorReduction {
    rmNone, rmWindows20, rmWindows256, rmWindowsGray, rmMonochrome, rmGrayScale, rmNetscape, rmQuantize,
    rmQuantizeWindows, rmPalette
};
enum TDitherMode { dmNearest, dmFloydSteinberg, dmStucki, dmSierra, dmJaJuNI, dmSteveArche, dmBurkes };

// Palette entry flag that keeps an entry from being merged with a system colour.
constexpr uint8_t PC_NOCOLLAPSE_ = 4;

class TColorLookup {
public:
    explicit TColorLookup(const TLogPalette* palette);
    virtual ~TColorLookup() = default;
    TColorLookup(const TColorLookup&) = delete;
    TColorLookup& operator=(const TColorLookup&) = delete;
    // The palette index for (red, green, blue); the palette's colour goes to r, g, b.
    virtual int MapColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) = 0;
    // 0 when the palette is unusable.
    int Colors() const { return FColors; }

protected:
    int FColors = 0;
};

// The nearest entry by |dr| + |dg| + |db|, searched once per cell of 5 bits per channel and
// then taken from the cell. A colour that is exactly a palette entry always gets that entry.
class TFastColorLookup : public TColorLookup {
public:
    explicit TFastColorLookup(const TLogPalette* palette);
    int MapColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;
    static int CellOf(uint8_t red, uint8_t green, uint8_t blue) { return (blue >> 3) * 1024 + (green >> 3) * 32 + (red >> 3); }

private:
    std::array<TPaletteEntry, 256> FPalette{};
    std::vector<int16_t> FInverseLookup;          // 32768 cells, -1 = not looked up yet
    std::vector<bool> FCellHoldsEntry;            // cells that hold a palette colour
    std::unordered_map<uint32_t, int> FExact;     // palette colour -> lowest index
};

// The 216 web colours: level (x + 3) div 51 per channel.
class TNetscapeColorLookup : public TColorLookup {
public:
    explicit TNetscapeColorLookup(const TLogPalette* palette);
    int MapColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;
};

class TGrayScaleLookup : public TColorLookup {
public:
    explicit TGrayScaleLookup(const TLogPalette* palette);
    int MapColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;
};

class TMonochromeLookup : public TColorLookup {
public:
    explicit TMonochromeLookup(const TLogPalette* palette);
    int MapColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;
};

// The 216 web colours: entry r * 36 + g * 6 + b = (r * 51, g * 51, b * 51).
TPaletteHandle WebPalette();
// The 20 colours of the system's default palette (10 at each end of a 256-colour palette).
TPaletteHandle DefaultSystemPalette();
// A 256-colour halftone palette: the 20 system colours around a 6x6x6 cube and a grey ramp.
TPaletteHandle HalftonePalette();
// The palette a reduction mode uses (null for rmNone and rmPalette without a palette).
TPaletteHandle ReductionPalette(const TBitmap& bitmap, TColorReduction mode, int bits, const TLogPalette* custom);

class TDitherEngine;
// The engine of a dither mode (GIFDither.h), over the lookup.
std::unique_ptr<TDitherEngine> MakeDitherEngine(TDitherMode mode, int width, TColorLookup& lookup);

// A new 8-bit palette bitmap (24-bit for rmNone). Bits is used by rmQuantize only, the custom
// palette by rmPalette only. An unusable palette or an unknown dither mode gives an empty bitmap.
std::unique_ptr<TBitmap> ReduceColors(const TBitmap& bitmap, TColorReduction colorReduction, TDitherMode ditherMode,
                                      int reductionBits, const TLogPalette* customPalette);
