#include "ui/Clipboard.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Exception.h"
#include "base/Text.h"
#include "ui/Graphic.h"

namespace {
// Opens the clipboard for one scope.
class TClipboardLock {
public:
    explicit TClipboardLock(HWND owner) : FOpen(OpenClipboard(owner) != FALSE) {}
    ~TClipboardLock() {
        if (FOpen) CloseClipboard();
    }
    TClipboardLock(const TClipboardLock&) = delete;
    TClipboardLock& operator=(const TClipboardLock&) = delete;
    explicit operator bool() const { return FOpen; }

private:
    bool FOpen;
};

// Global memory owned until handed on.
class TGlobalMemory {
public:
    explicit TGlobalMemory(HGLOBAL handle) : FHandle(handle) {}
    ~TGlobalMemory() {
        if (FHandle) GlobalFree(FHandle);
    }
    TGlobalMemory(const TGlobalMemory&) = delete;
    TGlobalMemory& operator=(const TGlobalMemory&) = delete;
    HGLOBAL Get() const { return FHandle; }
    HGLOBAL Release() {
        HGLOBAL h = FHandle;
        FHandle = nullptr;
        return h;
    }

private:
    HGLOBAL FHandle;
};

// Movable global memory holding the two pieces one after the other; null when it cannot be had.
HGLOBAL GlobalOfPieces(const void* first, std::size_t firstSize, const void* second, std::size_t secondSize) {
    TGlobalMemory mem(GlobalAlloc(GMEM_MOVEABLE, firstSize + secondSize));
    if (!mem.Get()) return nullptr;
    auto* p = static_cast<uint8_t*>(GlobalLock(mem.Get()));
    if (!p) return nullptr;
    std::memcpy(p, first, firstSize);
    if (secondSize) std::memcpy(p + firstSize, second, secondSize);
    GlobalUnlock(mem.Get());
    return mem.Release();
}

// Replaces the clipboard's contents by one format holding the two pieces one after the other.
bool PutOnClipboard(HWND owner, UINT format, const void* first, std::size_t firstSize, const void* second,
                    std::size_t secondSize) {
    TGlobalMemory mem(GlobalOfPieces(first, firstSize, second, secondSize));
    if (!mem.Get()) return false;
    TClipboardLock lock(owner);
    if (!lock || !EmptyClipboard()) return false;
    if (!SetClipboardData(format, mem.Get())) return false;
    mem.Release();  // the clipboard owns it now
    return true;
}

// The bitmap of a bitmap handle (CF_BITMAP), in its own depth up to 8 bits, else 24 bits.
bool BitmapHandleToBitmap(HANDLE data, HPALETTE palette, TBitmap& out) {
    const auto handle = static_cast<HBITMAP>(data);
    DIBSECTION ds{};
    const int got = handle ? GetObjectW(handle, sizeof ds, &ds) : 0;
    if (got < static_cast<int>(sizeof(BITMAP))) return false;
    const int width = ds.dsBm.bmWidth, height = std::abs(ds.dsBm.bmHeight);
    const int depth = ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes;
    const TPixelFormat format = depth == 1   ? TPixelFormat::pf1bit
                                : depth <= 4 ? TPixelFormat::pf4bit
                                : depth <= 8 ? TPixelFormat::pf8bit
                                             : TPixelFormat::pf24bit;
    const TBitmapLimits limits;
    if (width <= 0 || height <= 0 || width > limits.MaxWidth || height > limits.MaxHeight ||
        static_cast<int64_t>(TBitmap::RowBytesFor(width, format)) * height > limits.MaxBytes)
        return false;
    TBitmap bitmap(width, height, format);
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;  // bottom-up, as the bitmap keeps its rows
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bitmap.BitCount());
    header->biCompression = BI_RGB;
    TMemDC dc(CreateCompatibleDC(nullptr));
    if (!dc.Get()) return false;
    HPALETTE old = nullptr;
    if (palette) {
        old = SelectPalette(dc.Get(), palette, FALSE);
        RealizePalette(dc.Get());
    }
    const int rows = GetDIBits(dc.Get(), handle, 0, static_cast<UINT>(height), bitmap.Bits(),
                               reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    if (old) SelectPalette(dc.Get(), old, FALSE);
    if (rows != height) return false;
    if (IsPaletted(format)) {
        const auto* quads = reinterpret_cast<const RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
        const std::size_t count = header->biClrUsed ? std::min<std::size_t>(header->biClrUsed, 256)
                                                    : std::size_t{1} << bitmap.BitCount();
        bitmap.Colors().clear();
        for (std::size_t i = 0; i < count; ++i)
            bitmap.Colors().push_back(TRGBQuad{quads[i].rgbBlue, quads[i].rgbGreen, quads[i].rgbRed, 0});
    }
    out = std::move(bitmap);
    return true;
}
} // namespace

bool ClipboardHasBitmap() {
    return IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP);
}

bool ReadClipboardBitmap(HWND owner, TBitmap& out) {
    TClipboardLock lock(owner);
    if (!lock) return false;
    return GlobalDibToBitmap(GetClipboardData(CF_DIB), out);  // the system converts CF_BITMAP
}

bool WriteClipboardBitmap(HWND owner, const TBitmap& bitmap) {
    std::vector<uint8_t> header = bitmap.InfoHeader();
    return PutOnClipboard(owner, CF_DIB, header.data(), header.size(), bitmap.Bits(), bitmap.BitsSize());
}

std::string ReadClipboardText(HWND owner, std::size_t maxChars) {
    TClipboardLock lock(owner);
    if (!lock) return {};
    HANDLE h = GetClipboardData(CF_TEXT);  // the system converts CF_UNICODETEXT
    if (!h) return {};
    const std::size_t size = GlobalSize(h);
    const char* p = static_cast<const char*>(GlobalLock(h));
    if (!p) return {};
    std::string sjis(p, strnlen(p, size));
    GlobalUnlock(h);
    std::wstring wide = Utf8ToWide(SjisToUtf8(sjis));
    if (wide.size() > maxChars) wide.resize(maxChars);
    return WideToUtf8(wide);
}

bool WriteClipboardText(HWND owner, const std::string& utf8) {
    const std::string sjis = Utf8ToSjis(utf8);
    return PutOnClipboard(owner, CF_TEXT, sjis.c_str(), sjis.size() + 1, nullptr, 0);
}

HGLOBAL BitmapToGlobalDib(const TBitmap& bitmap) {
    std::vector<uint8_t> header = bitmap.InfoHeader();
    return GlobalOfPieces(header.data(), header.size(), bitmap.Bits(), bitmap.BitsSize());
}

bool GlobalDibToBitmap(HANDLE data, TBitmap& out) {
    if (!data) return false;
    const std::size_t size = GlobalSize(data);
    const void* p = GlobalLock(data);
    if (!p) return false;
    std::vector<uint8_t> dib(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
    GlobalUnlock(data);
    try {
        out.LoadFromDib(dib.data(), dib.size());
    } catch (const Exception&) {
        return false;
    }
    return !out.Empty();
}

bool ClipboardDataToBitmap(UINT format, HANDLE data, HPALETTE palette, TBitmap& out) {
    if (format == CF_DIB) return GlobalDibToBitmap(data, out);
    if (format == CF_BITMAP) return BitmapHandleToBitmap(data, palette, out);
    return false;
}

bool PutGraphicOnClipboard(HWND owner, TGraphic& graphic) {
    TClipboardLock lock(owner);
    if (!lock || !EmptyClipboard()) return false;
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    graphic.SaveToClipboardFormat(format, data, palette);
    if (palette && !SetClipboardData(CF_PALETTE, palette)) DeleteObject(palette);
    if (!data) return false;
    if (!SetClipboardData(format, data)) {
        GlobalFree(data);
        return false;
    }
    return true;
}

bool LoadGraphicFromClipboard(HWND owner, TGraphic& graphic, UINT format) {
    TClipboardLock lock(owner);
    if (!lock) return false;
    graphic.LoadFromClipboardFormat(format, nullptr, nullptr);
    return true;
}
