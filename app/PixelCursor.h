#pragma once
// Cursors made pixel by pixel: the colour, alpha and AND-mask bit of each pixel come from
// the caller, and the one builder of ui/Cursor.h makes the cursor.
#include <cstdint>
#include <functional>

#include "base/Color.h"
#include "ui/Win.h"

struct TCursorPixel {
    TColor Colour = 0;
    uint8_t Alpha = 0;
    bool Through = false;  // the AND-mask bit: the screen shows through
};

// A cursor of width x height pixels, pixel(x, y) for each (y = 0 the top row); empty when
// Windows refuses.
TCursorHandle BuildPixelCursor(int width, int height, const std::function<TCursorPixel(int x, int y)>& pixel,
                               int hotX, int hotY);
