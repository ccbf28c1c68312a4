#pragma once
// TCanvas: drawing on a device context with the program's colours and font.
#include <string>

#include "base/Bitmap.h"
#include "ui/Win.h"

class TCanvas {
public:
    explicit TCanvas(HDC dc) : FDC(dc) {}
    HDC Handle() const { return FDC; }

    void FillRect(const RECT& r, TColor c);
    void FrameRect(const RECT& r, TColor c);
    // Text in the given colour; a background colour of clNone draws transparently.
    void TextOut(int x, int y, const std::string& text, TColor color, TColor background = clNone);
    SIZE TextExtent(const std::string& text) const;
    void SetFont(HFONT font) { SelectObject(FDC, font); }
    // Draws a bitmap 1:1 or stretched into r.
    void Draw(int x, int y, const TBitmap& b);
    void StretchDraw(const RECT& r, const TBitmap& b);
    // As StretchDraw, but where the 1-bit mask has a bit set the canvas keeps its pixels.
    void StretchDrawMasked(const RECT& r, const TBitmap& b, const TBitmap& mask);

private:
    HDC FDC;  // not owned
};

// A glyph ready to draw on a surface: every pixel of the transparent colour takes the
// background colour instead (24 bits per pixel).
TBitmap GlyphOnBackground(const TBitmap& glyph, TColor transparent, TColor background);

// A 32-bit top-down DIB section with its own memory DC, for drawing off screen.
class TDibSection {
public:
    TDibSection(int width, int height);
    ~TDibSection() {
        if (FDC) SelectObject(FDC.Get(), FOld);
    }
    TDibSection(const TDibSection&) = delete;
    TDibSection& operator=(const TDibSection&) = delete;
    HDC DC() const { return FDC.Get(); }
    HBITMAP Bitmap() const { return static_cast<HBITMAP>(FBitmap.Get()); }
    uint32_t* Pixels() { return FPixels; }
    COLORREF PixelAt(int x, int y) const;  // as 0x00BBGGRR
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

private:
    int FWidth, FHeight;
    TMemDC FDC;
    TGdiObject FBitmap;
    HGDIOBJ FOld = nullptr;
    uint32_t* FPixels = nullptr;
};
