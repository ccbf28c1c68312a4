#include "editor/TileImages.h"

#include <gtest/gtest.h>

namespace {

// A picture whose pixel (x, y) tells its tile: colour = column * 16 + row.
TBitmap Grid(int columns, int rows, int w, int h) {
    TBitmap b(columns * w, rows * h, TPixelFormat::pf24bit);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, MakeColor(x / w * 16 + y / h, 0, 0));
    return b;
}

int TileOf(const TBitmap* t) { return t ? RedOf(t->Pixel(0, 0)) : -1; }

} // namespace

TEST(TileImages, CutsTilesRowByRow) {
    struct Case {
        int Columns, Rows, W, H;
        int Index, Expected;  // column * 16 + row, -1 = none
    };
    const Case cases[] = {
        {1, 3, 32, 32, 0, 0}, {1, 3, 32, 32, 2, 2}, {1, 3, 32, 32, 3, -1}, {4, 4, 12, 12, 5, 16 + 1},
        {4, 2, 10, 10, 5, 16 + 1}, {4, 2, 10, 10, 7, 3 * 16 + 1}, {4, 2, 10, 10, -1, -1},
    };
    for (const Case& c : cases) {
        TTileImages t;
        t.SetBitmap(Grid(c.Columns, c.Rows, c.W, c.H));
        t.SetHorCount(c.Columns);
        t.SetVertCount(c.Rows);
        EXPECT_EQ(t.Count(), c.Columns * c.Rows);
        EXPECT_EQ(t.Width(), c.W);
        const TBitmap* tile = t.GetIndexBitmap(c.Index);
        EXPECT_EQ(TileOf(tile), c.Expected) << c.Columns << "x" << c.Rows << " #" << c.Index;
        if (tile) {
            EXPECT_EQ(tile->Width(), c.W);
        }
    }
}

TEST(TileImages, ANewPictureResetsTheGridAndSettersCheckTheirValues) {
    TTileImages t;
    t.SetHorCount(4);  // an empty picture takes nothing
    EXPECT_EQ(t.HorCount(), 1);
    EXPECT_EQ(t.GetIndexBitmap(0), nullptr);
    int changes = 0;
    t.OnChange = [&] { ++changes; };
    t.SetBitmap(Grid(1, 3, 32, 32));
    t.SetCount(3);  // larger than the one tile the picture holds: ignored
    EXPECT_EQ(t.Count(), 1);
    t.SetHeight(32);
    EXPECT_EQ(t.VertCount(), 3);
    EXPECT_EQ(t.Count(), 3);
    t.SetWidth(64);  // wider than the picture: ignored
    EXPECT_EQ(t.Width(), 32);
    EXPECT_EQ(TileOf(t.GetIndexBitmap(1)), 1);
    t.SetBitmap(Grid(1, 3, 32, 32));
    EXPECT_EQ(t.Count(), 1);
    EXPECT_EQ(t.Height(), 96);
    EXPECT_EQ(changes, 2);
}
