#include "app/IconEx.h"

#include <vector>

#include "app/PixelCursor.h"

TIconEx::TIconEx(TControl* parent, const std::string& name) : TImage(parent, name) {}

TColor TIconEx::ResolveColour(TColor c) const { return static_cast<TColor>(ColorToRGB(c)); }

IconLoadResult TIconEx::LoadIconA(const std::string& path) {
    const IconLoadResult result = TIconFile::LoadIconA(path);
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

    // The colour image with alpha from the mask on the alpha path (the AND mask then all
    // opaque), else with the mask's bits as the AND mask.
    return BuildPixelCursor(
        w, h,
        [&](int x, int y) {
            const uint8_t m = static_cast<uint8_t>(mask.PixelIndex(x, y));
            return TCursorPixel{colour.Pixel(x, y), alpha ? m : uint8_t{0}, !alpha && m != 0};
        },
        entry->wPlanes, entry->wBitCount);
}
