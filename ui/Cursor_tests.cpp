#include <gtest/gtest.h>

#include "ui/Canvas.h"
#include "ui/Cursor.h"

namespace {

constexpr COLORREF kScreen = RGB(0x30, 0x90, 0xC0);

// The cursor drawn over a screen of kScreen, read back pixel by pixel.
COLORREF DrawnAt(HCURSOR cursor, int x, int y) {
    TDibSection screen(32, 32);
    for (int i = 0; i < 32 * 32; ++i) screen.Pixels()[i] = (0x30 << 16) | (0x90 << 8) | 0xC0;
    DrawIconEx(screen.DC(), 0, 0, cursor, 32, 32, 0, nullptr, DI_NORMAL);
    GdiFlush();
    return screen.PixelAt(x, y);
}

} // namespace

TEST(MonochromeCursor, DrawsEachPairOfMaskAndXorBits) {
    // Column 0..3 of row 5: (AND, XOR) = (0, 0), (0, 1), (1, 0), (1, 1); row 0 stays black.
    TCursorMask mask(32, 32), bits(32, 32);
    const bool andBit[4] = {false, false, true, true}, xorBit[4] = {false, true, false, true};
    for (int x = 0; x < 4; ++x) {
        mask.Set(x, 5, andBit[x]);
        bits.Set(x, 5, xorBit[x]);
    }
    TCursorHandle cursor = BuildMonochromeCursor(mask, bits, 7, 9);
    ASSERT_TRUE(cursor);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(cursor.Get(), &ii));
    TGdiObject m(ii.hbmMask), c(ii.hbmColor);
    EXPECT_FALSE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 7u);
    EXPECT_EQ(ii.yHotspot, 9u);
    EXPECT_EQ(ii.hbmColor, nullptr);  // a true two-colour cursor

    const struct {
        int x;
        COLORREF drawn;
    } cases[] = {
        {0, RGB(0, 0, 0)},
        {1, RGB(255, 255, 255)},
        {2, kScreen},
        {3, RGB(0xFF - 0x30, 0xFF - 0x90, 0xFF - 0xC0)},
    };
    for (const auto& k : cases) EXPECT_EQ(DrawnAt(cursor.Get(), k.x, 5), k.drawn) << "column " << k.x;
    EXPECT_EQ(DrawnAt(cursor.Get(), 20, 0), RGB(0, 0, 0));
}

TEST(MonochromeCursor, RefusesMaskAndBitsOfDifferentSizes) {
    EXPECT_FALSE(BuildMonochromeCursor(TCursorMask(32, 32), TCursorMask(16, 16), 0, 0));
}
