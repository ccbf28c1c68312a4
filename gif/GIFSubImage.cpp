#include "gif/GIFSubImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/ByteIO.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFUtil.h"

// ---- TGIFExtensionList

TGIFExtension* TGIFExtensionList::GetExtension(int index) const { return static_cast<TGIFExtension*>(GetItem(index)); }

std::unique_ptr<TGIFItem> TGIFExtensionList::SetExtension(int index, std::unique_ptr<TGIFExtension> extension) {
    return SetItem(index, std::move(extension));
}

void TGIFExtensionList::LoadFromStream(TStream& stream, TGIFSubImage& parent) {
    int b = GetByte(stream);
    if (b < 0) return;
    while (b != 0x2C && b != 0x3B) {
        if (b != 0x21) {
            parent.Warning(gsWarning, GIFText::_sBadExtensionLabel);
            break;
        }
        const TGIFExtensionClass* extensionClass = TGIFExtension::FindExtension(stream);
        if (!extensionClass || !extensionClass->Create) RaiseGIFError(GIFText::_sUnknownExtension);
        stream.Seek(-1, TSeekOrigin::soCurrent);
        std::unique_ptr<TGIFExtension> extension = extensionClass->Create(parent);
        extension->LoadFromStream(stream);
        Add(std::move(extension));
        b = GetByte(stream);
        if (b < 0) return;
    }
    stream.Seek(-1, TSeekOrigin::soCurrent);
}

// ---- TGIFLocalColorMap

void TGIFLocalColorMap::Warning(TGIFSeverity severity, const std::string& message) {
    if (FSubImage && FSubImage->Image()) FSubImage->Image()->Warning(this, severity, message);
}

void TGIFLocalColorMap::CountColorUses(TColorUses& uses) {
    ResetUses(uses);
    if (!FSubImage) return;
    for (uint8_t p : FSubImage->Pixels()) ++uses[p].Uses;
}

void TGIFLocalColorMap::RemapPixels(const TColorMapping& map) {
    if (FSubImage) FSubImage->RemapPixels(map);
}

void TGIFLocalColorMap::NotifyChanged() {
    if (FSubImage) FSubImage->SetPalette(nullptr);
}

// ---- TGIFSubImage

TGIFSubImage::TGIFSubImage(TGIFImage* image) : TGIFItem(image), FColorMap(this), FExtensions(image) {}

TGIFSubImage::~TGIFSubImage() {
    // The extensions reach back into this frame while they go.
    FExtensions.Clear();
}

void TGIFSubImage::Clear() {
    FExtensions.Clear();
    FColorMap.Clear();
    FreeImage();
    DoSetBounds(GetLeft(), GetTop(), 0, 0);
    FTransparent = false;
    FGraphicControlExtension = nullptr;
    FreeBitmap();
    FreeMask();
}

bool TGIFSubImage::GetEmpty() const { return FData.empty() || GetWidth() == 0 || GetHeight() == 0; }

void TGIFSubImage::NewImage() {
    FData.clear();
    int64_t count = static_cast<int64_t>(GetWidth()) * GetHeight();
    int64_t limit = FImage ? FImage->Limits().MaxFramePixels : TGIFLimits{}.MaxFramePixels;
    if (count > limit) RaiseGIFError(GIFText::_sLimitExceeded);
    FData.assign(static_cast<std::size_t>(count), 0);
}

void TGIFSubImage::FreeImage() { std::vector<uint8_t>().swap(FData); }

void TGIFSubImage::NeedImage() {
    if (FData.empty()) NewImage();
    if (FData.empty()) RaiseGIFError(GIFText::_sEmptyImage);
}

TBitmap& TGIFSubImage::NewBitmap() {
    FBitmap = std::make_unique<TBitmap>();
    return *FBitmap;
}

void TGIFSubImage::FreeMask() {
    FMask.reset();
    FNeedMask = true;
}

int TGIFSubImage::GetBounds(int index) const {
    switch (index) {
        case 1: return GetLeft();
        case 2: return GetTop();
        case 3: return GetWidth();
        case 4: return GetHeight();
        default: return 0;
    }
}

void TGIFSubImage::SetBounds(int index, int value) {
    switch (index) {
        case 1: DoSetBounds(value, GetTop(), GetWidth(), GetHeight()); break;
        case 2: DoSetBounds(GetLeft(), value, GetWidth(), GetHeight()); break;
        case 3: DoSetBounds(GetLeft(), GetTop(), value, GetHeight()); break;
        case 4: DoSetBounds(GetLeft(), GetTop(), GetWidth(), value); break;
        default: break;
    }
}

void TGIFSubImage::DoSetBounds(int left, int top, int width, int height) {
    auto clamp16 = [](int v) { return static_cast<uint16_t>(std::clamp(v, 0, 0xFFFF)); };
    bool resized = clamp16(width) != GetWidth() || clamp16(height) != GetHeight();
    FImageDescriptor.Left = clamp16(left);
    FImageDescriptor.Top = clamp16(top);
    FImageDescriptor.Width = clamp16(width);
    FImageDescriptor.Height = clamp16(height);
    if (resized) {
        FreeBitmap();
        FreeMask();
        FreeImage();
        NewImage();
    }
    if (!FImage) return;
    TGIFHeader& header = FImage->Header();
    bool grown = false;
    int right = GetLeft() + GetWidth();
    int bottom = GetTop() + GetHeight();
    if (header.GetWidth() < right) {
        if (header.GetWidth() > 0) {
            Warning(gsWarning, GIFText::_sBadWidth);
            grown = true;
        }
        header.SetWidth(std::min(right, 0xFFFF));
    }
    if (header.GetHeight() < bottom) {
        if (header.GetHeight() > 0) {
            Warning(gsWarning, GIFText::_sBadHeight);
            grown = true;
        }
        header.SetHeight(std::min(bottom, 0xFFFF));
    }
    if (grown) Warning(gsWarning, GIFText::_sScreenSizeExceeded);
}

TGIFRect TGIFSubImage::GetBoundsRect() const {
    return {GetLeft(), GetTop(), GetLeft() + GetWidth(), GetTop() + GetHeight()};
}

void TGIFSubImage::SetBoundsRect(const TGIFRect& rect) {
    DoSetBounds(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
}

namespace {
// a * b / c rounded to nearest, -1 for c = 0.
int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    return static_cast<int>(std::llround(static_cast<double>(a) * b / c));
}
}  // namespace

TGIFRect TGIFSubImage::ScaleRect(const TGIFRect& rect) const {
    int imageWidth = FImage ? FImage->GetWidth() : GetWidth();
    int imageHeight = FImage ? FImage->GetHeight() : GetHeight();
    int w = rect.Right - rect.Left;
    int h = rect.Bottom - rect.Top;
    // Without a screen size there is nothing to scale by: the bounds are taken as they are.
    if (imageWidth <= 0 || imageHeight <= 0)
        return {rect.Left + GetLeft(), rect.Top + GetTop(), rect.Left + GetLeft() + GetWidth(),
                rect.Top + GetTop() + GetHeight()};
    return {rect.Left + MulDiv(GetLeft(), w, imageWidth), rect.Top + MulDiv(GetTop(), h, imageHeight),
            rect.Left + MulDiv(GetLeft() + GetWidth(), w, imageWidth),
            rect.Top + MulDiv(GetTop() + GetHeight(), h, imageHeight)};
}

uint8_t* TGIFSubImage::GetScanline(int row) {
    if (row < 0 || row >= GetHeight()) RaiseGIFError(GIFText::_sBadPixelCoordinates);
    NeedImage();
    return FData.data() + static_cast<std::size_t>(row) * GetWidth();
}

uint8_t TGIFSubImage::GetPixel(int x, int y) {
    if (x < 0 || x >= GetWidth()) RaiseGIFError(GIFText::_sBadPixelCoordinates);
    return GetScanline(y)[x];
}

void TGIFSubImage::RemapPixels(const TColorMapping& map) {
    for (uint8_t& p : FData) p = map[p];
    if (FTransparent && FGraphicControlExtension)
        FGraphicControlExtension->SetTransparentColorIndex(map[FGraphicControlExtension->GetTransparentColorIndex()]);
}

TGIFColorMap& TGIFSubImage::GetActiveColorMap() {
    if (FColorMap.Count() > 0 || !FImage) return FColorMap;
    if (FImage->Header().ColorMap().Count() > 0) return FImage->Header().ColorMap();
    return FColorMap;
}

void TGIFSubImage::SetInterlaced(bool value) {
    FImageDescriptor.PackedFields =
        static_cast<uint8_t>(value ? FImageDescriptor.PackedFields | 0x40 : FImageDescriptor.PackedFields & ~0x40);
}

TGIFVersion TGIFSubImage::GetVersion() const {
    return FColorMap.Optimized() || FExtensions.GetCount() > 0 ? gv89a : gv87a;
}

namespace {
bool SameColors(const TBitmap& bitmap, const TLogPalette* palette) {
    const std::vector<TRGBQuad>& colors = bitmap.Colors();
    if (!palette) return colors.empty();
    if (colors.size() != palette->palPalEntry.size()) return false;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const TPaletteEntry& e = palette->palPalEntry[i];
        if (colors[i].Red != e.peRed || colors[i].Green != e.peGreen || colors[i].Blue != e.peBlue) return false;
    }
    return true;
}
}  // namespace

void TGIFSubImage::SetPalette(TPaletteHandle palette) {
    if (palette == FPalette) return;
    FPalette = std::move(palette);
    if (FBitmap && !SameColors(*FBitmap, FPalette.get())) {
        FreeBitmap();
        if (FImage) {
            FImage->SetPaletteModified(true);
            FImage->Changed();
        }
    }
}

void TGIFSubImage::Prepare() {
    uint8_t packed = FImageDescriptor.PackedFields & 0x58;
    if (FColorMap.Count() > 0) {
        packed |= 0x80;
        if (FColorMap.Optimized()) packed |= 0x20;
        packed |= static_cast<uint8_t>((FColorMap.GetBitsPerPixel() - 1) & 7);
    }
    FImageDescriptor.PackedFields = packed;
}

void TGIFSubImage::SaveToStream(TStream& stream) {
    FExtensions.SaveToStream(stream);
    if (GetEmpty()) return;
    Prepare();
    const TGIFImageDescriptor& d = FImageDescriptor;
    uint8_t b[10] = {d.Separator};
    PutBounds16(b + 1, d.Left, d.Top, d.Width, d.Height);
    b[9] = d.PackedFields;
    stream.WriteBuffer(b, 10);
    FColorMap.SaveToStream(stream);
    Compress(stream);
}

void TGIFSubImage::LoadFromStream(TStream& stream) {
    Clear();
    FExtensions.LoadFromStream(stream, *this);
    int next = GetByte(stream);
    if (next < 0) return;
    stream.Seek(-1, TSeekOrigin::soCurrent);
    if (next == 0x3B || next == 0) return;

    // Only an image separator starts a descriptor; anything else ends the frame here.
    if (next != 0x2C) return;
    uint8_t b[10];
    ReadExact(stream, b, 10);
    TGIFImageDescriptor d{b[0], GetLE16(b + 1), GetLE16(b + 3), GetLE16(b + 5), GetLE16(b + 7), b[9]};
    if ((d.Width == 0 || d.Height == 0) && FImage) {
        d.Width = static_cast<uint16_t>(FImage->GetWidth());
        d.Height = static_cast<uint16_t>(FImage->GetHeight());
        Warning(gsWarning, GIFText::_sScreenSizeExceeded);
    }
    if (FImage) FImage->ReserveFramePixels(static_cast<int64_t>(d.Width) * d.Height);
    FImageDescriptor = d;
    if (d.PackedFields & 0x80) FColorMap.LoadFromStream(stream, 2 << (d.PackedFields & 7));
    Decompress(stream);
    if (GIFImageRenderOnLoad) GetBitmap();
}
