#include "app/IconEx.h"

#include <vector>

#include "ui/Canvas.h"
#include "ui/Cursor.h"

TIconEx::TIconEx(TControl* parent, const std::string& name) : TImage(parent, name) {}

TColor TIconEx::ResolveColour(TColor c) const { return static_cast<TColor>(ColorToRGB(c)); }

int TIconEx::LoadIconA(const std::string& path) {
    const int result = TIconFile::LoadIconA(path);
    if (DrawIfIndexChange) {
        if (GetEmpty())
            ClearPicture();
        else
            SetBitmap(Picture());
    }
    return result;
}

void TIconEx::DrawImage(int index) {
    TIconFile::DrawImage(index);
    if (DrawIfIndexChange && index >= 0 && index < GetCount()) SetBitmap(Picture());
}

TCursorHandle TIconEx::GetIconHandle() const {
    const ICONDIRENTRY* entry = const_cast<TIconEx*>(this)->GetIconEnt();
    const TBitmap& colour = ColorBitmap();
    const TBitmap& mask = MaskBitmap();
    if (!entry || colour.Empty() || mask.Width() != colour.Width() || mask.Height() != colour.Height()) return {};
    const int w = colour.Width(), h = colour.Height();
    const bool alpha = mask.PixelFormat() == TPixelFormat::pf8bit;

    // The colour image as a 32-bit bitmap (alpha from the mask on the alpha path).
    TDibSection dib(w, h);
    TCursorMask andMask(w, h);  // all opaque on the alpha path
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor c = colour.Pixel(x, y);
            const uint32_t a = alpha ? static_cast<uint32_t>(mask.PixelIndex(x, y)) : 0;
            dib.Pixels()[y * w + x] = (a << 24) | (RedOf(c) << 16) | (GreenOf(c) << 8) | BlueOf(c);
            if (!alpha) andMask.Set(x, y, mask.PixelIndex(x, y) != 0);
        }
    GdiFlush();
    return BuildCursor(andMask, dib.Bitmap(), entry->wPlanes, entry->wBitCount);
}
