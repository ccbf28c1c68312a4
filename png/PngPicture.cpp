#include "PngPicture.h"

#include "PngReader.h"
#include "PngWriter.h"
#include "base/ScopeGuard.h"

TRUDEDI::TRUDEDI() : FTime(CurrentUtcTime()) {}

void TRUDEDI::Changed() {
    FModified = true;
    if (OnChange) OnChange();
}

void TRUDEDI::SetTransparent(bool value) {
    if (!FInTransFlag && FImageTransparent != value) FImageTransparent = value;
    if (FTransparent != value) {
        FTransparent = value;
        Changed();
    }
}

void TRUDEDI::SetTransFlag(bool graphicTransparent) {
    FPaletteModified = true;
    if (FTransparent == graphicTransparent) {
        Changed();
        return;
    }
    FInTransFlag = true;
    TScopeExit reset([this] { FInTransFlag = false; });
    SetTransparent(graphicTransparent);
}

void TRUDEDI::SetTransColor(TColor colour) {
    FTransColor = colour;
    if (GetEmpty()) return;
    if (colour == -1) SetTransparent(false);
    else FImageTransparentColor = colour;
}

void TRUDEDI::SetIDATSize(int size) {
    if (size < 256 || size > 100000) throw ERUDEDI("PNG Param: Err IDAT Size(min:256  max:100000)");
    FIDATSize = size;
}

void TRUDEDI::Assign(const TRUDEDI& source) {
    if (&source == this) return;
    FExtBitmap = nullptr;
    FBitmap = source.FBitmap;
    FAlphaBitmap = source.FAlphaBitmap;
    FImageTransparent = source.FImageTransparent;
    FImageTransparentColor = source.FImageTransparentColor;
    FOwnTransparent = source.FExtBitmap ? source.FOwnTransparent : source.FImageTransparent;
    FOwnTransparentColor = source.FExtBitmap ? source.FOwnTransparentColor : source.FImageTransparentColor;
    FExtBitmap = source.FExtBitmap;
    FExtAlphaBitmap = source.FExtAlphaBitmap;
    FCompressLevel = source.FCompressLevel;
    FFilterType = source.FFilterType;
    FIDATSize = source.FIDATSize;
    FInterlaceType = source.FInterlaceType;
    FGrayScale = source.FGrayScale;
    FComment = source.FComment;
    FBGColor = source.FBGColor;
    FTransColor = source.FTransColor;
    FGamma = source.FGamma;
    FSBit = source.FSBit;
    FUnitSpecifier = source.FUnitSpecifier;
    FXPixels = source.FXPixels;
    FYPixels = source.FYPixels;
    FStampTime = source.FStampTime;
    FPaletteBitDepth = source.FPaletteBitDepth;
    FTime = source.FTime;
    FChrm = source.FChrm;
    SetTransFlag(FImageTransparent);
}

void TRUDEDI::Assign(const TBitmap& source) {
    FExtBitmap = nullptr;
    FBitmap = source;
    FImageTransparent = false;  // a plain bitmap carries no transparency
    FImageTransparentColor = -1;
    SetTransFlag(FImageTransparent);
}

void TRUDEDI::AssignTo(TBitmap& dest) const { dest = GetImage(); }

TBitmap TRUDEDI::TransparencyMask() const {
    const TBitmap& image = GetImage();
    if (image.Empty() || !FImageTransparent) return {};
    TBitmap mask(image.Width(), image.Height(), TPixelFormat::pf1bit);
    const TColor key = FImageTransparentColor;
    const bool byIndex = (key & PaletteIndexFlag) != 0 && IsPaletted(image.PixelFormat());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const bool hit = byIndex ? image.PixelIndex(x, y) == (key & 0xFF) : (image.Pixel(x, y) & 0xFFFFFF) == (key & 0xFFFFFF);
            if (hit) mask.SetPixelIndex(x, y, 1);
        }
    return mask;
}

void TRUDEDI::Write(TStream& stream, bool ownImageDefaults) {
    TRUDEDIWriteStream w;
    if (!ownImageDefaults) {
        w.FCompressLevel = FCompressLevel;
        w.FFilterType = FFilterType;
        w.SetIDATSize(FIDATSize);
        w.FInterlaceType = FInterlaceType;
        w.FStampTime = FStampTime;
        w.FOnEncode = OnEncode;
        w.FPassword = FPassword;
        w.OnProgress = OnProgress;
    }
    w.FGrayScale = FGrayScale;
    w.FComment = FComment;
    w.FBGColor = FBGColor;
    w.FTransColor = FTransColor;
    w.FPaletteDepth = FPaletteBitDepth;
    w.FGamma = FGamma;
    w.FSBit = FSBit;
    w.FUnitSpecifier = FUnitSpecifier;
    w.FXPixels = FXPixels;
    w.FYPixels = FYPixels;
    w.FTimeLink = &FTime;
    w.FChrmLink = &FChrm;
    w.FGIFExtLink = &FGIFExt;
    const TBitmap& image = ownImageDefaults ? FBitmap : GetImage();
    if (FHasAlpha) w.FAlphaSource = ownImageDefaults ? &FAlphaBitmap : &GetAlphaBitmap();
    w.SaveToStream(image, stream);
}

void TRUDEDI::Read(TStream& stream, bool ownImageDefaults) {
    TRUDEDIReadStream r;
    if (!ownImageDefaults) {
        r.FOnDecode = OnDecode;
        r.FOnPassword = OnPassword;
        r.FPassword = FPassword;
        r.FMacBinaryCheck = FMacBinaryCheck;
        r.FRestore1516 = FRestore1516;
        r.OnProgress = OnProgress;
    } else {
        FExtBitmap = nullptr;
        FExtAlphaBitmap = nullptr;
    }
    r.FTimeLink = &FTime;
    r.FChrmLink = &FChrm;
    r.FGIFExtLink = &FGIFExt;
    r.FMaxImageBytes = FMaxImageBytes;
    FAlphaBitmap = TBitmap();
    r.FAlphaTarget = &GetAlphaBitmap();
    r.LoadFromStream(GetImage(), stream, 0);

    FHasAlpha = r.FHasAlpha;
    FComment = r.FComment;
    FBGColor = r.FBGColor;
    FTransColor = r.FTransColor;
    if (!ownImageDefaults) FInterlaceType = r.FInterlaceType == 1 ? gptAdam7 : gptNone;
    FGamma = r.FGamma;
    FUnitSpecifier = static_cast<TRUDEDIUnitSpecifier>(r.FUnitSpecifier & 0xFF);
    FXPixels = r.FXPixels;
    FYPixels = r.FYPixels;
    FSBit = r.FSBit;
    FBitDepth = r.FBitDepth;
    FGrayScale = r.FGrayScale;
    FImageTransparent = r.FBitmapTransparent;
    if (r.FBitmapTransparent) FImageTransparentColor = r.FTransColor;
    SetTransFlag(FImageTransparent);
    if (ownImageDefaults) Changed();
}

void TRUDEDI::SaveToStream(TStream& stream) { Write(stream, false); }

void TRUDEDI::LoadFromStream(TStream& stream) { Read(stream, false); }

void TRUDEDI::ReadData(TStream& stream) { Read(stream, true); }

void TRUDEDI::WriteData(TStream& stream) {
    if (FBitmap.Empty()) return;
    Write(stream, true);
}

void TRUDEDI::LoadFromFile(const std::string& path) {
    TFileStream f(path, TFileMode::fmOpenRead);
    LoadFromStream(f);
}

void TRUDEDI::SaveToFile(const std::string& path) {
    TMemoryStream m;
    SaveToStream(m);
    m.SaveToFile(path);
}

void TRUDEDI::SetImage(TBitmap* bitmap) {
    if (bitmap && bitmap == FExtAlphaBitmap) FExtAlphaBitmap = nullptr;
    if (bitmap != FExtBitmap) {
        if (!FExtBitmap) {
            FOwnTransparent = FImageTransparent;
            FOwnTransparentColor = FImageTransparentColor;
        }
        if (bitmap) {
            FImageTransparent = false;  // a plain bitmap carries no transparency
            FImageTransparentColor = -1;
        } else {
            FImageTransparent = FOwnTransparent;
            FImageTransparentColor = FOwnTransparentColor;
        }
        FExtBitmap = bitmap;
    }
    SetTransFlag(FImageTransparent);
}

void TRUDEDI::SetABmp(TBitmap* bitmap) { FExtAlphaBitmap = !bitmap || bitmap == FExtBitmap ? nullptr : bitmap; }

void TRUDEDI::AlphaBitmapAssign(const TBitmap& graphic) {
    FExtAlphaBitmap = nullptr;
    FAlphaBitmap = graphic;
}

void TRUDEDI::AlphaBitmapAssign(const TRUDEDI& graphic) {
    FExtAlphaBitmap = nullptr;
    if (&graphic != this) FAlphaBitmap = graphic.FAlphaBitmap;
}

bool TRUDEDI::AlphaBitmapAssignTo(TBitmap* graphic) const {
    if (!FAlphaBitmap.Empty() && graphic) *graphic = FAlphaBitmap;
    return !FAlphaBitmap.Empty();
}

void TRUDEDI::FreeAlphaBitmap() { FAlphaBitmap = TBitmap(); }

void TRUDEDI::SetPalette(const std::vector<TRGBQuad>& palette) {
    GetImage().Colors() = palette;
    Changed();
}

void TRUDEDI::SetWidth(int width) {
    if (!GetImage().Empty()) GetImage().SetSize(width, GetImage().Height());
    if (!GetAlphaBitmap().Empty()) GetAlphaBitmap().SetSize(width, GetAlphaBitmap().Height());
    Changed();
}

void TRUDEDI::SetHeight(int height) {
    if (!GetImage().Empty()) GetImage().SetSize(GetImage().Width(), height);
    if (!GetAlphaBitmap().Empty()) GetAlphaBitmap().SetSize(GetAlphaBitmap().Width(), height);
    Changed();
}
