#include "png/PngPicture_win.h"

void TRUDEDIGraphic::Draw(TCanvas& canvas, const RECT& rect) {
    const TBitmap& image = GetImage();
    if (image.Empty()) return;
    if (!ImageTransparent()) {
        canvas.StretchDraw(rect, image);
        return;
    }
    // The pixels of the transparent colour keep the canvas.
    TBitmap mask(image.Width(), image.Height(), TPixelFormat::pf1bit);
    const TColor key = ImageTransparentColor() & 0xFFFFFF;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if ((image.Pixel(x, y) & 0xFFFFFF) == key) mask.SetPixelIndex(x, y, 1);
    canvas.StretchDrawMasked(rect, image, mask);
}

void RegisterPNGPicture() {
    TPicture::RegisterFileFormat("PNG", "PNG Format", [] { return std::make_unique<TRUDEDIGraphic>(); });
}
