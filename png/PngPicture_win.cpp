#include "png/PngPicture_win.h"

#include "ui/Clipboard.h"

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

void TRUDEDIGraphic::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
    palette = nullptr;
    data = nullptr;
    format = 0;
    if (GetImage().Empty()) return;  // nothing to put on the clipboard
    data = BitmapToGlobalDib(GetImage());
    if (!data) throw ERUDEDI("PNG: not enough memory for the clipboard");
    format = CF_DIB;
}

void TRUDEDIGraphic::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE) {
    if (format != CF_DIB) throw ERUDEDI(sUnsupportedClipboardData);
    if (!data) data = GetClipboardData(format);
    TBitmap bitmap;
    if (!GlobalDibToBitmap(data, bitmap)) throw ERUDEDI(sUnsupportedClipboardData);
    Assign(bitmap);  // into the own image, without transparency
}

namespace {
// Takes the format away again when the program ends.
struct TPNGRegistration {
    ~TPNGRegistration() { UnregisterPNGPicture(); }
};
}  // namespace

void RegisterPNGPicture() {
    TPicture::RegisterFileFormat("PNG", "PNG Format", [] { return std::make_unique<TRUDEDIGraphic>(); });
    static TPNGRegistration registration;
}

void UnregisterPNGPicture() {
    const TPicture::TFileFormat* format = TPicture::FindFileFormat("PNG");
    if (format && format->Description == "PNG Format") TPicture::UnregisterFileFormat("PNG");
}
