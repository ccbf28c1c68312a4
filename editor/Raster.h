#pragma once
// Rasterisers of the pixel editor's tools on the 32x32 index grid. Every figure is clipped
// to the grid: cells outside 0..31 are skipped, nothing is written outside the image.
#include "formats/ImageRecord.h"

// The cell lies inside the image.
constexpr bool InsideImage(int x, int y) { return x >= 0 && y >= 0 && x < kImageSize && y < kImageSize; }

// Sets one cell when it lies inside the image.
void PlotCell(PixelBlock& grid, int x, int y, uint8_t index);
// A one-cell line from (x0, y0) to (x1, y1), both ends included.
void DrawLine(PixelBlock& grid, int x0, int y0, int x1, int y1, uint8_t index);
// Rectangles and ellipses take the cells left..right-1 and top..bottom-1.
void DrawFrame(PixelBlock& grid, int left, int top, int right, int bottom, uint8_t index);
void FillBox(PixelBlock& grid, int left, int top, int right, int bottom, uint8_t index);
// The outline of the ellipse inscribed in the rectangle, and the filled ellipse.
void DrawEllipse(PixelBlock& grid, int left, int top, int right, int bottom, uint8_t index);
void FillEllipse(PixelBlock& grid, int left, int top, int right, int bottom, uint8_t index);
// Gives every cell 4-connected to (x, y) that has the index of (x, y) the new index.
void FloodFill(PixelBlock& grid, int x, int y, uint8_t index);
