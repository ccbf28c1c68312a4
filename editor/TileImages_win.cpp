// Drawing a tile of a tile set on a canvas.
#include "editor/TileImages.h"

#include "ui/Canvas.h"

void TTileImages::DrawIndexBitmap(TCanvas& canvas, int x, int y, int index) {
    if (const TBitmap* tile = GetIndexBitmap(index)) canvas.Draw(x, y, *tile);
}
