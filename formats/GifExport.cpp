#include "GifExport.h"

#include <algorithm>

#include "base/Bitmap.h"
#include "base/ByteIO.h"
#include "base/Exception.h"
#include "base/Stream.h"
#include "formats/ImageWriters.h"
#include "formats/PngExport.h"
#include "gif/GIFImage.h"

namespace {

constexpr std::size_t kHeaderBytes = 13;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kRestoreToBackground = 2 << 2;

void AppendControlExtension(ByteWriter& w, int delay, int transparentIndex) {
    w.U8(0x21);
    w.U8(0xF9);
    w.U8(4);
    w.U8(kRestoreToBackground | (transparentIndex >= 0 ? 1 : 0));
    w.U16(static_cast<uint32_t>(delay));
    w.U8(static_cast<uint32_t>(std::max(transparentIndex, 0)));
    w.U8(0);
}

} // namespace

int GifDelayOfJiffies(int jiffies) {
    const int rate = std::clamp(jiffies, kMinRate, kMaxRate);
    return rate < 61 ? rate * 167 / 100 : 100;  // one second at most
}

GifFrameParts EncodeGifFrame(const CCURSOR& image, AniSaveMode mode) {
    const SavedPicture picture = SavedPictureOf(image, mode);
    TGIFImage gif;
    gif.Assign(picture.Bitmap);
    TMemoryStream encoded;
    gif.SaveToStream(encoded);
    const std::vector<uint8_t>& b = encoded.Bytes();
    // Header without a global colour table, the image descriptor right behind it, and
    // the trailer as the last byte.
    if (b.size() < kHeaderBytes + 11 || (b[10] & 0x80) != 0 || b[kHeaderBytes] != kImageSeparator || b.back() != kTrailer)
        throw EInvalidGraphic("GIF output is not one image behind a plain header");
    GifFrameParts parts;
    parts.Header.assign(b.begin(), b.begin() + kHeaderBytes);
    parts.Image.assign(b.begin() + kHeaderBytes, b.end() - 1);
    if (picture.TransparentIndex >= 0) {
        TGIFSubImage* frame = gif.Images().GetImage(0);
        parts.TransparentIndex = frame->GetPixel(std::clamp<int>(image.TransX, 0, kImageSize - 1),
                                                 std::clamp<int>(image.TransY, 0, kImageSize - 1));
    }
    return parts;
}

std::vector<uint8_t> BuildGifImage(const CCURSOR& image, AniSaveMode mode) {
    const GifFrameParts parts = EncodeGifFrame(image, mode);
    ByteWriter w;
    w.Bytes(parts.Header.data(), parts.Header.size());
    w.Data[3] = '8';  // the control extension needs version 89a
    w.Data[4] = '9';
    w.Data[5] = 'a';
    AppendControlExtension(w, 0, parts.TransparentIndex);
    w.Bytes(parts.Image.data(), parts.Image.size());
    w.U8(kTrailer);
    return std::move(w.Data);
}

std::vector<uint8_t> BuildAnimatedGif(const std::vector<const CCURSOR*>& images, AniSaveMode mode, int defaultSpeed) {
    ByteWriter w;
    w.Text("GIF89a");
    w.U16(kImageSize);
    w.U16(kImageSize);
    w.U8(0x44);  // no global colour table
    w.U8(0);
    w.U8(0);
    w.U8(0x21);
    w.U8(0xFF);
    w.U8(11);
    w.Text("NETSCAPE2.0");
    w.U8(3);
    w.U8(1);
    w.U16(kGifLoopCount);
    w.U8(0);
    const int delay = GifDelayOfJiffies(defaultSpeed);
    for (const CCURSOR* image : images) {
        const GifFrameParts parts = EncodeGifFrame(*image, mode);
        AppendControlExtension(w, delay, parts.TransparentIndex);
        w.Bytes(parts.Image.data(), parts.Image.size());
    }
    w.U8(kTrailer);
    return std::move(w.Data);
}

bool WriteGifFile(const CCURSOR& image, AniSaveMode mode, const std::string& path) {
    return WriteFileBytes(path, BuildGifImage(image, mode));
}

WriteResult WriteAnimatedGif(const std::vector<const CCURSOR*>& images, AniSaveMode mode, int defaultSpeed,
                             const std::string& path) {
    return WrittenIf(WriteFileBytes(path, BuildAnimatedGif(images, mode, defaultSpeed)));
}
