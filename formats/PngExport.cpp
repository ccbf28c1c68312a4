#include "PngExport.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "base/Bitmap.h"
#include "base/Exception.h"
#include "base/Stream.h"
#include "formats/ImageWriters.h"
#include "png/PngPicture.h"

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint8_t kMngSignature[8] = {0x8A, 'M', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kTicksPerSecond = 100;
constexpr uint32_t kFrameTicks = 30;

uint32_t GetBE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void AppendBE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// One chunk: length, type, data, CRC-32 over type and data.
void AppendChunk(std::vector<uint8_t>& out, const char type[5], const std::vector<uint8_t>& data) {
    AppendBE32(out, static_cast<uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    AppendBE32(out, static_cast<uint32_t>(crc));
}

std::vector<uint8_t> MhdrData() {
    std::vector<uint8_t> d;
    // Frame size, ticks per second, then nominal layer count, frame count, play time and
    // simplicity profile, all "unspecified".
    for (uint32_t v : {uint32_t{kImageSize}, uint32_t{kImageSize}, kTicksPerSecond, 0u, 0u, 0u, 0u}) AppendBE32(d, v);
    return d;
}

// Framing mode 3 (each image is a frame of its own, drawn on the background, so that its
// transparent pixels never show the frame before), no name, change the interframe delay
// for all following frames (2), no timeout, clipping or sync-id change, delay in ticks.
std::vector<uint8_t> FramData() {
    std::vector<uint8_t> d = {3, 0, 2, 0, 0, 0};
    AppendBE32(d, kFrameTicks);
    return d;
}

} // namespace

TBitmap SavedBitmap(const CCURSOR& image, AniSaveMode mode) {
    const std::vector<uint8_t> bmp = BuildBmpFile(image, mode);
    TBitmap b;
    b.LoadFromMemory(bmp.data(), bmp.size());
    return b;
}

int GiveTransparentPixelsAnEntry(TBitmap& bitmap, const std::vector<bool>& transparent) {
    std::vector<bool> used(256, false);
    int shared = -1;
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) {
            const int index = bitmap.PixelIndex(x, y);
            if (!transparent[static_cast<std::size_t>(y * kImageSize + x)]) used[static_cast<std::size_t>(index)] = true;
            else if (shared < 0) shared = index;
        }
    if (shared < 0) return -1;
    std::vector<TRGBQuad>& colours = bitmap.Colors();
    const TRGBQuad shown = static_cast<std::size_t>(shared) < colours.size() ? colours[static_cast<std::size_t>(shared)] : TRGBQuad{};
    int entry = used[static_cast<std::size_t>(shared)] ? -1 : shared;
    for (int i = 0; entry < 0 && i < static_cast<int>(colours.size()); ++i)
        if (!used[static_cast<std::size_t>(i)]) entry = i;
    if (entry < 0) {
        // Every entry is taken by an opaque pixel: one more entry, in the next format that holds it.
        entry = static_cast<int>(colours.size());
        if (entry >= 256) return -1;
        TBitmap wider(kImageSize, kImageSize, entry < 16 ? TPixelFormat::pf4bit : TPixelFormat::pf8bit);
        wider.Colors() = colours;
        for (int y = 0; y < kImageSize; ++y)
            for (int x = 0; x < kImageSize; ++x) wider.SetPixelIndex(x, y, bitmap.PixelIndex(x, y));
        bitmap = std::move(wider);
        bitmap.Colors().push_back(shown);
    } else {
        bitmap.Colors()[static_cast<std::size_t>(entry)] = shown;
    }
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x)
            if (transparent[static_cast<std::size_t>(y * kImageSize + x)]) bitmap.SetPixelIndex(x, y, entry);
    return entry;
}

SavedPicture SavedPictureOf(const CCURSOR& image, AniSaveMode mode) {
    SavedPicture picture{SavedBitmap(image, mode), -1};
    if (!image.Transparent || !IsPaletted(picture.Bitmap.PixelFormat())) return picture;
    const uint8_t key = image.Pixels.At(std::clamp<int>(image.TransX, 0, kImageSize - 1),
                                        std::clamp<int>(image.TransY, 0, kImageSize - 1));
    std::vector<bool> transparent(kIndexBytes);
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) transparent[static_cast<std::size_t>(y * kImageSize + x)] = image.Pixels.At(x, y) == key;
    picture.TransparentIndex = GiveTransparentPixelsAnEntry(picture.Bitmap, transparent);
    return picture;
}

std::vector<uint8_t> StripPngStamps(const std::vector<uint8_t>& png) {
    if (png.size() < sizeof kPngSignature || std::memcmp(png.data(), kPngSignature, sizeof kPngSignature) != 0)
        throw EInvalidGraphic("PNG output without its signature");
    std::vector<uint8_t> out(png.begin(), png.begin() + sizeof kPngSignature);
    std::size_t pos = sizeof kPngSignature;
    while (pos < png.size()) {
        if (png.size() - pos < 12) throw EInvalidGraphic("PNG output ends inside a chunk");
        const uint32_t length = GetBE32(png.data() + pos);
        if (length > png.size() - pos - 12) throw EInvalidGraphic("PNG output ends inside a chunk");
        const std::size_t total = 12 + static_cast<std::size_t>(length);
        const std::string type(reinterpret_cast<const char*>(png.data() + pos + 4), 4);
        if (type != "tIME" && type != "tEXt" && type != "tpNG") out.insert(out.end(), png.begin() + pos, png.begin() + pos + total);
        pos += total;
    }
    return out;
}

std::vector<uint8_t> BuildPngImage(const CCURSOR& image, AniSaveMode mode) {
    const SavedPicture picture = SavedPictureOf(image, mode);
    TRUDEDI codec;
    codec.Assign(picture.Bitmap);
    codec.FPaletteBitDepth = picture.Bitmap.Colors().size() <= 4 ? 2 : 0;
    codec.SetTransColor(picture.TransparentIndex < 0 ? -1 : static_cast<TColor>(0x01000000 | picture.TransparentIndex));
    TMemoryStream encoded;
    codec.SaveToStream(encoded);
    return StripPngStamps(encoded.Bytes());
}

std::vector<uint8_t> BuildMngFile(const std::vector<const CCURSOR*>& images, AniSaveMode mode) {
    std::vector<uint8_t> out(kMngSignature, kMngSignature + sizeof kMngSignature);
    AppendChunk(out, "MHDR", MhdrData());
    const std::vector<uint8_t> fram = FramData();
    for (const CCURSOR* image : images) {
        AppendChunk(out, "FRAM", fram);
        const std::vector<uint8_t> png = BuildPngImage(*image, mode);
        out.insert(out.end(), png.begin() + sizeof kPngSignature, png.end());
    }
    AppendChunk(out, "MEND", {});
    return out;
}

bool WritePngFile(const CCURSOR& image, AniSaveMode mode, const std::string& path) {
    return WriteFileBytes(path, BuildPngImage(image, mode));
}

WriteResult WriteMngFile(const std::vector<const CCURSOR*>& images, AniSaveMode mode, const std::string& path) {
    return WrittenIf(WriteFileBytes(path, BuildMngFile(images, mode)));
}
