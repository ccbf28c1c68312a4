#pragma once
// Row access for the colour reduction: a reader that hands out the rows of a bitmap in a
// given pixel format, and a writer that builds a bottom-up DIB in memory and loads it into
// a bitmap when it is finished.
#include <cstdint>
#include <vector>

#include "base/Bitmap.h"
#include "gif/GIFTypes.h"

class TDIB {
public:
    TDIB(TBitmap* bitmap, TPixelFormat pixelFormat) : FBitmap(bitmap), FPixelFormat(pixelFormat) {}
    virtual ~TDIB() = default;
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;
    TPixelFormat PixelFormat() const { return FPixelFormat; }

protected:
    TBitmap* FBitmap;  // not owned
    TPixelFormat FPixelFormat;
};

// Reads a bitmap in the given format. The caller's bitmap is never changed: when its format
// differs, the reader works on a converted copy of its own.
class TDIBReader {
public:
    TDIBReader(const TBitmap& bitmap, TPixelFormat pixelFormat);
    TDIBReader(const TDIBReader&) = delete;
    TDIBReader& operator=(const TDIBReader&) = delete;
    // Row 0 is the top row.
    const uint8_t* ScanRow(int row) const;
    int Width() const { return FSource->Width(); }
    int Height() const { return FSource->Height(); }
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    const TBitmap& Bitmap() const { return *FSource; }

private:
    TBitmap FCopy;
    const TBitmap* FSource;  // the caller's bitmap or FCopy
    TPixelFormat FPixelFormat;
};

// Builds an 8- or 24-bit DIB for the bitmap; Finish loads it into the bitmap.
class TDIBWriter : public TDIB {
public:
    TDIBWriter(TBitmap& bitmap, const TLogPalette* palette, int height, int width, TPixelFormat pixelFormat);
    // Row 0 is the top row; the DIB is made on the first request.
    uint8_t* ScanRow(int row);
    // Loads the finished DIB into the bitmap and frees it. A writer destroyed without
    // Finish (an error on the way) leaves the bitmap as it was.
    void Finish();

    std::size_t HeaderSize() const { return FHeader.size(); }
    std::size_t PixelSize() const { return FPixels.size(); }
    const std::vector<uint8_t>& Header() const { return FHeader; }

private:
    void CreateDIB();

    std::vector<uint8_t> FHeader;  // BITMAPINFOHEADER and colour table
    std::vector<uint8_t> FPixels;  // rows bottom-up
    const TLogPalette* FPalette;   // not owned; may be null
    int FHeight, FWidth;
    int FRowSize = 0;
};

// Exchanges the first and third byte of every 4-byte entry and clears the fourth: palette
// entries (red, green, blue, flags) become colour-table entries (blue, green, red, 0) and back.
void SwapRedBlue(void* entries, int count);
