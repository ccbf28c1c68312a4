#include "formats/CursorRewrite.h"

#include <algorithm>
#include <cstring>

#include "base/Bitmap.h"
#include "base/ByteIO.h"
#include "base/Color.h"

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

// One decoded image as a bitmap resource of our own, at the depth it was stored in: palette
// rows for a palette image, 32-bit rows carrying the alpha where the image has one, 24-bit
// rows otherwise; then the AND mask (1 = transparent or inverted). Only these bytes reach the
// system's loader, never the file's own image bytes.
std::vector<uint8_t> OwnBitmapResource(const TBitmap& colour, const TBitmap& mask) {
    const int w = colour.Width(), h = colour.Height();
    const bool alpha = mask.PixelFormat() == TPixelFormat::pf8bit;
    const bool paletted = IsPaletted(colour.PixelFormat());
    const int bits = paletted ? BitsOf(colour.PixelFormat()) : alpha ? 32 : 24;
    const std::vector<TRGBQuad> palette = paletted ? colour.Colors() : std::vector<TRGBQuad>{};
    const std::size_t row = (static_cast<std::size_t>(w) * bits + 31) / 32 * 4;
    const std::size_t maskRow = (static_cast<std::size_t>(w) + 31) / 32 * 4;
    const std::size_t rows = static_cast<std::size_t>(h);
    const std::size_t colourAt = 40 + 4 * palette.size(), maskAt = colourAt + row * rows;
    std::vector<uint8_t> out(maskAt + maskRow * rows, 0);
    PutLE32(out.data(), 40);
    PutLE32(out.data() + 4, static_cast<uint32_t>(w));
    PutLE32(out.data() + 8, static_cast<uint32_t>(2 * h));
    PutLE16(out.data() + 12, 1);
    PutLE16(out.data() + 14, static_cast<uint32_t>(bits));
    PutLE32(out.data() + 20, static_cast<uint32_t>((row + maskRow) * rows));
    PutLE32(out.data() + 32, static_cast<uint32_t>(palette.size()));
    for (std::size_t k = 0; k < palette.size(); ++k) {
        out[40 + 4 * k] = palette[k].Blue;
        out[40 + 4 * k + 1] = palette[k].Green;
        out[40 + 4 * k + 2] = palette[k].Red;
    }
    for (int j = 0; j < h; ++j) {
        const int y = h - 1 - j;  // bottom row first
        uint8_t* p = out.data() + colourAt + static_cast<std::size_t>(j) * row;
        uint8_t* m = out.data() + maskAt + static_cast<std::size_t>(j) * maskRow;
        for (int x = 0; x < w; ++x) {
            if (paletted) {
                const unsigned index = static_cast<unsigned>(colour.PixelIndex(x, y));
                const int per = 8 / bits;  // pixels per byte
                const int shift = 8 - bits * (x % per + 1);
                p[x / per] |= static_cast<uint8_t>(index << shift);
            } else {
                const TColor c = colour.Pixel(x, y);
                uint8_t* px = p + static_cast<std::size_t>(x) * static_cast<std::size_t>(bits / 8);
                px[0] = BlueOf(c);
                px[1] = GreenOf(c);
                px[2] = RedOf(c);
                if (alpha) px[3] = static_cast<uint8_t>(mask.PixelIndex(x, y));
            }
            if (alpha ? mask.PixelIndex(x, y) == 0 : mask.PixelIndex(x, y) != 0)
                m[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    return out;
}

std::vector<uint8_t> RewrittenIcons(const uint8_t* data, std::size_t size) {
    TIconFile icons;
    if (icons.LoadIconFromMemory(data, size) != IconLoadResult::Loaded || icons.GetEmpty()) return {};
    // A PNG image would be decoded by the system's own codec: such a file is not ours to write.
    for (int i = 0; i < icons.GetCount(); ++i)
        if (icons.Item(i).IsPng()) return {};
    const bool cursor = icons.IconDir().idType == 2;
    for (int i = 0; i < icons.GetCount(); ++i) {
        TBitmap colour, mask;
        if (!icons.DecodeImage(i, colour, mask, false)) return {};
        CICONDAT& image = icons.Item(i);
        image.Data = OwnBitmapResource(colour, mask);
        image.AsRead = true;  // written as it stands now
        ICONDIRENTRY& e = image.Entry;
        e.bWidth = static_cast<uint8_t>(colour.Width() >= 256 ? 0 : colour.Width());
        e.bHeight = static_cast<uint8_t>(colour.Height() >= 256 ? 0 : colour.Height());
        const uint16_t bits = GetLE16(image.Data.data() + 14);
        e.bColorCount = static_cast<uint8_t>(bits < 8 ? 1u << bits : 0u);
        e.bReserved = 0;
        if (cursor) {
            // The hotspot stays, kept inside the image.
            e.wPlanes = static_cast<uint16_t>(std::min<int>(e.wPlanes, colour.Width() - 1));
            e.wBitCount = static_cast<uint16_t>(std::min<int>(e.wBitCount, colour.Height() - 1));
        } else {
            e.wPlanes = 1;
            e.wBitCount = bits;
        }
    }
    TMemoryStream out;
    if (icons.SaveIconToStream(cursor, &out) != IconSaveResult::Saved) return {};
    return out.Bytes();
}

} // namespace

std::vector<uint8_t> RewrittenCursorFile(const uint8_t* data, std::size_t size) {
    if (!data || size < 4 || size > kCursorFileMaxBytes) return {};
    if (std::memcmp(data, "RIFF", 4) == 0) return RewrittenAni(data, size);
    return RewrittenIcons(data, size);
}
