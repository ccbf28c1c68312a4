// The GIF image as a picture: frames from bitmaps, copies, the rendered first frame, its
// palette, and the optimiser.
#include <algorithm>

#include "base/ScopeGuard.h"
#include "gif/GIFColorMapOptimizer.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFProgress.h"
#include "gif/GIFUtil.h"

namespace {
bool Intersect(const TGIFRect& a, const TGIFRect& b, TGIFRect& out) {
    out = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    return out.Left < out.Right && out.Top < out.Bottom;
}
}  // namespace

int TGIFImage::Add(const TBitmap& bitmap, const TBitmap* mask) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(bitmap, mask);
    int index = FImages->Add(std::move(frame));
    FreeBitmap();
    Changed();
    return index;
}

int TGIFImage::Add(const TGIFSubImage& source) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(source);
    int index = FImages->Add(std::move(frame));
    FreeBitmap();
    Changed();
    return index;
}

int TGIFImage::Add(std::unique_ptr<TGIFSubImage> frame) {
    if (!frame) RaiseGIFError(GIFText::_sUnsupportedClass);
    if (frame->Image() != this || FImages->IndexOf(frame.get()) >= 0) return Add(static_cast<const TGIFSubImage&>(*frame));
    int index = FImages->Add(std::move(frame));
    FreeBitmap();
    Changed();
    return index;
}

void TGIFImage::Assign(const TBitmap& bitmap, const TBitmap* mask) {
    Clear();
    Add(bitmap, mask);
}

void TGIFImage::Assign(const TGIFImage& source) {
    if (&source == this) return;
    Clear();
    OnProgress = source.OnProgress;
    OnWarning = source.OnWarning;
    TScopeExit detach([this] {  // the source's handlers serve only while copying
        OnProgress = nullptr;
        OnWarning = nullptr;
    });
    TProgressScope progress(this, this, GIFText::_sProgressCopying);
    FHeader->Assign(*source.FHeader);
    FThreadPriority = source.FThreadPriority;
    FFillColor = source.FFillColor;
    FDrawOptions = source.FDrawOptions;
    FColorReduction = source.FColorReduction;
    FDitherMode = source.FDitherMode;
    const int count = source.FImages->GetCount();
    for (int i = 0; i < count; ++i) {
        Add(*source.FImages->GetImage(i));
        progress.Report(psRunning, static_cast<int>((static_cast<int64_t>(i) + 1) * 100 / count));
    }
    progress.Done();
}

void TGIFImage::AssignTo(TBitmap& dest) {
    const TBitmap* bitmap = GetBitmap();
    dest = bitmap ? *bitmap : TBitmap();
}

bool TGIFImage::IsTransparent() const {
    for (int i = 0; i < FImages->GetCount(); ++i) {
        TGIFGraphicControlExtension* gce = FImages->GetImage(i)->GraphicControlExtension();
        if (gce && gce->GetTransparent()) return true;
    }
    return false;
}

bool TGIFImage::DoDither() const {
    return HasOption(FDrawOptions, goDither) && (!HasOption(FDrawOptions, goAutoDither) || ::DoAutoDither);
}

void TGIFImage::SetWidth(int value) {
    for (int i = 0; i < FImages->GetCount(); ++i) {
        TGIFSubImage* frame = FImages->GetImage(i);
        if (frame->GetLeft() + frame->GetWidth() > value) RaiseGIFError(GIFText::_sBadWidth);
    }
    if (value == GetWidth()) return;
    FHeader->SetWidth(value);
    FreeBitmap();
    Changed();
}

void TGIFImage::SetHeight(int value) {
    for (int i = 0; i < FImages->GetCount(); ++i) {
        TGIFSubImage* frame = FImages->GetImage(i);
        if (frame->GetTop() + frame->GetHeight() > value) RaiseGIFError(GIFText::_sBadHeight);
    }
    if (value == GetHeight()) return;
    FHeader->SetHeight(value);
    FreeBitmap();
    Changed();
}

void TGIFImage::SetDrawOptions(TGIFDrawOptions value) {
    if (value == FDrawOptions) return;
    if (OnStopDraw) OnStopDraw();
    FDrawOptions = value;
    Pack();
    Changed();
}

void TGIFImage::SetAnimationSpeed(int value) {
    value = std::clamp(value, 0, 1000);
    if (value == FAnimationSpeed) return;
    FAnimationSpeed = value;
    if (OnAnimationSpeed) OnAnimationSpeed(value);
}

void TGIFImage::SetReductionBits(int value) {
    if (value < 3 || value > 8) RaiseGIFError(GIFText::_sInvalidBitSize);
    FReductionBits = value;
}

TBitmap& TGIFImage::NewBitmap() {
    if (!FBitmap) {
        if (static_cast<int64_t>(GetWidth()) * GetHeight() > FLimits.MaxFramePixels) RaiseGIFError(GIFText::_sLimitExceeded);
        FBitmap = std::make_unique<TBitmap>(GetWidth(), GetHeight(), TPixelFormat::pf24bit);
    }
    return *FBitmap;
}

void TGIFImage::FreeBitmap() {
    if (OnStopDraw) OnStopDraw();
    FBitmap.reset();
}

const TBitmap* TGIFImage::GetBitmap() {
    if (GetEmpty()) return nullptr;
    if (FBitmap) return FBitmap.get();
    TGIFSubImage* first = FImages->GetImage(0);
    const TBitmap* rendered = first->GetBitmap();
    if (first->GetWidth() == GetWidth() && first->GetHeight() == GetHeight()) {
        FBitmap = rendered ? std::make_unique<TBitmap>(*rendered) : std::make_unique<TBitmap>();
        return FBitmap.get();
    }
    // The first frame at its place on the logical screen, without transparency.
    TBitmap& screen = NewBitmap();
    if (rendered)
        for (int y = 0; y < rendered->Height() && first->GetTop() + y < screen.Height(); ++y)
            for (int x = 0; x < rendered->Width() && first->GetLeft() + x < screen.Width(); ++x)
                screen.SetPixel(first->GetLeft() + x, first->GetTop() + y, rendered->Pixel(x, y));
    return FBitmap.get();
}

TPaletteHandle TGIFImage::GetPalette() {
    if (FPaletteGuard) RaiseGIFError(GIFText::_sNoColorTable);
    struct TGuard {
        bool& Flag;
        explicit TGuard(bool& flag) : Flag(flag) { Flag = true; }
        ~TGuard() { Flag = false; }
    } guard(FPaletteGuard);
    if (FBitmap && !FBitmap->Colors().empty()) return PaletteOfColors(FBitmap->Colors());
    if (FPalette) return FPalette;
    if (DoDither()) {
        FPalette = WebPalette();
        return FPalette;
    }
    if (FHeader->ColorMap().Count() > 0) {
        FPalette = FHeader->ColorMap().ExportPalette();
        return FPalette;
    }
    if (!GetEmpty()) return FImages->GetImage(0)->GetPalette();
    return nullptr;
}

void TGIFImage::SetPalette(TPaletteHandle palette) {
    if (palette == FPalette) return;
    FPalette = std::move(palette);
    if (FBitmap && !SameColors(*FBitmap, FPalette.get()) && !(FBitmap->Colors().empty() && FPalette)) {
        FreeBitmap();
        FPaletteModified = true;
        Changed();
    }
}

void TGIFImage::Pack() {
    FreeBitmap();
    FPalette = nullptr;
    for (int i = 0; i < FImages->GetCount(); ++i) {
        TGIFSubImage* frame = FImages->GetImage(i);
        frame->FreeBitmap();
        frame->SetPalette(nullptr);
    }
    if (FHeader->ColorMap().Count() == 0 && FImages->GetCount() == 1) {
        TGIFSubImage* frame = FImages->GetImage(0);
        FHeader->ColorMap().Assign(frame->ColorMap());
        frame->ColorMap().Clear();
    }
}

void TGIFImage::WriteData(TStream& stream) {
    if (GIFImageOptimizeOnStream) Optimize(GIFOptimizeAll, rmNone, dmNearest, 8);
    SaveToStream(stream);
}

void TGIFImage::OptimizeColorMap() {
    TColorMapOptimizer optimizer(*this);
    optimizer.MergeColorMaps();
}

void TGIFImage::Optimize(TGIFOptimizeOptions options, TColorReduction colorReduction, TDitherMode, int) {
    if (GetEmpty()) return;
    PaintStop();
    auto has = [&](TGIFOptimizeOption o) { return (options & GIFOptimizeOption(o)) != 0; };
    const int total = 6 * FImages->GetCount();
    int steps = 0;
    auto step = [&]() {
        ++steps;
        Progress(this, psRunning, total > 0 ? static_cast<int>(static_cast<int64_t>(steps) * 100 / total) : 100, false,
                 GIFText::_sProgressOptimizing);
    };
    auto frame = [&](int i) { return FImages->GetImage(i); };
    TProgressScope progress(this, this, GIFText::_sProgressOptimizing);
    if (has(ooColorMap)) {
        if (FHeader->ColorMap().Count() > 0) FHeader->ColorMap().OptimizeMap();
        for (int i = 0; i < FImages->GetCount(); ++i) {
            if (frame(i)->ColorMap().Count() > 0) frame(i)->ColorMap().OptimizeMap();
            step();
        }
    }
    if (has(ooCleanup)) {
        for (int i = 0; i < FImages->GetCount(); ++i) {
            TGIFSubImage* f = frame(i);
            TGIFGraphicControlExtension* gce = f->GraphicControlExtension();
            if (gce && gce->GetTransparent() &&
                std::find(f->Pixels().begin(), f->Pixels().end(), gce->GetTransparentColorIndex()) == f->Pixels().end()) {
                gce->SetTransparent(false);
                step();
            }
        }
        // Disposing a frame is pointless when the next, opaque frame covers it entirely.
        for (int i = 0; i + 1 < FImages->GetCount(); ++i) {
            TGIFGraphicControlExtension* gce = frame(i)->GraphicControlExtension();
            if (!gce || (gce->GetDisposal() != dmBackground && gce->GetDisposal() != dmPrevious)) continue;
            if (frame(i + 1)->Transparent()) continue;
            TGIFRect inter;
            if (!Intersect(frame(i)->GetBoundsRect(), frame(i + 1)->GetBoundsRect(), inter)) continue;
            if (inter == frame(i)->GetBoundsRect()) gce->SetDisposal(dmNone);
            step();
        }
    }
    if (has(ooMerge)) {
        for (int i = FImages->GetCount() - 1; i > 0; --i) {
            int j = i - 1;
            while (j > 0 && frame(j)->GraphicControlExtension() &&
                   frame(j)->GraphicControlExtension()->GetDisposal() == dmPrevious)
                --j;
            frame(i)->Merge(frame(j));
            step();
        }
    }
    if (has(ooCrop)) {
        for (int i = FImages->GetCount() - 1; i >= 0; --i) {
            TGIFSubImage* f = frame(i);
            const int transparent = f->TransparentIndex();
            if (f->GetEmpty() || transparent < 0) continue;
            bool allTransparent = std::all_of(f->Pixels().begin(), f->Pixels().end(),
                                              [&](uint8_t p) { return p == transparent; });
            if (allTransparent) {
                // A frame that shows nothing goes, and the previous frame stays on screen for its
                // time too. The first frame always stays, and so does one whose disposal clears.
                TGIFGraphicControlExtension* gce = f->GraphicControlExtension();
                if (i == 0 || gce->GetDisposal() == dmBackground) continue;
                int delay = gce->GetDelay();
                if (delay > 0) {
                    TGIFSubImage* previous = frame(i - 1);
                    TGIFGraphicControlExtension* target = previous->GraphicControlExtension();
                    if (!target) {
                        auto extension = std::make_unique<TGIFGraphicControlExtension>(*previous);
                        target = extension.get();
                        previous->Extensions().Add(std::move(extension));
                    }
                    target->SetDelay(std::min(0xFFFF, target->GetDelay() + delay));
                }
                FImages->Delete(i);
            } else {
                f->Crop();
            }
            step();
        }
    }
    if (has(ooCleanup)) {
        const bool single = FImages->GetCount() == 1;
        for (int i = FImages->GetCount() - 1; i >= 0; --i) {
            TGIFSubImage* f = frame(i);
            TGIFExtensionList& extensions = f->Extensions();
            for (int j = extensions.GetCount() - 1; j >= 0; --j) {
                TGIFExtension* e = extensions.GetExtension(j);
                uint8_t type = e->GetExtensionType();
                bool drop = type == 0xFE || type == 0x01 || dynamic_cast<TGIFUnknownAppExtension*>(e) != nullptr;
                if (dynamic_cast<TGIFAppExtNSLoop*>(e)) drop = !(i == 0 && !single);
                if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(e)) {
                    drop = (gce->GetDelay() == 0 || single) && !gce->GetTransparent() && !gce->GetUserInput() &&
                           (gce->GetDisposal() == dmNone || gce->GetDisposal() == dmNoDisposal || single);
                }
                if (drop) extensions.Delete(j);
            }
            if (f->GetEmpty() && extensions.GetCount() == 0 && FImages->GetCount() > 1) FImages->Delete(i);
            step();
        }
    }
    if (!has(ooCleanup) && has(ooReduceColors) && colorReduction == rmPalette)
        RaiseGIFError(GIFText::_sInvalidReduction);
    FreeBitmap();
    progress.Done();
}
