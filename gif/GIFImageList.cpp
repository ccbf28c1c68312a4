#include "gif/GIFImageList.h"

#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFUtil.h"

TGIFSubImage* TGIFImageList::GetImage(int index) const { return static_cast<TGIFSubImage*>(GetItem(index)); }

std::unique_ptr<TGIFItem> TGIFImageList::SetImage(int index, std::unique_ptr<TGIFSubImage> image) {
    return SetItem(index, std::move(image));
}

namespace {
// The first byte that is not 0x00, or -1 at the end of the stream.
int SkipZeros(TStream& stream) {
    int b;
    do b = GetByte(stream);
    while (b == 0);
    return b;
}

// Percent done of a stream, computed in 64 bits.
int StreamPercent(TStream& stream) {
    int64_t size = stream.Size();
    return size > 0 ? static_cast<int>(stream.Position() * 100 / size) : 100;
}
}  // namespace

void TGIFImageList::LoadFromStream(TStream& stream, TGIFImage& parent) {
    int b = SkipZeros(stream);
    if (b < 0) return;
    while (b != 0x3B) {
        stream.Seek(-1, TSeekOrigin::soCurrent);
        if (b != 0x21 && b != 0x2C) {
            Warning(gsWarning, GIFText::_sUnknownBlock);
            return;
        }
        if (GetCount() >= parent.Limits().MaxFrames) RaiseGIFError(GIFText::_sLimitExceeded);
        auto frame = std::make_unique<TGIFSubImage>(&parent);
        frame->LoadFromStream(stream);
        Add(std::move(frame));
        parent.Progress(this, psRunning, StreamPercent(stream), false, GIFText::_sLoading);
        b = SkipZeros(stream);
        if (b < 0) return;
    }
    stream.Seek(-1, TSeekOrigin::soCurrent);
}

void TGIFImageList::SaveToStream(TStream& stream) {
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        GetImage(i)->SaveToStream(stream);
        if (FImage)
            FImage->Progress(this, psRunning, static_cast<int>((static_cast<int64_t>(i) + 1) * 100 / count), false,
                             GIFText::_sSaving);
    }
}
