#pragma once
// TRUDEDI: the PNG picture. It holds one image as a TBitmap, an optional 8-bit alpha
// bitmap (255 - alpha) beside it, the options for writing PNG files and the extra data
// read from them. This is the codec's entry point for the rest of the program:
// construct, Assign a bitmap, SetTransColor (-1 = none), SaveToStream; or LoadFromFile
// and AssignTo a bitmap.
#include <functional>
#include <string>

#include "PngTypes.h"
#include "base/Bitmap.h"
#include "base/Stream.h"

class TRUDEDI {
public:
    TRUDEDI();
    TRUDEDI(const TRUDEDI&) = delete;
    TRUDEDI& operator=(const TRUDEDI&) = delete;

    void Assign(const TRUDEDI& source);
    void Assign(const TBitmap& source);
    void AssignTo(TBitmap& dest) const;

    void SaveToStream(TStream& stream);
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);
    // Streaming of a picture inside a document: the PNG bytes follow directly.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);

    void SetTransColor(TColor colour);
    TColor TransColor() const { return FTransColor; }
    virtual void SetTransparent(bool value);
    bool Transparent() const { return FTransparent; }
    void SetIDATSize(int size);
    int IDATSize() const { return FIDATSize; }

    TBitmap& GetImage() { return FExtBitmap ? *FExtBitmap : FBitmap; }
    const TBitmap& GetImage() const { return FExtBitmap ? *FExtBitmap : FBitmap; }
    // Links a bitmap owned by the caller as the image (nullptr: back to the own one). The
    // picture's transparency follows the new image: a linked bitmap carries none, the own
    // image keeps what it had.
    void SetImage(TBitmap* bitmap);
    TBitmap& GetAlphaBitmap() { return FExtAlphaBitmap ? *FExtAlphaBitmap : FAlphaBitmap; }
    const TBitmap& GetAlphaBitmap() const { return FExtAlphaBitmap ? *FExtAlphaBitmap : FAlphaBitmap; }
    void SetABmp(TBitmap* bitmap);
    void AlphaBitmapAssign(const TBitmap& graphic);
    void AlphaBitmapAssign(const TRUDEDI& graphic);
    bool AlphaBitmapAssignTo(TBitmap* graphic) const;
    void FreeAlphaBitmap();

    // The image bitmap's own transparency (a bitmap of this layer carries none itself).
    bool ImageTransparent() const { return FImageTransparent; }
    TColor ImageTransparentColor() const { return FImageTransparentColor; }
    // A 1-bit mask of the image, set where it shows its transparent colour (or palette
    // entry); empty when the image is not transparent.
    TBitmap TransparencyMask() const;

    void SetTime(const TPNGTime& t) { FTime = t; }
    TPNGTime GetTime() const { return FTime; }
    void SetChrm(const TPNGChromaticities& c) { FChrm = c; }
    TPNGChromaticities GetChrm() const { return FChrm; }
    void SetGIFExt(const TPNGGIFExtension& g) { FGIFExt = g; }
    TPNGGIFExtension GetGIFEXt() const { return FGIFExt; }

    bool GetEmpty() const { return GetImage().Empty(); }
    int GetWidth() const { return GetImage().Width(); }
    int GetHeight() const { return GetImage().Height(); }
    const std::vector<TRGBQuad>& GetPalette() const { return GetImage().Colors(); }
    void SetPalette(const std::vector<TRGBQuad>& palette);
    void SetWidth(int width);
    void SetHeight(int height);

    bool Modified() const { return FModified; }
    bool PaletteModified() const { return FPaletteModified; }
    // Largest bitmap in bytes that reading may allocate.
    void SetMaxImageBytes(int64_t bytes) { FMaxImageBytes = bytes; }

    // Options and results (see the class comment).
    int FCompressLevel = -1;
    TRUDEDIFilterType FFilterType = gpfNone;
    TRUDEDIInterlaceType FInterlaceType = gptNone;
    bool FGrayScale = false;
    bool FHasAlpha = false;
    int FBitDepth = 0;
    TColor FBGColor = -1;
    std::string FComment;
    double FGamma = 0.45455;
    std::string FPassword;
    int32_t FSBit = 0;
    TRUDEDIUnitSpecifier FUnitSpecifier = gpuAspect;
    int FXPixels = 0, FYPixels = 0;
    bool FMacBinaryCheck = true;
    bool FStampTime = true;
    // A paletted image is written at this bit depth (1, 2 or 4, below the bitmap's) when
    // its palette fits in it; 0 = the bitmap's own.
    int FPaletteBitDepth = 0;
    bool FRestore1516 = false;
    TRUDEDIPasswordEvent OnPassword;
    TRUDEDIDECodeEvent OnEncode;
    TRUDEDIDECodeEvent OnDecode;
    TProgressEvent OnProgress;
    std::function<void()> OnChange;

private:
    void SetTransFlag(bool graphicTransparent);
    void Changed();
    void Write(TStream& stream, bool ownImageDefaults);
    void Read(TStream& stream, bool ownImageDefaults);

    bool FInTransFlag = false;
    int FIDATSize = 32768;
    TBitmap* FExtAlphaBitmap = nullptr;  // not owned
    TBitmap FAlphaBitmap;
    TBitmap* FExtBitmap = nullptr;       // not owned
    TBitmap FBitmap;
    TColor FTransColor = -1;
    TPNGTime FTime;
    TPNGChromaticities FChrm;
    TPNGGIFExtension FGIFExt;
    bool FTransparent = false;
    bool FImageTransparent = false;  // of the current image (GetImage)
    TColor FImageTransparentColor = -1;
    bool FOwnTransparent = false;  // of the own image while an external one is linked
    TColor FOwnTransparentColor = -1;
    bool FModified = false;
    bool FPaletteModified = false;
    int64_t FMaxImageBytes = 256LL * 1024 * 1024;
};
