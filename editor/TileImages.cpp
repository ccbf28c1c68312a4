// The tile set: grid rules and tile copies.
#include "editor/TileImages.h"

void TTileImages::SetBitmap(const TBitmap& b) {
    FBitmap = b;
    BitmapChanged();
}

void TTileImages::BitmapChanged() {
    FCount = FHorCount = FVertCount = 1;
    if (FBitmap.Empty()) {
        FWidth = FHeight = 0;
    } else {
        FWidth = FBitmap.Width();
        FHeight = FBitmap.Height();
        FTransparentColor = FBitmap.Pixel(0, 0);
    }
    if (OnChange) OnChange();
}

void TTileImages::SetCount(int n) {
    if (FBitmap.Empty() || FWidth <= 0 || FHeight <= 0) return;
    if (n > 0 && n <= (FBitmap.Width() / FWidth) * (FBitmap.Height() / FHeight)) FCount = n;
}

void TTileImages::SetHorCount(int n) {
    if (FBitmap.Empty() || n <= 0 || FBitmap.Width() / n < 1) return;
    FHorCount = n;
    FCount = n * FVertCount;
    FWidth = FBitmap.Width() / n;
}

void TTileImages::SetVertCount(int n) {
    if (FBitmap.Empty() || n <= 0 || FBitmap.Height() / n < 1) return;
    FVertCount = n;
    FCount = n * FHorCount;
    FHeight = FBitmap.Height() / n;
}

void TTileImages::SetWidth(int w) {
    if (FBitmap.Empty() || w <= FHorCount || w > FBitmap.Width()) return;
    FWidth = w;
    FHorCount = FBitmap.Width() / w;
    FCount = FHorCount * FVertCount;
}

void TTileImages::SetHeight(int h) {
    if (FBitmap.Empty() || h <= FVertCount || h > FBitmap.Height()) return;
    FHeight = h;
    FVertCount = FBitmap.Height() / h;
    FCount = FHorCount * FVertCount;
}

const TBitmap* TTileImages::GetIndexBitmap(int index) {
    if (FBitmap.Empty() || index < 0 || index >= FCount || FWidth <= 0 || FHeight <= 0) return nullptr;
    int left = index % FHorCount * FWidth, top = index / FHorCount * FHeight;
    FTile = TBitmap(FWidth, FHeight, FBitmap.PixelFormat());
    FTile.Colors() = FBitmap.Colors();
    bool paletted = IsPaletted(FBitmap.PixelFormat());
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            int sx = left + x, sy = top + y;
            if (sx >= FBitmap.Width() || sy >= FBitmap.Height()) continue;
            if (paletted)
                FTile.SetPixelIndex(x, y, FBitmap.PixelIndex(sx, sy));
            else
                FTile.SetPixel(x, y, FBitmap.Pixel(sx, sy));
        }
    return &FTile;
}
