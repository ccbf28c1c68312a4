#pragma once
// Helpers about device-independent bitmaps, palettes and colours. Palettes are plain
// values here (tables of TGLDPalRGB); the Windows palette-handle versions are thin
// wrappers over these (BitmapPalette_win.h).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Color.h"
#include "base/Palette.h"

// One palette entry in bitmap order: blue, green, red, 0.
using TGLDPalRGB = TRGBQuad;

// A platform palette entry: red, green, blue, flags.
struct TPaletteEntryRGB {
    uint8_t Red = 0, Green = 0, Blue = 0, Flags = 0;
};

namespace Sfunc {

// Bit tables.
extern const std::array<uint32_t, 32> BitOr;    // 1 << i
extern const std::array<uint32_t, 8> BitMask1;  // 128 >> i: pixel i of a byte of a 1-bit row
extern const std::array<uint32_t, 32> BitAnd;   // all bits but bit i
extern const std::array<uint32_t, 8> BitRAnd;   // all bits but bit 7 - i
extern const std::array<uint32_t, 33> BitBAnd;  // (1 << i) - 1
// |x - y| of two bytes, indexed by (x - y) & 511.
extern const std::array<uint8_t, 512> AbsDiff;

// Bytes of one bitmap row, padded to a multiple of 4.
int GetLineSize(int width, int bits);
// Index of the nearest entry by the sum of the channel differences; the first of equals wins; 0 when count is 0.
int GetNearestPaletteEntryIndex(const TPaletteEntryRGB* entries, TColor colour, int count);
int GetNearestColorTableIndex(const TGLDPalRGB* table, TColor colour, int count);
// Value versions of the palette-handle functions: the palette is the table itself.
int GetNearestPaletteIndex(const std::vector<TGLDPalRGB>& palette, TColor colour);  // -1 when empty
TColor GetNearestPaletteColor(const std::vector<TGLDPalRGB>& palette, TColor colour);  // -1 when empty
TColor GetPaletteColor(const std::vector<TGLDPalRGB>& palette, int index);  // -1 when out of range
// Copies up to 256 entries into table and returns their number (0: table unchanged).
int GetPaletteColorTable(const std::vector<TGLDPalRGB>& palette, TGLDPalRGB* table);
// A palette of count (at most 256) entries taken from the table.
std::vector<TGLDPalRGB> CreatePaletteTable(const TGLDPalRGB* table, int count);
// Evenly spaced grey levels: 2, 4, 16 or 256 entries for 1, 2, 4 or any other bits. Returns the count.
int CreateGrayScalePalette(TGLDPalRGB* table, int bits);

int GetMaxColorSub(int bits);
// Colours of a 40-byte BITMAPINFOHEADER: its used-colours count, else 1 << bit count (bits up to 8).
int GetMaxColor(const uint8_t* infoHeader);
int64_t GetDIBMemLen(int width, int height, int bits);
// Copies count pixels from pixel start of src; 1- and 4-bit pixels are packed again from the top bits.
void CopyPixelLine(uint8_t* dest, const uint8_t* src, int bits, int start, int count);
TColor SwapBR(TColor colour);
int ConvertInchToMeter(int value);
int32_t FixMul(int32_t a, int32_t b);
int GetMaskShift(uint32_t mask);
bool CheckRect(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2);
int Sgn(int32_t v);
void Xchange(int& a, int& b);
inline int Min(int a, int b) { return a < b ? a : b; }
inline int Max(int a, int b) { return a > b ? a : b; }
int64_t CmpTime(int64_t a, int64_t b);

} // namespace Sfunc
