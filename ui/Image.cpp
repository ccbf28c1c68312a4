#include "ui/Image.h"

#include "ui/Canvas.h"

TImage::TImage(TControl* parent, const std::string& name) : TControl(parent, name) {
    CreateOwnWindow(WS_VISIBLE | WS_CLIPSIBLINGS);
    FColor = parent ? parent->Color() : clBtnFace;
}

TImage::~TImage() { FreeIcon(); }

void TImage::FreeIcon() {
    if (!FIcon) return;
    if (FIconIsCursor)
        DestroyCursor(FIcon);
    else
        DestroyIcon(FIcon);
    FIcon = nullptr;
}

void TImage::SetBitmap(const TBitmap& b) {
    FreeIcon();
    FBitmap = b;
    Invalidate();
}

void TImage::SetIcon(HICON icon, bool isCursor) {
    FreeIcon();
    FBitmap = TBitmap();
    FIcon = icon;
    FIconIsCursor = isCursor;
    Invalidate();
}

void TImage::ClearPicture() {
    FreeIcon();
    FBitmap = TBitmap();
    Invalidate();
}

LRESULT TImage::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        TPaintDC paint(FHandle);
        HDC dc = paint.Get();
        RECT r;
        GetClientRect(FHandle, &r);
        TCanvas canvas(dc);
        canvas.FillRect(r, FParent ? FParent->Color() : FColor);
        if (FIcon)
            DrawIconEx(dc, 0, 0, FIcon, 0, 0, 0, nullptr, DI_NORMAL);
        else if (!FBitmap.Empty())
            FStretch ? canvas.StretchDraw(r, FBitmap) : canvas.Draw(0, 0, FBitmap);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return TControl::WndProc(msg, wp, lp);
}
