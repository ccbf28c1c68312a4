#pragma once
// The PNG picture as a picture of the window code: drawn stretched into a rectangle, with
// the image bitmap's transparent colour left out when it has one.
#include "png/PngPicture.h"
#include "ui/Graphic.h"

class TRUDEDIGraphic : public TGraphic, public TRUDEDI {
public:
    int Width() const override { return GetImage().Width(); }
    int Height() const override { return GetImage().Height(); }
    bool Empty() const override { return GetImage().Empty(); }
    bool Transparent() const override { return TRUDEDI::Transparent(); }
    void SetTransparent(bool value) override { TRUDEDI::SetTransparent(value); }
    void Draw(TCanvas& canvas, const RECT& rect) override;
    // The image with its palette, and the mask of its transparent colour.
    bool AssignToBitmap(TBitmap& bitmap, TBitmap& mask) override;
    void LoadFromStream(TStream& stream) override { TRUDEDI::LoadFromStream(stream); }
    void SaveToStream(TStream& stream) override { TRUDEDI::SaveToStream(stream); }
    // The image as a bitmap (CF_DIB); loading takes a bitmap (CF_DIB or CF_BITMAP) into the
    // own image.
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
};

// At start: the "PNG" picture format. It is unregistered when the program ends, or
// earlier by UnregisterPNGPicture.
void RegisterPNGPicture();
void UnregisterPNGPicture();
