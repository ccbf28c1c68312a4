#pragma once
// TBitmap: a device-independent bitmap held in memory. Rows are stored bottom-up and
// DWORD-aligned exactly as in a .bmp file, so the bits can be written or handed to GDI
// without copying. ScanLine(0) is the top row.
#include <cstdint>
#include <string>
#include <vector>

#include "Color.h"
#include "Palette.h"

class TStream;

enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

int BitsOf(TPixelFormat pf);
bool IsPaletted(TPixelFormat pf);

// The largest picture a reader builds, by the size its header declares: 8192 x 8192 pixels
// in all (a camera's photograph of 64 megapixels fits; what the import makes of it is 32x32)
// and no side over 32768.
constexpr int kMaxPictureSide = 32768;
constexpr int64_t kMaxPicturePixels = int64_t{8192} * 8192;

// Limits a reader applies before allocating.
struct TBitmapLimits {
    int MaxWidth = kMaxPictureSide;
    int MaxHeight = kMaxPictureSide;
    int64_t MaxPixels = kMaxPicturePixels;
    int64_t MaxBytes = 256LL * 1024 * 1024;
};

class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height, TPixelFormat pf);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    TPixelFormat PixelFormat() const { return FFormat; }
    int BitCount() const { return BitsOf(FFormat); }
    int RowBytes() const { return RowBytesFor(FWidth, FFormat); }
    static int RowBytesFor(int width, TPixelFormat pf);

    // Resizes to a blank (all zero) picture; the colour table is kept.
    void SetSize(int width, int height);
    // Changes the depth, converting every pixel. To a paletted format the current
    // colour table is used when it has entries, else the VGA or grey table.
    void SetPixelFormat(TPixelFormat pf);

    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    uint8_t* Bits() { return FBits.data(); }
    const uint8_t* Bits() const { return FBits.data(); }
    std::size_t BitsSize() const { return FBits.size(); }

    // Colour table of a paletted bitmap (up to 1 << BitCount() entries).
    std::vector<TRGBQuad>& Colors() { return FColors; }
    const std::vector<TRGBQuad>& Colors() const { return FColors; }

    // Pixel access in any format. For paletted formats SetPixel picks the nearest entry.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);
    int PixelIndex(int x, int y) const;          // paletted formats only
    void SetPixelIndex(int x, int y, int index);  // paletted formats only
    void Fill(TColor c);

    // BITMAPINFOHEADER (40 bytes) followed by the colour table (and the three masks of pf16bit).
    std::vector<uint8_t> InfoHeader() const;

    // .bmp file reading and writing. Reading throws EInvalidGraphic with the reason.
    void LoadFromStream(TStream& s, const TBitmapLimits& limits = {});
    void LoadFromMemory(const uint8_t* data, std::size_t size, const TBitmapLimits& limits = {});
    // Reads a packed DIB (info header, colours, bits), as on the clipboard or in an icon.
    void LoadFromDib(const uint8_t* data, std::size_t size, const TBitmapLimits& limits = {});
    void SaveToStream(TStream& s) const;
    void LoadFromFile(const std::string& path, const TBitmapLimits& limits = {});
    void SaveToFile(const std::string& path) const;

private:
    void ReadDib(const uint8_t* data, std::size_t size, std::size_t headerPos, std::size_t bitsPos,
                 const TBitmapLimits& limits);

    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FFormat = TPixelFormat::pf24bit;
    std::vector<TRGBQuad> FColors;
    std::vector<uint8_t> FBits;
};
