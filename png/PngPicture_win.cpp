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
    canvas.StretchDrawMasked(rect, image, TransparencyMask());
}

bool TRUDEDIGraphic::AssignToBitmap(TBitmap& bitmap, TBitmap& mask) {
    if (GetImage().Empty()) return false;
    TRUDEDI::AssignTo(bitmap);
    mask = TransparencyMask();
    return true;
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

void TRUDEDIGraphic::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
    if (format != CF_DIB && format != CF_BITMAP) throw ERUDEDI(sUnsupportedClipboardData);
    if (!data) data = GetClipboardData(format);
    TBitmap bitmap;
    if (!ClipboardDataToBitmap(format, data, palette, bitmap)) throw ERUDEDI(sUnsupportedClipboardData);
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
