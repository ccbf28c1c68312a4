#include "gif/GIFHeader.h"

#include <algorithm>

#include <cctype>
#include <cstring>

#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFUtil.h"

TGIFHeader::TGIFHeader(TGIFImage* image) : TGIFItem(image), FColorMap(this) { Clear(); }

void TGIFHeader::Clear() {
    FColorMap.Clear();
    FLogicalScreenDescriptor = {};
}

void TGIFHeader::Assign(const TGIFHeader& source) {
    if (&source == this) return;
    FColorMap.Assign(source.FColorMap);
    FLogicalScreenDescriptor = source.FLogicalScreenDescriptor;
}

void TGIFHeader::Assign(const TGIFColorMap& source) {
    if (&source == &FColorMap) return;
    Clear();
    FColorMap.Assign(source);
}

TGIFVersion TGIFHeader::GetVersion() const {
    return FColorMap.Optimized() || FLogicalScreenDescriptor.AspectRatio != 0 ? gv89a : gv87a;
}

TColor TGIFHeader::GetBackgroundColor() { return FColorMap.GetColor(FLogicalScreenDescriptor.BackgroundColorIndex); }

void TGIFHeader::SetBackgroundColor(TColor color) { SetBackgroundColorIndex(FColorMap.AddUnique(color)); }

void TGIFHeader::SetBackgroundColorIndex(int index) {
    if (index < 0 || (index >= FColorMap.Count() && FColorMap.Count() > 0)) {
        Warning(gsWarning, GIFText::_sBadColorIndex);
        index = 0;
    }
    FLogicalScreenDescriptor.BackgroundColorIndex = static_cast<uint8_t>(index);
}

void TGIFHeader::Prepare() {
    int resolution = FImage ? FImage->GetColorResolution() : GetColorResolution();
    int bits = FImage ? FImage->GetBitsPerPixel() : GetBitsPerPixel();
    uint8_t packed = static_cast<uint8_t>((resolution & 7) << 4);
    if (FColorMap.Count() > 0) {
        packed |= 0x80;
        if (FColorMap.Optimized()) packed |= 0x08;
        packed |= static_cast<uint8_t>((FColorMap.GetBitsPerPixel() - 1) & 7);
    } else {
        // Without a table the size field carries the image's depth; the table flag stays clear.
        packed |= static_cast<uint8_t>((bits - 1) & 7);
    }
    FLogicalScreenDescriptor.PackedFields = packed;
}

void TGIFHeader::SaveToStream(TStream& stream) {
    TGIFVersion version = FImage ? FImage->GetVersion() : GetVersion();
    if (version == gvUnknown) RaiseGIFError(GIFText::_sBadVersion);
    // A sorted global table or an aspect ratio exists only in version 89a.
    version = std::max(version, GetVersion());
    stream.WriteBuffer(version == gv89a ? "GIF89a" : "GIF87a", 6);
    Prepare();
    const TGIFLogicalScreenDescriptor& d = FLogicalScreenDescriptor;
    uint8_t bytes[7] = {static_cast<uint8_t>(d.ScreenWidth), static_cast<uint8_t>(d.ScreenWidth >> 8),
                        static_cast<uint8_t>(d.ScreenHeight), static_cast<uint8_t>(d.ScreenHeight >> 8),
                        d.PackedFields, d.BackgroundColorIndex, d.AspectRatio};
    stream.WriteBuffer(bytes, 7);
    if (d.PackedFields & 0x80) FColorMap.SaveToStream(stream);
}

namespace {
bool IsGIFSignature(const uint8_t* s) {
    return std::toupper(s[0]) == 'G' && std::toupper(s[1]) == 'I' && std::toupper(s[2]) == 'F';
}
}  // namespace

void TGIFHeader::LoadFromStream(TStream& stream) {
    int64_t start = stream.Position();
    uint8_t signature[6];
    ReadExact(stream, signature, 6);
    if (!IsGIFSignature(signature)) {
        stream.SetPosition(start + 4);
        ReadExact(stream, signature, 6);
        if (!IsGIFSignature(signature)) RaiseGIFError(GIFText::_sBadSignature);
    }
    uint8_t bytes[7];
    ReadExact(stream, bytes, 7);
    FLogicalScreenDescriptor = {static_cast<uint16_t>(bytes[0] | bytes[1] << 8),
                                static_cast<uint16_t>(bytes[2] | bytes[3] << 8), bytes[4], bytes[5], bytes[6]};
    if (bytes[4] & 0x80)
        FColorMap.LoadFromStream(stream, 2 << (bytes[4] & 7));
    else
        FColorMap.Clear();
}

// ---- the global colour table reaches the frames through the owner image

void TGIFGlobalColorMap::Warning(TGIFSeverity severity, const std::string& message) {
    if (FHeader && FHeader->Image()) FHeader->Image()->Warning(this, severity, message);
}

void TGIFGlobalColorMap::CountColorUses(TColorUses& uses) {
    ResetUses(uses);
    TGIFImage* image = FHeader ? FHeader->Image() : nullptr;
    if (!image) return;
    for (int i = 0; i < image->Images().GetCount(); ++i) {
        TGIFSubImage* frame = image->Images().GetImage(i);
        if (&frame->GetActiveColorMap() != this) continue;
        for (uint8_t p : frame->Pixels()) ++uses[p].Uses;
    }
}

void TGIFGlobalColorMap::RemapPixels(const TColorMapping& map) {
    TGIFImage* image = FHeader ? FHeader->Image() : nullptr;
    if (!image) return;
    for (int i = 0; i < image->Images().GetCount(); ++i) {
        TGIFSubImage* frame = image->Images().GetImage(i);
        if (&frame->GetActiveColorMap() == this) frame->RemapPixels(map);
    }
}

bool TGIFGlobalColorMap::OptimizeMap() {
    TGIFImage* image = FHeader ? FHeader->Image() : nullptr;
    if (!image || image->Images().GetCount() == 0) return false;
    return DoOptimize();
}

void TGIFGlobalColorMap::NotifyChanged() {
    if (FHeader && FHeader->Image()) FHeader->Image()->SetPalette(nullptr);
}
