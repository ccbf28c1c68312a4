// The PNG picture drawn on a real device context.
#include <gtest/gtest.h>

#include "png/PngPicture_win.h"
#include "ui/Clipboard.h"

TEST(RUDEDIPictureDraw, StretchesAndLeavesOutTheTransparentColourOrPaletteEntry) {
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

    // Read from a file, the transparency is a palette entry (blue, entry 1), not a colour.
    TBitmap paletted(2, 1, TPixelFormat::pf8bit);
    paletted.Colors() = {TRGBQuad{0, 0, 255, 0}, TRGBQuad{255, 0, 0, 0}};
    paletted.SetPixelIndex(1, 0, 1);
    TRUDEDI writer;
    writer.Assign(paletted);
    writer.SetTransColor(clBlue);
    TMemoryStream file;
    writer.SaveToStream(file);
    file.SetPosition(0);
    TRUDEDIGraphic read;
    read.LoadFromStream(file);
    ASSERT_EQ(read.ImageTransparentColor(), 1 | PaletteIndexFlag);
    canvas.FillRect(RECT{0, 0, 4, 2}, MakeColor(9, 9, 9));
    read.Draw(canvas, RECT{0, 0, 4, 2});
    EXPECT_EQ(dib.PixelAt(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(dib.PixelAt(2, 0), RGB(9, 9, 9));

    RegisterPNGPicture();
    const TPicture::TFileFormat* format = TPicture::FindFileFormat("png");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->Description, "PNG Format");
}

namespace {
// The clipboard's bitmap as the system converts it (CF_BITMAP), pixel (x, y).
COLORREF SystemClipboardPixel(int x, int y) {
    if (!OpenClipboard(nullptr)) return CLR_INVALID;
    COLORREF c = CLR_INVALID;
    if (HBITMAP bmp = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bmp);
        c = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    CloseClipboard();
    return c;
}
}  // namespace

TEST(RUDEDIPictureClipboard, ThePictureGoesOnTheClipboardAndComesBack) {
    TBitmap bitmap(3, 2, TPixelFormat::pf24bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) bitmap.SetPixel(x, y, MakeColor(uint8_t(40 * x + 10), uint8_t(100 * y + 5), 77));
    TRUDEDIGraphic png;
    png.Assign(bitmap);
    ASSERT_TRUE(PutGraphicOnClipboard(nullptr, png));
    EXPECT_EQ(SystemClipboardPixel(2, 1), RGB(90, 105, 77));

    TRUDEDIGraphic back;
    TBitmap external(1, 1, TPixelFormat::pf24bit);
    back.SetImage(&external);
    back.SetTransparent(true);
    ASSERT_TRUE(LoadGraphicFromClipboard(nullptr, back, CF_DIB));
    EXPECT_NE(&back.GetImage(), &external);  // loaded into the own image
    EXPECT_FALSE(back.Transparent());
    ASSERT_EQ(back.GetWidth(), 3);
    ASSERT_EQ(back.GetHeight(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(back.GetImage().Pixel(x, y), bitmap.Pixel(x, y)) << x << "," << y;

    EXPECT_THROW(back.LoadFromClipboardFormat(CF_TEXT, nullptr, nullptr), ERUDEDI);
    TRUDEDIGraphic empty;
    EXPECT_FALSE(PutGraphicOnClipboard(nullptr, empty));
}

TEST(RUDEDIPictureDraw, UnregisteringTakesThePngFormatAway) {
    RegisterPNGPicture();
    ASSERT_NE(TPicture::FindFileFormat("PNG"), nullptr);
    UnregisterPNGPicture();
    EXPECT_EQ(TPicture::FindFileFormat("PNG"), nullptr);
    RegisterPNGPicture();
    EXPECT_NE(TPicture::FindFileFormat("PNG"), nullptr);
}
