// Integer rasterisers for the editor's tools.
#include "editor/Raster.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

void PlotCell(PixelBlock& grid, int x, int y, uint8_t index) {
    if (InsideImage(x, y)) grid.At(x, y) = index;
}

void DrawLine(PixelBlock& grid, int x0, int y0, int x1, int y1, uint8_t index) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        PlotCell(grid, x0, y0, index);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void DrawFrame(PixelBlock& grid, int left, int top, int right, int bottom, uint8_t index) {
    if (right <= left || bottom <= top) return;
    DrawLine(grid, left, top, right - 1, top, index);
    DrawLine(grid, left, bottom - 1, right - 1, bottom - 1, index);
    DrawLine(grid, left, top, left, bottom - 1, index);
    DrawLine(grid, right - 1, top, right - 1, bottom - 1, index);
}

void FillBox(PixelBlock& grid, int left, int top, int right, int bottom, uint8_t index) {
    for (int y = std::max(top, 0); y < std::min(bottom, kImageSize); ++y)
        for (int x = std::max(left, 0); x < std::min(right, kImageSize); ++x) grid.At(x, y) = index;
}

namespace {

// The leftmost and rightmost outline cell of each row of an ellipse; rows are relative
// to the top of its rectangle.
struct TEllipseRows {
    int Top = 0;
    std::vector<int> MinX, MaxX;
    void Add(int x, int y) {
        int r = y - Top;
        if (r < 0 || r >= static_cast<int>(MinX.size())) return;
        MinX[r] = std::min(MinX[r], x);
        MaxX[r] = std::max(MaxX[r], x);
    }
};

// Midpoint ellipse through the cells of the rectangle x0..x1, y0..y1 (inclusive), for
// any width and height, even ones. Calls plot for every outline cell.
template <class Plot>
void EllipseOutline(int x0, int y0, int x1, int y1, Plot plot) {
    long long a = x1 - x0, b = y1 - y0, b1 = b & 1;
    long long dx = 4 * (1 - a) * b * b, dy = 4 * (b1 + 1) * a * a;
    long long err = dx + dy + b1 * a * a;
    y0 += static_cast<int>((b + 1) / 2);
    y1 = y0 - static_cast<int>(b1);
    long long a8 = 8 * a * a, b8 = 8 * b * b;
    do {
        plot(x1, y0);
        plot(x0, y0);
        plot(x0, y1);
        plot(x1, y1);
        long long e2 = 2 * err;
        if (e2 <= dy) {
            ++y0;
            --y1;
            err += dy += a8;
        }
        if (e2 >= dx || 2 * err > dy) {
            ++x0;
            --x1;
            err += dx += b8;
        }
    } while (x0 <= x1);
    while (y0 - y1 <= b) {  // a flat ellipse: finish the tips
        plot(x0 - 1, y0);
        plot(x1 + 1, y0++);
        plot(x0 - 1, y1);
        plot(x1 + 1, y1--);
    }
}

TEllipseRows EllipseRows(int left, int top, int right, int bottom) {
    TEllipseRows rows;
    rows.Top = top;
    rows.MinX.assign(bottom - top, right);
    rows.MaxX.assign(bottom - top, left - 1);
    EllipseOutline(left, top, right - 1, bottom - 1, [&](int x, int y) {
        if (x >= left && x < right) rows.Add(x, y);
    });
    return rows;
}

} // namespace

void DrawEllipse(PixelBlock& grid, int left, int top, int right, int bottom, uint8_t index) {
    if (right <= left || bottom <= top) return;
    EllipseOutline(left, top, right - 1, bottom - 1, [&](int x, int y) {
        if (x >= left && x < right && y >= top && y < bottom) PlotCell(grid, x, y, index);
    });
}

void FillEllipse(PixelBlock& grid, int left, int top, int right, int bottom, uint8_t index) {
    if (right <= left || bottom <= top) return;
    TEllipseRows rows = EllipseRows(left, top, right, bottom);
    for (int r = 0; r < bottom - top; ++r)
        for (int x = rows.MinX[r]; x <= rows.MaxX[r]; ++x) PlotCell(grid, x, top + r, index);
}

void FloodFill(PixelBlock& grid, int x, int y, uint8_t index) {
    if (!InsideImage(x, y)) return;
    uint8_t old = grid.At(x, y);
    if (old == index) return;
    std::vector<std::pair<int, int>> stack{{x, y}};
    while (!stack.empty()) {
        auto [cx, cy] = stack.back();
        stack.pop_back();
        if (!InsideImage(cx, cy) || grid.At(cx, cy) != old) continue;
        grid.At(cx, cy) = index;
        stack.push_back({cx + 1, cy});
        stack.push_back({cx - 1, cy});
        stack.push_back({cx, cy + 1});
        stack.push_back({cx, cy - 1});
    }
}
