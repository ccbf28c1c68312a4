#pragma once
// Cursors made from an AND mask and a colour bitmap: the one builder of the program.
#include <cstdint>
#include <vector>

#include "ui/Win.h"

// The AND mask of a cursor: 1 bit per pixel, 1 = the screen shows through, top row
// first, each row padded to a whole number of 16-bit words as Windows wants it.
class TCursorMask {
public:
    TCursorMask(int width, int height);
    void Set(int x, int y, bool through);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    const uint8_t* Bits() const { return FBits.data(); }
    int RowBytes() const { return FRowBytes; }

private:
    int FWidth, FHeight, FRowBytes;
    std::vector<uint8_t> FBits;
};

// A cursor from the mask and a colour bitmap of the same size (the bitmap stays the
// caller's); empty when Windows refuses.
TCursorHandle BuildCursor(const TCursorMask& mask, HBITMAP colour, int hotX, int hotY);
