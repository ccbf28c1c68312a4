#pragma once
// Cursors made from an AND mask and colour bits: the one builder of the program.
#include <cstdint>
#include <vector>

#include "ui/Win.h"

// One bit per pixel, top row first, each row padded to a whole number of 16-bit words
// as Windows wants it. As the AND mask of a cursor a set bit lets the screen show
// through; as the XOR bits of a two-colour cursor a set bit is white (or inverts the
// screen where the mask lets it through).
class TCursorMask {
public:
    TCursorMask(int width, int height);
    void Set(int x, int y, bool through);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    const uint8_t* Bits() const { return FBits.data(); }
    int RowBytes() const { return FRowBytes; }
    std::size_t Size() const { return FBits.size(); }

private:
    int FWidth, FHeight, FRowBytes;
    std::vector<uint8_t> FBits;
};

// A cursor from the mask and a colour bitmap of the same size (the bitmap stays the
// caller's); empty when Windows refuses.
TCursorHandle BuildCursor(const TCursorMask& mask, HBITMAP colour, int hotX, int hotY);

// A two-colour cursor from its AND mask and XOR bits of one size, held by Windows as one
// monochrome bitmap of twice the height (mask above bits); empty when the sizes differ
// or Windows refuses.
TCursorHandle BuildMonochromeCursor(const TCursorMask& mask, const TCursorMask& xorBits, int hotX, int hotY);
