#include "formats/CursorRewrite.h"

#include <cstring>

#include "base/Stream.h"
#include "formats/AniFile.h"
#include "formats/IconFile.h"

namespace {

std::vector<uint8_t> RewrittenAni(const uint8_t* data, std::size_t size) {
    AniReadOptions options;
    options.MaxFileBytes = kCursorFileMaxBytes;
    options.SkipOtherFrameChunks = true;
    AniReadResult read = ParseAniFile(data, size, options);
    if (read.Code != AniReadCode::Read || read.Icons.empty()) return {};
    MakeAniImages(read, clWhite, "");
    AniWriteInput in;
    for (const CCURSOR& image : read.Images) in.Images.push_back(&image);
    in.InsertFram = read.PerFrame;
    for (const AniFrame& f : read.Frames) {
        in.FrameImages.push_back(f.Image);
        in.FrameSpeeds.push_back(f.Rate);
    }
    if (!in.InsertFram) {
        in.FrameImages.clear();
        in.FrameSpeeds.clear();
    }
    in.DefaultRate = read.DefaultRate;
    in.SaveMode = AniSaveMode::Colours256;
    return BuildAniFile(in);
}

std::vector<uint8_t> RewrittenIcons(const uint8_t* data, std::size_t size) {
    TIconFile icons;
    if (icons.LoadIconFromMemory(data, size) != IconLoadResult::Loaded || icons.GetEmpty()) return {};
    // A PNG image would be decoded by the system's own codec: such a file is not ours to write.
    for (int i = 0; i < icons.GetCount(); ++i)
        if (icons.Item(i).IsPng()) return {};
    TMemoryStream out;
    if (icons.SaveIconToStream(icons.IconDir().idType == 2, &out) != IconSaveResult::Saved) return {};
    return out.Bytes();
}

} // namespace

std::vector<uint8_t> RewrittenCursorFile(const uint8_t* data, std::size_t size) {
    if (!data || size < 4 || size > kCursorFileMaxBytes) return {};
    if (std::memcmp(data, "RIFF", 4) == 0) return RewrittenAni(data, size);
    return RewrittenIcons(data, size);
}
