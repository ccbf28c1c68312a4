#include "ui/Canvas.h"

void TCanvas::FillRect(const RECT& r, TColor c) {
    TGdiObject brush(CreateSolidBrush(ColorToRGB(c)));
    ::FillRect(FDC, &r, static_cast<HBRUSH>(brush.Get()));
}

void TCanvas::FrameRect(const RECT& r, TColor c) {
    TGdiObject brush(CreateSolidBrush(ColorToRGB(c)));
    ::FrameRect(FDC, &r, static_cast<HBRUSH>(brush.Get()));
}

void TCanvas::TextOut(int x, int y, const std::string& text, TColor color, TColor background) {
    std::wstring w = W(text);
    SetTextColor(FDC, ColorToRGB(color));
    if (background == clNone) {
        SetBkMode(FDC, TRANSPARENT);
    } else {
        SetBkMode(FDC, OPAQUE);
        SetBkColor(FDC, ColorToRGB(background));
    }
    ::TextOutW(FDC, x, y, w.c_str(), static_cast<int>(w.size()));
}

SIZE TCanvas::TextExtent(const std::string& text) const {
    std::wstring w = W(text);
    SIZE s{};
    GetTextExtentPoint32W(FDC, w.c_str(), static_cast<int>(w.size()), &s);
    return s;
}

TBitmap GlyphOnBackground(const TBitmap& glyph, TColor transparent, TColor background) {
    TBitmap out(glyph.Width(), glyph.Height(), TPixelFormat::pf24bit);
    const TColor clear = ColorToRGB(transparent), fill = ColorToRGB(background);
    for (int y = 0; y < glyph.Height(); ++y)
        for (int x = 0; x < glyph.Width(); ++x) {
            const TColor c = glyph.Pixel(x, y);
            out.SetPixel(x, y, c == clear ? fill : c);
        }
    return out;
}

void TCanvas::Draw(int x, int y, const TBitmap& b) {
    StretchDraw(RECT{x, y, x + b.Width(), y + b.Height()}, b);
}

void TCanvas::StretchDraw(const RECT& r, const TBitmap& b) {
    if (b.Empty()) return;
    std::vector<uint8_t> info = b.InfoHeader();
    // The colour table must be complete for DIB_RGB_COLORS when biClrUsed is 0.
    SetStretchBltMode(FDC, COLORONCOLOR);
    StretchDIBits(FDC, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, b.Width(), b.Height(), b.Bits(),
                  reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
}

void TCanvas::StretchDrawMasked(const RECT& r, const TBitmap& b, const TBitmap& mask) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (b.Empty() || width <= 0 || height <= 0) return;
    // Composed off screen: the canvas's pixels under r, the picture's where the mask is clear.
    TDibSection under(width, height);
    TDibSection picture(width, height);
    if (!under.Pixels() || !picture.Pixels()) return;
    BitBlt(under.DC(), 0, 0, width, height, FDC, r.left, r.top, SRCCOPY);
    TCanvas(picture.DC()).StretchDraw(RECT{0, 0, width, height}, b);
    GdiFlush();
    for (int y = 0; y < height; ++y) {
        int sy = static_cast<int>(static_cast<int64_t>(y) * b.Height() / height);
        for (int x = 0; x < width; ++x) {
            int sx = static_cast<int>(static_cast<int64_t>(x) * b.Width() / width);
            bool keep = sx < mask.Width() && sy < mask.Height() && mask.PixelIndex(sx, sy) != 0;
            if (!keep) under.Pixels()[static_cast<std::size_t>(y) * width + x] = picture.Pixels()[static_cast<std::size_t>(y) * width + x];
        }
    }
    BitBlt(FDC, r.left, r.top, width, height, under.DC(), 0, 0, SRCCOPY);
}

TDibSection::TDibSection(int width, int height) : FWidth(width), FHeight(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    FBitmap.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    FPixels = static_cast<uint32_t*>(bits);
    FDC.Reset(CreateCompatibleDC(nullptr));
    FOld = SelectObject(FDC.Get(), FBitmap.Get());
}

COLORREF TDibSection::PixelAt(int x, int y) const {
    GdiFlush();
    uint32_t v = FPixels[y * FWidth + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}
