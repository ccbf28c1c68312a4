#include "gif/GIFImage.h"

#include <algorithm>
#include <exception>

#include "base/ScopeGuard.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFProgress.h"
#include "gif/GIFUtil.h"

TGIFImage::TGIFImage()
    : FImages(std::make_unique<TGIFImageList>(this)), FHeader(std::make_unique<TGIFHeader>(this)) {}

TGIFImage::~TGIFImage() {
    // Frames reach the header's table while they go.
    FImages->Clear();
}

void TGIFImage::Clear() {
    PaintStop();
    FreeBitmap();
    FImages->Clear();
    FHeader->ColorMap().Clear();
    FHeader->SetWidth(0);
    FHeader->SetHeight(0);
    FHeader->Prepare();
    FReservedPixels = 0;
    SetPalette(nullptr);
}

TGIFVersion TGIFImage::GetVersion() const {
    TGIFVersion version = gvUnknown;
    for (int i = 0; i < FImages->GetCount() && version != gv89a; ++i)
        version = std::max(version, FImages->GetImage(i)->GetVersion());
    return version;
}

int TGIFImage::GetColorResolution() const {
    int result = FHeader->GetColorResolution();
    for (int i = 0; i < FImages->GetCount(); ++i) result = std::max(result, FImages->GetImage(i)->GetColorResolution());
    return result;
}

int TGIFImage::GetBitsPerPixel() const {
    int result = FHeader->GetBitsPerPixel();
    for (int i = 0; i < FImages->GetCount(); ++i) result = std::max(result, FImages->GetImage(i)->GetBitsPerPixel());
    return result;
}

void TGIFImage::Warning(const void* sender, TGIFSeverity severity, const std::string& message) {
    if (OnWarning) OnWarning(sender, severity, message);
}

void TGIFImage::Progress(const void* sender, TProgressStage stage, int percent, bool redraw, const std::string& message) {
    if (OnProgress) OnProgress(sender, stage, percent, redraw, message);
}

void TGIFImage::Changed() {
    if (OnChange) OnChange();
}

void TGIFImage::ReserveFramePixels(int64_t count) {
    if (count > FLimits.MaxFramePixels || count > FLimits.MaxTotalPixels - FReservedPixels)
        RaiseGIFError(GIFText::_sLimitExceeded);
    FReservedPixels += count;
}

void TGIFImage::SaveToStream(TStream& stream) {
    TProgressScope progress(this, this, GIFText::_sSaving, true);
    FHeader->SaveToStream(stream);
    FImages->SaveToStream(stream);
    TGIFTrailer(this).SaveToStream(stream);
    progress.Done();
}

void TGIFImage::LoadFromStream(TStream& stream) {
    TProgressScope progress(this, this, GIFText::_sLoading, true);
    Clear();
    const int64_t start = stream.Position();
    {
        TScopeFail rewind([&] { stream.SetPosition(start); });
        FHeader->LoadFromStream(stream);
        FImages->LoadFromStream(stream, *this);
        TGIFTrailer(this).LoadFromStream(stream);
    }
    progress.Done();
}
