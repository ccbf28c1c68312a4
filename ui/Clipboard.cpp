#include "ui/Clipboard.h"

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
