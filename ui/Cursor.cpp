#include "ui/Cursor.h"

TCursorMask::TCursorMask(int width, int height)
    : FWidth(width), FHeight(height), FRowBytes(((width + 15) / 16) * 2),
      FBits(static_cast<std::size_t>(FRowBytes) * static_cast<std::size_t>(height), 0) {}

void TCursorMask::Set(int x, int y, bool through) {
    uint8_t& b = FBits[static_cast<std::size_t>(y) * FRowBytes + x / 8];
    const auto bit = static_cast<uint8_t>(0x80 >> (x % 8));
    b = through ? (b | bit) : (b & ~bit);
}

namespace {
// The cursor (not an icon) of a mask bitmap and an optional colour bitmap; both stay the caller's.
TCursorHandle CursorOf(HBITMAP mask, HBITMAP colour, int hotX, int hotY) {
    ICONINFO ii{FALSE, static_cast<DWORD>(hotX), static_cast<DWORD>(hotY), mask, colour};
    return TCursorHandle(CreateIconIndirect(&ii));
}
} // namespace

TCursorHandle BuildCursor(const TCursorMask& mask, HBITMAP colour, int hotX, int hotY) {
    TGdiObject andBitmap(CreateBitmap(mask.Width(), mask.Height(), 1, 1, mask.Bits()));
    return CursorOf(static_cast<HBITMAP>(andBitmap.Get()), colour, hotX, hotY);
}

TCursorHandle BuildMonochromeCursor(const TCursorMask& mask, const TCursorMask& xorBits, int hotX, int hotY) {
    if (mask.Width() != xorBits.Width() || mask.Height() != xorBits.Height()) return {};
    std::vector<uint8_t> bits(mask.Bits(), mask.Bits() + mask.Size());
    bits.insert(bits.end(), xorBits.Bits(), xorBits.Bits() + xorBits.Size());
    TGdiObject both(CreateBitmap(mask.Width(), 2 * mask.Height(), 1, 1, bits.data()));
    return CursorOf(static_cast<HBITMAP>(both.Get()), nullptr, hotX, hotY);
}
