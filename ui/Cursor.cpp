#include "ui/Cursor.h"

TCursorMask::TCursorMask(int width, int height)
    : FWidth(width), FHeight(height), FRowBytes(((width + 15) / 16) * 2),
      FBits(static_cast<std::size_t>(FRowBytes) * static_cast<std::size_t>(height), 0) {}

void TCursorMask::Set(int x, int y, bool through) {
    uint8_t& b = FBits[static_cast<std::size_t>(y) * FRowBytes + x / 8];
    const auto bit = static_cast<uint8_t>(0x80 >> (x % 8));
    b = through ? (b | bit) : (b & ~bit);
}

TCursorHandle BuildCursor(const TCursorMask& mask, HBITMAP colour, int hotX, int hotY) {
    TGdiObject andBitmap(CreateBitmap(mask.Width(), mask.Height(), 1, 1, mask.Bits()));
    ICONINFO ii{FALSE, static_cast<DWORD>(hotX), static_cast<DWORD>(hotY), static_cast<HBITMAP>(andBitmap.Get()),
                colour};
    return TCursorHandle(CreateIconIndirect(&ii));
}
