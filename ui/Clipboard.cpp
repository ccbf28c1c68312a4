#include "ui/Clipboard.h"

#include <cstring>
#include <vector>

#include "base/Exception.h"

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

// Global memory owned until handed to the clipboard.
class TGlobalMemory {
public:
    explicit TGlobalMemory(std::size_t size) : FHandle(GlobalAlloc(GMEM_MOVEABLE, size)) {}
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
} // namespace

bool ClipboardHasBitmap() {
    return IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP);
}

bool ReadClipboardBitmap(HWND owner, TBitmap& out) {
    TClipboardLock lock(owner);
    if (!lock) return false;
    HANDLE h = GetClipboardData(CF_DIB);  // the system converts CF_BITMAP
    if (!h) return false;
    const std::size_t size = GlobalSize(h);
    const void* p = GlobalLock(h);
    if (!p) return false;
    std::vector<uint8_t> dib(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
    GlobalUnlock(h);
    try {
        out.LoadFromDib(dib.data(), dib.size());
    } catch (const Exception&) {
        return false;
    }
    return !out.Empty();
}

bool WriteClipboardBitmap(HWND owner, const TBitmap& bitmap) {
    std::vector<uint8_t> header = bitmap.InfoHeader();
    TGlobalMemory mem(header.size() + bitmap.BitsSize());
    if (!mem.Get()) return false;
    auto* p = static_cast<uint8_t*>(GlobalLock(mem.Get()));
    if (!p) return false;
    std::memcpy(p, header.data(), header.size());
    std::memcpy(p + header.size(), bitmap.Bits(), bitmap.BitsSize());
    GlobalUnlock(mem.Get());
    TClipboardLock lock(owner);
    if (!lock || !EmptyClipboard()) return false;
    if (!SetClipboardData(CF_DIB, mem.Get())) return false;
    mem.Release();  // the clipboard owns it now
    return true;
}
