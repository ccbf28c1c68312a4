// A frame's conversion from and to bitmaps, and the optimiser's pixel steps.
#include <algorithm>
#include <cstring>

#include "gif/GIFDIB.h"
#include "gif/GIFDither.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFProgress.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFUtil.h"

namespace {
bool MaskPixelSet(const TBitmap& mask, int x, int y) {
    return IsPaletted(mask.PixelFormat()) ? mask.PixelIndex(x, y) != 0 : (mask.Pixel(x, y) & 0xFFFFFF) != 0;
}
}  // namespace

int TGIFSubImage::TransparentIndex() const {
    return FTransparent && FGraphicControlExtension ? FGraphicControlExtension->GetTransparentColorIndex() : -1;
}

bool TGIFSubImage::UsesIndex(int index) const {
    return std::find(FData.begin(), FData.end(), static_cast<uint8_t>(index)) != FData.end();
}

void TGIFSubImage::Assign(const TGIFSubImage& source) {
    if (&source == this) return;
    Clear();
    if (source.GetEmpty()) return;
    FImageDescriptor = source.FImageDescriptor;
    FTransparent = source.FTransparent;
    FData = source.FData;
    FColorMap.Assign(source.FColorMap);
    // The extensions are copied through their stream form, with this frame as their parent.
    TMemoryStream stream;
    const_cast<TGIFExtensionList&>(source.FExtensions).SaveToStream(stream);
    stream.SetPosition(0);
    FExtensions.LoadFromStream(stream, *this);
    FTransparent = source.FTransparent;
    if (source.FBitmap) FBitmap = std::make_unique<TBitmap>(*source.FBitmap);
}

void TGIFSubImage::Assign(const TBitmap& bitmap, const TBitmap* mask) {
    Clear();
    if (bitmap.Empty()) return;
    SetBounds(3, bitmap.Width());
    SetBounds(4, bitmap.Height());
    if (IsPaletted(bitmap.PixelFormat())) {
        FBitmap = std::make_unique<TBitmap>(bitmap);
    } else {
        TColorReduction reduction = FImage ? FImage->GetColorReduction() : GIFImageDefaultColorReduction;
        TDitherMode dither = FImage ? FImage->GetDitherMode() : GIFImageDefaultDitherMode;
        int bits = FImage ? FImage->GetReductionBits() : GIFImageDefaultColorReductionBits;
        FBitmap = ReduceColors(bitmap, reduction, dither, bits, nullptr);
        // A reduction without a usable palette gives no picture: that is an error, not an empty frame.
        if (FBitmap->Empty()) {
            FBitmap.reset();
            RaiseGIFError(GIFText::_sInvalidReduction);
        }
    }
    NewImage();
    TProgressScope progress(FImage, this, GIFText::_sProgressConverting);
    const TBitmap converted = *FBitmap;  // importing the colours may drop the cached bitmap
    ReadBitmapPixels(converted);
    if (mask) ApplyMask(*mask);
    progress.Done();
}

void TGIFSubImage::ReadBitmapPixels(const TBitmap& bitmap) {
    const int width = GetWidth(), height = GetHeight();
    const TPixelFormat format = bitmap.PixelFormat();
    const std::vector<TRGBQuad>& colors = bitmap.Colors();
    const int colorCount = static_cast<int>(std::min<std::size_t>(colors.size(), 256));
    if (format == TPixelFormat::pf1bit || format == TPixelFormat::pf4bit)
        FColorMap.ImportColorTable(colors.data(), colorCount);
    else if (format == TPixelFormat::pf8bit)
        FColorMap.ImportDIBColors(bitmap);
    TDIBReader reader(bitmap, IsPaletted(format) ? format : TPixelFormat::pf24bit);

    // The 8 colours met last, searched from the last hit backwards.
    struct Slot {
        TColor Color = 0;
        int Index = -1;
    };
    Slot cache[8];
    int last = 0;
    for (int row = 0; row < height; ++row) {
        const uint8_t* src = reader.ScanRow(row);
        uint8_t* dst = FData.data() + static_cast<std::size_t>(row) * width;
        switch (reader.PixelFormat()) {
        case TPixelFormat::pf1bit:
            for (int x = 0; x < width; ++x) dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
            break;
        case TPixelFormat::pf4bit:
            for (int x = 0; x < width; ++x) dst[x] = (x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4;
            break;
        case TPixelFormat::pf8bit: std::memcpy(dst, src, static_cast<std::size_t>(width)); break;
        default:
            for (int x = 0; x < width; ++x, src += 3) {
                TColor color = MakeColor(src[2], src[1], src[0]);
                int index = -1;
                int slot = last;
                do {
                    if (cache[slot].Index < 0) break;
                    if (cache[slot].Color == color) {
                        index = cache[slot].Index;
                        last = slot;
                        break;
                    }
                    slot = (slot + 7) % 8;
                } while (slot != last);
                if (index < 0) {
                    index = FColorMap.AddUnique(color);
                    last = (last + 1) % 8;
                    cache[last] = {color, index};
                }
                dst[x] = static_cast<uint8_t>(index);
            }
            break;
        }
        if (row % 32 == 0 && FImage) FImage->Progress(this, psRunning, row * 100 / height, false, GIFText::_sProgressConverting);
    }
}

void TGIFSubImage::ApplyMask(const TBitmap& mask) {
    FColorMap.OptimizeMap();
    if (FColorMap.Count() == 0 || FColorMap.Count() >= 256) return;  // no room for a transparent entry
    int index = FColorMap.Add(clBlack);
    bool changed = false;
    const int width = std::min(GetWidth(), mask.Width()), height = std::min(GetHeight(), mask.Height());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (MaskPixelSet(mask, x, y)) {
                FData[static_cast<std::size_t>(y) * GetWidth() + x] = static_cast<uint8_t>(index);
                changed = true;
            }
    if (!changed) {
        FColorMap.Delete(index);
        return;
    }
    auto extension = std::make_unique<TGIFGraphicControlExtension>(*this);
    extension->SetTransparentColorIndex(index);
    extension->SetTransparent(true);
    FExtensions.Add(std::move(extension));
}

TPaletteHandle TGIFSubImage::GetPalette() {
    if (FBitmap && !FBitmap->Colors().empty()) return PaletteOfColors(FBitmap->Colors());
    if (FPalette) return FPalette;
    if (FImage && FImage->DoDither()) {
        FPalette = WebPalette();
        return FPalette;
    }
    if (FColorMap.Count() == 0) return FImage ? FImage->GetPalette() : nullptr;
    FPalette = FColorMap.ExportPalette();
    return FPalette;
}

const TBitmap* TGIFSubImage::GetBitmap() {
    if (FBitmap) return FBitmap.get();
    if (GetEmpty()) return nullptr;
    try {
        TProgressScope progress(FImage, this, GIFText::_sProgressRendering);
        FBitmap = FImage && FImage->DoDither() ? DoGetDitherBitmap() : DoGetBitmap();
        progress.Done();
    } catch (const EAbort&) {
        FBitmap.reset();
        return nullptr;
    }
    if (FImage && FImage->GetPaletteModified()) FImage->Changed();
    return FBitmap.get();
}

void TGIFSubImage::AssignTo(TBitmap& target) {
    const TBitmap* bitmap = GetBitmap();
    target = bitmap ? *bitmap : TBitmap();
}

void TGIFSubImage::SetBitmap(const TBitmap* bitmap) {
    FreeBitmap();
    if (bitmap) Assign(*bitmap);
}

bool TGIFSubImage::HasMask() {
    if (FNeedMask && FTransparent) {
        FreeBitmap();
        GetBitmap();
    }
    return FMask != nullptr;
}

void TGIFSubImage::BuildMask() {
    int transparent = TransparentIndex();
    if (FNeedMask && transparent >= 0 && !FMask) {
        auto mask = std::make_unique<TBitmap>(GetWidth(), GetHeight(), TPixelFormat::pf1bit);
        bool any = false;
        for (int y = 0; y < GetHeight(); ++y) {
            const uint8_t* row = FData.data() + static_cast<std::size_t>(y) * GetWidth();
            uint8_t* bits = mask->ScanLine(y);
            for (int x = 0; x < GetWidth(); ++x)
                if (row[x] == transparent) {
                    bits[x >> 3] = static_cast<uint8_t>(bits[x >> 3] | (0x80 >> (x & 7)));
                    any = true;
                }
        }
        if (any) FMask = std::move(mask);
        FNeedMask = false;
    }
}

std::unique_ptr<TBitmap> TGIFSubImage::DoGetBitmap() {
    auto result = std::make_unique<TBitmap>();
    const int width = GetWidth(), height = GetHeight();
    if (static_cast<int64_t>(width) * height > 500000) result->SetPixelFormat(TPixelFormat::pf1bit);
    TPaletteHandle palette = GetPalette();
    TDIBWriter writer(*result, palette.get(), height, width, TPixelFormat::pf8bit);
    for (int row = 0; row < height; ++row) {
        std::memcpy(writer.ScanRow(row), FData.data() + static_cast<std::size_t>(row) * width, static_cast<std::size_t>(width));
        if (row % 32 == 0 && FImage) FImage->Progress(this, psRunning, row * 100 / height, false, GIFText::_sProgressRendering);
    }
    writer.Finish();
    BuildMask();
    return result;
}

std::unique_ptr<TBitmap> TGIFSubImage::DoGetDitherBitmap() {
    auto result = std::make_unique<TBitmap>();
    const int width = GetWidth(), height = GetHeight();
    if (static_cast<int64_t>(width) * height > 500000) result->SetPixelFormat(TPixelFormat::pf1bit);
    TPaletteHandle palette = GetPalette();
    TNetscapeColorLookup lookup(palette.get());
    TFloydSteinbergDitherer engine(width, lookup);
    TGIFColorMap& colors = GetActiveColorMap();
    const int transparent = TransparentIndex();
    uint8_t fill = 0;
    if (transparent >= 0 && transparent < colors.Count()) {
        // Transparent pixels keep the web entry of the transparent colour.
        const TGIFColor& c = colors[transparent];
        uint8_t r, g, b;
        fill = static_cast<uint8_t>(lookup.MapColour(c.Red, c.Green, c.Blue, r, g, b));
    }
    TDIBWriter writer(*result, palette.get(), height, width, TPixelFormat::pf8bit);
    for (int row = 0; row < height; ++row) {
        const uint8_t* src = FData.data() + static_cast<std::size_t>(row) * width;
        uint8_t* dst = writer.ScanRow(row);
        if (transparent >= 0) std::memset(dst, fill, static_cast<std::size_t>(width));
        uint8_t r, g, b;
        for (int x = engine.Column(); x >= 0 && x < width; x = engine.Column()) {
            int p = src[x];
            if (p == transparent) {
                engine.StepColumn();
                continue;
            }
            TGIFColor c = p < colors.Count() ? colors[p] : TGIFColor{};
            dst[x] = static_cast<uint8_t>(engine.DitherPixel(c.Red, c.Green, c.Blue, r, g, b));
        }
        engine.EndRow();
        if (row % 32 == 0 && FImage) FImage->Progress(this, psRunning, row * 100 / height, false, GIFText::_sProgressRendering);
    }
    writer.Finish();
    BuildMask();
    return result;
}

void TGIFSubImage::Crop() {
    const int transparent = TransparentIndex();
    if (transparent < 0 || GetEmpty()) return;
    const int width = GetWidth(), height = GetHeight();
    auto at = [&](int x, int y) { return FData[static_cast<std::size_t>(y) * width + x]; };
    auto columnClear = [&](int x) {
        for (int y = 0; y < height; ++y)
            if (at(x, y) != transparent) return false;
        return true;
    };
    int left = 0, right = width;
    while (left < width && columnClear(left)) ++left;
    if (left == width) {
        Clear();
        return;
    }
    while (right > left && columnClear(right - 1)) --right;
    auto rowClear = [&](int y) {
        for (int x = left; x < right; ++x)
            if (at(x, y) != transparent) return false;
        return true;
    };
    int top = 0, bottom = height;
    while (top < height && rowClear(top)) ++top;
    while (bottom > top && rowClear(bottom - 1)) --bottom;
    if (left == 0 && top == 0 && right == width && bottom == height) return;
    std::vector<uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(right - left) * (bottom - top));
    for (int y = top; y < bottom; ++y)
        pixels.insert(pixels.end(), FData.begin() + static_cast<std::ptrdiff_t>(y) * width + left,
                      FData.begin() + static_cast<std::ptrdiff_t>(y) * width + right);
    FData = std::move(pixels);
    FImageDescriptor.Left = static_cast<uint16_t>(FImageDescriptor.Left + left);
    FImageDescriptor.Top = static_cast<uint16_t>(FImageDescriptor.Top + top);
    FImageDescriptor.Width = static_cast<uint16_t>(right - left);
    FImageDescriptor.Height = static_cast<uint16_t>(bottom - top);
    FreeBitmap();
    FreeMask();
}

void TGIFSubImage::Merge(TGIFSubImage* previous) {
    if (!previous || previous == this || GetEmpty() || previous->GetEmpty()) return;
    if (TGIFGraphicControlExtension* gce = previous->GraphicControlExtension())
        if (gce->GetDisposal() == dmBackground || gce->GetDisposal() == dmPrevious) return;
    const TGIFRect mine = GetBoundsRect(), theirs = previous->GetBoundsRect();
    const TGIFRect inter{std::max(mine.Left, theirs.Left), std::max(mine.Top, theirs.Top),
                         std::min(mine.Right, theirs.Right), std::min(mine.Bottom, theirs.Bottom)};
    if (inter.Left >= inter.Right || inter.Top >= inter.Bottom) return;

    int transparent = TransparentIndex();
    const bool hasGlobal = FImage && FImage->ColorMap().Count() > 0;
    if (transparent < 0 && (GetActiveColorMap().Count() >= 256 || (FColorMap.Count() == 0 && !hasGlobal))) return;

    // A new transparent index: borrowed from another frame on the global table whose index
    // this frame's pixels do not use, else a black entry appended to the table in use.
    auto makeIndex = [&]() -> int {
        if (FColorMap.Count() == 0) {
            for (int i = 0; FImage && i < FImage->Images().GetCount(); ++i) {
                TGIFSubImage* other = FImage->Images().GetImage(i);
                int index = other->TransparentIndex();
                if (other != this && index >= 0 && other->ColorMap().Count() == 0 && !UsesIndex(index)) return index;
            }
            return FImage->ColorMap().Add(clBlack);
        }
        return FColorMap.Add(clBlack);
    };

    const int previousTransparent = previous->TransparentIndex();
    bool made = false;
    for (int y = inter.Top; y < inter.Bottom; ++y) {
        for (int x = inter.Left; x < inter.Right; ++x) {
            uint8_t& p = FData[static_cast<std::size_t>(y - mine.Top) * GetWidth() + (x - mine.Left)];
            uint8_t q = previous->FData[static_cast<std::size_t>(y - theirs.Top) * previous->GetWidth() + (x - theirs.Left)];
            if (p == transparent || q == previousTransparent) continue;
            TGIFColorMap& myMap = GetActiveColorMap();
            TGIFColorMap& theirMap = previous->GetActiveColorMap();
            bool equal = (&myMap == &theirMap && p == q) ||
                         (p < myMap.Count() && q < theirMap.Count() && myMap[p] == theirMap[q]);
            if (!equal) continue;
            if (transparent < 0) {
                transparent = makeIndex();
                made = true;
            }
            p = static_cast<uint8_t>(transparent);
        }
    }
    if (made) {
        TGIFGraphicControlExtension* gce = FGraphicControlExtension;
        if (!gce) {
            auto extension = std::make_unique<TGIFGraphicControlExtension>(*this);
            gce = extension.get();
            FExtensions.Add(std::move(extension));
        }
        gce->SetTransparentColorIndex(transparent);
        gce->SetTransparent(true);
    }
    FreeBitmap();
    FreeMask();
}
