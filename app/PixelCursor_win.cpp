// Cursors made pixel by pixel through the one cursor builder.
#include "app/PixelCursor.h"

#include "ui/Canvas.h"
#include "ui/Cursor.h"

TCursorHandle BuildPixelCursor(int width, int height, const std::function<TCursorPixel(int x, int y)>& pixel,
                               int hotX, int hotY) {
    TDibSection colour(width, height);
    TCursorMask mask(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const TCursorPixel p = pixel(x, y);
            colour.Pixels()[y * width + x] = (static_cast<uint32_t>(p.Alpha) << 24) | (RedOf(p.Colour) << 16) |
                                             (GreenOf(p.Colour) << 8) | BlueOf(p.Colour);
            mask.Set(x, y, p.Through);
        }
    GdiFlush();
    return BuildCursor(mask, colour.Bitmap(), hotX, hotY);
}
