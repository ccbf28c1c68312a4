#pragma once
// TTileImages: one bitmap cut into a grid of equal tiles, handed out by number (row by
// row). The editor keeps its tool cursors and its palette glyphs in such sets.
#include <functional>

#include "base/Bitmap.h"

class TCanvas;

class TTileImages {
public:
    const TBitmap& Bitmap() const { return FBitmap; }
    // Copies the picture; the grid becomes one tile covering it all.
    void SetBitmap(const TBitmap& b);
    int Count() const { return FCount; }
    int HorCount() const { return FHorCount; }
    int VertCount() const { return FVertCount; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Transparent() const { return FTransparent; }
    TColor TransparentColor() const { return FTransparentColor; }

    // Each setter does nothing while the picture is empty or the value does not fit it.
    void SetCount(int n);
    void SetHorCount(int n);
    void SetVertCount(int n);
    void SetWidth(int w);
    void SetHeight(int h);
    void SetTransparent(bool t) { FTransparent = t; }
    void SetTransparentColor(TColor c) { FTransparentColor = c; }

    // The tile of that number, or nullptr for an empty picture or an index outside
    // 0..Count-1. The bitmap belongs to the set and is overwritten by the next request.
    const TBitmap* GetIndexBitmap(int index);
    // Draws the tile at (x, y); nothing for an empty picture or a bad index (window code).
    void DrawIndexBitmap(TCanvas& canvas, int x, int y, int index);

    std::function<void()> OnChange;

private:
    void BitmapChanged();

    TBitmap FBitmap;
    TBitmap FTile;
    int FCount = 1, FHorCount = 1, FVertCount = 1, FWidth = 0, FHeight = 0;
    bool FTransparent = false;
    TColor FTransparentColor = 0;
};
