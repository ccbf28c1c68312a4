#include "gif/GIFDIB.h"

#include <cstring>

#include "base/ByteIO.h"
#include "base/Stream.h"
#include "gif/GIFUtil.h"

namespace {
constexpr const char* sUnsupportedPixelFormat = "Unsupported PixelFormat";
constexpr const char* sInvalidDimensions = "Invalid image dimensions";
constexpr const char* sNoDIB = "Image has no DIB";
constexpr const char* sOutOfMemory = "Failed to allocate memory for GIF DIB";
constexpr const char* sScanLineRange = "Scan line index out of range";
constexpr int64_t MaxDIBBytes = 1LL << 30;
}  // namespace

TDIBReader::TDIBReader(const TBitmap& bitmap, TPixelFormat pixelFormat) : FSource(&bitmap), FPixelFormat(pixelFormat) {
    if (bitmap.PixelFormat() != pixelFormat) {
        FCopy = bitmap;
        FCopy.SetPixelFormat(pixelFormat);
        FSource = &FCopy;
    }
}

const uint8_t* TDIBReader::ScanRow(int row) const {
    if (row < 0 || row >= FSource->Height()) throw Exception(sScanLineRange);
    return FSource->ScanLine(row);
}

TDIBWriter::TDIBWriter(TBitmap& bitmap, const TLogPalette* palette, int height, int width, TPixelFormat pixelFormat)
    : TDIB(&bitmap, pixelFormat), FPalette(palette), FHeight(height), FWidth(width) {
    if (pixelFormat != TPixelFormat::pf8bit && pixelFormat != TPixelFormat::pf24bit)
        RaiseGIFError(sUnsupportedPixelFormat);
    if (width <= 0 || height <= 0) RaiseGIFError(sInvalidDimensions);
}

void TDIBWriter::CreateDIB() {
    bool eight = FPixelFormat == TPixelFormat::pf8bit;
    int bits = eight ? 8 : 24;
    int64_t rowSize = ((static_cast<int64_t>(FWidth) * bits + 31) & ~int64_t(31)) / 8;
    int64_t imageSize = rowSize * FHeight;
    if (imageSize > MaxDIBBytes) throw Exception(sOutOfMemory);
    std::vector<uint8_t> header(eight ? 40 + 256 * 4 : 40, 0);
    PutLE32(header.data(), 40);
    PutLE32(header.data() + 4, static_cast<uint32_t>(FWidth));
    PutLE32(header.data() + 8, static_cast<uint32_t>(FHeight));
    PutLE16(header.data() + 12, 1);
    PutLE16(header.data() + 14, static_cast<uint16_t>(bits));
    if (eight) {
        int count = 0;
        if (FPalette) {
            count = static_cast<int>(std::min<std::size_t>(FPalette->palPalEntry.size(), 256));
            std::memcpy(header.data() + 40, FPalette->palPalEntry.data(), static_cast<std::size_t>(count) * 4);
            SwapRedBlue(header.data() + 40, count);
        }
        PutLE32(header.data() + 32, 256);
        PutLE32(header.data() + 36, static_cast<uint32_t>(count));
    }
    try {
        FPixels.assign(static_cast<std::size_t>(imageSize), 0);
    } catch (const std::bad_alloc&) {
        throw Exception(sOutOfMemory);
    }
    FHeader = std::move(header);
    FRowSize = static_cast<int>(rowSize);
}

uint8_t* TDIBWriter::ScanRow(int row) {
    if (FPixels.empty()) CreateDIB();
    if (FPixels.empty()) RaiseGIFError(sNoDIB);
    if (row < 0 || row >= FHeight) throw Exception(sScanLineRange);
    return FPixels.data() + static_cast<std::size_t>(FHeight - 1 - row) * static_cast<std::size_t>(FRowSize);
}

void TDIBWriter::Finish() {
    if (FPixels.empty()) return;
    TMemoryStream stream;
    uint8_t fileHeader[14] = {0x42, 0x4D};
    std::size_t offset = 14 + FHeader.size();
    PutLE32(fileHeader + 2, static_cast<uint32_t>(offset + FPixels.size()));
    PutLE32(fileHeader + 10, static_cast<uint32_t>(offset));
    stream.WriteBuffer(fileHeader, 14);
    stream.WriteBuffer(FHeader.data(), static_cast<int64_t>(FHeader.size()));
    stream.WriteBuffer(FPixels.data(), static_cast<int64_t>(FPixels.size()));
    std::vector<uint8_t>().swap(FPixels);
    stream.SetPosition(0);
    TBitmapLimits limits;
    limits.MaxBytes = MaxDIBBytes;
    limits.MaxWidth = limits.MaxHeight = 65535;
    FBitmap->LoadFromStream(stream, limits);
}

void SwapRedBlue(void* entries, int count) {
    auto* p = static_cast<uint8_t*>(entries);
    for (int i = 0; i < count; ++i, p += 4) {
        uint8_t first = p[0];
        p[0] = p[2];
        p[2] = first;
        p[3] = 0;
    }
}
