// The PNG picture drawn on a real device context.
#include <gtest/gtest.h>

#include "png/PngPicture_win.h"

TEST(RUDEDIPictureDraw, StretchesAndLeavesOutTheTransparentColour) {
    TBitmap bitmap(2, 1, TPixelFormat::pf24bit);
    bitmap.SetPixel(0, 0, clRed);
    bitmap.SetPixel(1, 0, clBlue);
    TRUDEDIGraphic png;
    png.Assign(bitmap);
    TDibSection dib(4, 2);
    TCanvas canvas(dib.DC());
    canvas.FillRect(RECT{0, 0, 4, 2}, MakeColor(9, 9, 9));
    png.Draw(canvas, RECT{0, 0, 4, 2});
    EXPECT_EQ(dib.PixelAt(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(dib.PixelAt(2, 0), RGB(0, 0, 255));

    png.SetTransparent(true);
    png.SetTransColor(clBlue);
    canvas.FillRect(RECT{0, 0, 4, 2}, MakeColor(9, 9, 9));
    png.Draw(canvas, RECT{0, 0, 4, 2});
    EXPECT_EQ(dib.PixelAt(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(dib.PixelAt(3, 1), RGB(9, 9, 9));

    RegisterPNGPicture();
    const TPicture::TFileFormat* format = TPicture::FindFileFormat("png");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->Description, "PNG Format");
}
