#include "Bitmap.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "ByteIO.h"
#include "Exception.h"
#include "Stream.h"

namespace {

constexpr uint32_t BI_RGB_ = 0, BI_RLE8_ = 1, BI_RLE4_ = 2, BI_BITFIELDS_ = 3;

[[noreturn]] void Bad(const char* why) { throw EInvalidGraphic(std::string("Bitmap image is not valid: ") + why); }

// Expands a masked channel to 8 bits.
struct Channel {
    uint32_t Mask = 0;
    int Shift = 0;
    int Bits = 0;
    explicit Channel(uint32_t mask) : Mask(mask) {
        if (!mask) return;
        while (!((mask >> Shift) & 1)) ++Shift;
        while (Bits < 32 - Shift && ((mask >> (Shift + Bits)) & 1)) ++Bits;
    }
    uint8_t Get(uint32_t v) const {
        if (!Bits) return 0;
        uint32_t c = (v & Mask) >> Shift;
        if (Bits >= 8) return static_cast<uint8_t>(c >> (Bits - 8));
        // replicate the high bits into the low ones
        uint32_t out = 0;
        for (int filled = 0; filled < 8; filled += Bits) out = (out << Bits) | c;
        return static_cast<uint8_t>(out >> (((8 + Bits - 1) / Bits) * Bits - 8));
    }
};

std::vector<TRGBQuad> DefaultColors(TPixelFormat pf) {
    switch (pf) {
    case TPixelFormat::pf1bit: return GreyPalette(1);
    case TPixelFormat::pf4bit: return Vga16Palette();
    case TPixelFormat::pf8bit: {
        std::vector<TRGBQuad> pal;  // 3-3-2 colour cube
        for (int i = 0; i < 256; ++i)
            pal.push_back(TRGBQuad{static_cast<uint8_t>((i & 3) * 255 / 3), static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7),
                                   static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7), 0});
        return pal;
    }
    default: return {};
    }
}

} // namespace

int BitsOf(TPixelFormat pf) {
    switch (pf) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf24bit: return 24;
    case TPixelFormat::pf32bit: return 32;
    }
    return 24;
}

bool IsPaletted(TPixelFormat pf) { return BitsOf(pf) <= 8; }

int TBitmap::RowBytesFor(int width, TPixelFormat pf) {
    return static_cast<int>(((static_cast<int64_t>(width) * BitsOf(pf) + 31) / 32) * 4);
}

TBitmap::TBitmap(int width, int height, TPixelFormat pf) : FFormat(pf) {
    if (IsPaletted(pf)) FColors = DefaultColors(pf);
    SetSize(width, height);
}

void TBitmap::SetSize(int width, int height) {
    if (width < 0 || height < 0) width = height = 0;
    FWidth = width;
    FHeight = height;
    FBits.assign(static_cast<std::size_t>(RowBytes()) * static_cast<std::size_t>(height), 0);
}

uint8_t* TBitmap::ScanLine(int y) { return FBits.data() + static_cast<std::size_t>(FHeight - 1 - y) * RowBytes(); }
const uint8_t* TBitmap::ScanLine(int y) const {
    return FBits.data() + static_cast<std::size_t>(FHeight - 1 - y) * RowBytes();
}

int TBitmap::PixelIndex(int x, int y) const {
    const uint8_t* row = ScanLine(y);
    switch (FFormat) {
    case TPixelFormat::pf1bit: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case TPixelFormat::pf4bit: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case TPixelFormat::pf8bit: return row[x];
    default: return 0;
    }
}

void TBitmap::SetPixelIndex(int x, int y, int index) {
    uint8_t* row = ScanLine(y);
    switch (FFormat) {
    case TPixelFormat::pf1bit: {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>((index & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case TPixelFormat::pf4bit:
        if (x & 1)
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (index & 0x0F));
        else
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
        break;
    case TPixelFormat::pf8bit: row[x] = static_cast<uint8_t>(index); break;
    default: break;
    }
}

TColor TBitmap::Pixel(int x, int y) const {
    const uint8_t* row = ScanLine(y);
    switch (FFormat) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: {
        std::size_t i = static_cast<std::size_t>(PixelIndex(x, y));
        return i < FColors.size() ? QuadToColor(FColors[i]) : clBlack;
    }
    case TPixelFormat::pf15bit: {
        unsigned v = GetLE16(row + 2 * x);
        auto c5 = [](unsigned c) { return static_cast<uint8_t>((c << 3) | (c >> 2)); };
        return MakeColor(c5((v >> 10) & 31), c5((v >> 5) & 31), c5(v & 31));
    }
    case TPixelFormat::pf16bit: {
        unsigned v = GetLE16(row + 2 * x);
        auto c5 = [](unsigned c) { return static_cast<uint8_t>((c << 3) | (c >> 2)); };
        auto c6 = [](unsigned c) { return static_cast<uint8_t>((c << 2) | (c >> 4)); };
        return MakeColor(c5((v >> 11) & 31), c6((v >> 5) & 63), c5(v & 31));
    }
    case TPixelFormat::pf24bit: return MakeColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case TPixelFormat::pf32bit: return MakeColor(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    }
    return clBlack;
}

void TBitmap::SetPixel(int x, int y, TColor c) {
    uint8_t* row = ScanLine(y);
    switch (FFormat) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: SetPixelIndex(x, y, NearestPaletteIndex(FColors, c)); break;
    case TPixelFormat::pf15bit:
        PutLE16(row + 2 * x, ((RedOf(c) >> 3) << 10) | ((GreenOf(c) >> 3) << 5) | (BlueOf(c) >> 3));
        break;
    case TPixelFormat::pf16bit:
        PutLE16(row + 2 * x, ((RedOf(c) >> 3) << 11) | ((GreenOf(c) >> 2) << 5) | (BlueOf(c) >> 3));
        break;
    case TPixelFormat::pf24bit:
        row[3 * x] = BlueOf(c);
        row[3 * x + 1] = GreenOf(c);
        row[3 * x + 2] = RedOf(c);
        break;
    case TPixelFormat::pf32bit:
        row[4 * x] = BlueOf(c);
        row[4 * x + 1] = GreenOf(c);
        row[4 * x + 2] = RedOf(c);
        row[4 * x + 3] = 0;
        break;
    }
}

void TBitmap::Fill(TColor c) {
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) SetPixel(x, y, c);
}

void TBitmap::SetPixelFormat(TPixelFormat pf) {
    if (pf == FFormat) return;
    TBitmap out;
    out.FFormat = pf;
    if (IsPaletted(pf)) {
        std::size_t n = std::size_t(1) << BitsOf(pf);
        out.FColors = FColors.empty() || !IsPaletted(FFormat) ? DefaultColors(pf) : FColors;
        if (out.FColors.size() > n) out.FColors.resize(n);
    }
    out.SetSize(FWidth, FHeight);
    std::unordered_map<TColor, int> cache;
    for (int y = 0; y < FHeight; ++y) {
        for (int x = 0; x < FWidth; ++x) {
            TColor c = Pixel(x, y);
            if (IsPaletted(pf)) {
                auto it = cache.find(c);
                if (it == cache.end()) it = cache.emplace(c, NearestPaletteIndex(out.FColors, c)).first;
                out.SetPixelIndex(x, y, it->second);
            } else {
                out.SetPixel(x, y, c);
            }
        }
    }
    *this = std::move(out);
}

std::vector<uint8_t> TBitmap::InfoHeader() const {
    ByteWriter w;
    bool masks = FFormat == TPixelFormat::pf16bit;
    uint32_t colours = IsPaletted(FFormat) ? static_cast<uint32_t>(FColors.size()) : 0;
    w.U32(40);
    w.U32(static_cast<uint32_t>(FWidth));
    w.U32(static_cast<uint32_t>(FHeight));
    w.U16(1);
    w.U16(static_cast<uint32_t>(BitCount()));
    w.U32(masks ? BI_BITFIELDS_ : BI_RGB_);
    w.U32(static_cast<uint32_t>(FBits.size()));
    w.U32(0);
    w.U32(0);
    w.U32(IsPaletted(FFormat) && colours == (1u << BitCount()) ? 0 : colours);
    w.U32(0);
    if (masks) {
        w.U32(0xF800);
        w.U32(0x07E0);
        w.U32(0x001F);
    }
    for (uint32_t i = 0; i < colours; ++i) w.Bytes(&FColors[i], 4);
    return w.Data;
}

void TBitmap::SaveToStream(TStream& s) const {
    std::vector<uint8_t> info = InfoHeader();
    uint8_t file[14] = {'B', 'M'};
    PutLE32(file + 2, static_cast<uint32_t>(14 + info.size() + FBits.size()));
    PutLE32(file + 10, static_cast<uint32_t>(14 + info.size()));
    s.WriteBuffer(file, 14);
    s.WriteBuffer(info.data(), static_cast<int64_t>(info.size()));
    s.WriteBuffer(FBits.data(), static_cast<int64_t>(FBits.size()));
}

void TBitmap::SaveToFile(const std::string& path) const {
    TMemoryStream m;
    SaveToStream(m);
    m.SaveToFile(path);
}

void TBitmap::LoadFromStream(TStream& s, const TBitmapLimits& limits) {
    int64_t size = s.Size() - s.Position();
    if (size < 14) Bad("truncated");
    if (size > limits.MaxBytes + 65536) Bad("exceeds limit");
    std::vector<uint8_t> data(static_cast<std::size_t>(size));
    s.ReadBuffer(data.data(), size);
    LoadFromMemory(data.data(), data.size(), limits);
}

void TBitmap::LoadFromFile(const std::string& path, const TBitmapLimits& limits) {
    TFileStream f(path, TFileMode::fmOpenRead);
    LoadFromStream(f, limits);
}

void TBitmap::LoadFromMemory(const uint8_t* data, std::size_t size, const TBitmapLimits& limits) {
    if (size < 14 + 12) Bad("truncated");
    if (data[0] != 'B' || data[1] != 'M') Bad("bad signature");
    ReadDib(data, size, 14, GetLE32(data + 10), limits);
}

void TBitmap::LoadFromDib(const uint8_t* data, std::size_t size, const TBitmapLimits& limits) {
    ReadDib(data, size, 0, 0, limits);
}

void TBitmap::ReadDib(const uint8_t* data, std::size_t size, std::size_t headerPos, std::size_t bitsPos,
                      const TBitmapLimits& limits) {
    ByteReader r(data, size);
    r.Seek(headerPos);
    uint32_t headerSize = r.U32();
    int64_t width, height;
    unsigned bits;
    uint32_t compression = BI_RGB_, clrUsed = 0;
    uint32_t masks[3] = {0, 0, 0};
    bool core = headerSize == 12;
    if (core) {
        width = r.U16();
        height = static_cast<int16_t>(r.U16());
        r.U16();
        bits = r.U16();
    } else {
        if (headerSize < 40 || headerSize > 1024) Bad("bad header size");
        width = r.I32();
        height = r.I32();
        r.U16();  // planes
        bits = r.U16();
        compression = r.U32();
        r.Skip(12);  // image size, resolution
        clrUsed = r.U32();
        r.U32();
        if (compression == BI_BITFIELDS_) {
            if (headerSize < 52) r.Seek(headerPos + 40);
            masks[0] = r.U32();
            masks[1] = r.U32();
            masks[2] = r.U32();
        }
    }
    if (r.Failed()) Bad("truncated");
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0) Bad("bad dimensions");
    if (width > limits.MaxWidth || height > limits.MaxHeight || width * height > limits.MaxPixels)
        Bad("exceeds limit");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) Bad("unsupported depth");
    bool rle = compression == BI_RLE8_ || compression == BI_RLE4_;
    if (compression == BI_RLE8_ && bits != 8) Bad("bad compression");
    if (compression == BI_RLE4_ && bits != 4) Bad("bad compression");
    if (compression == BI_BITFIELDS_ && bits != 16 && bits != 32) Bad("bad compression");
    if (compression > BI_BITFIELDS_) Bad("unsupported compression");
    if (rle && topDown) Bad("bad compression");

    std::size_t colourPos = headerPos + headerSize + (compression == BI_BITFIELDS_ && headerSize == 40 ? 12 : 0);
    std::size_t entrySize = core ? 3 : 4;
    std::size_t colours = 0;
    if (bits <= 8) {
        colours = clrUsed == 0 ? (std::size_t(1) << bits) : std::min<std::size_t>(clrUsed, std::size_t(1) << bits);
    } else if (!core && clrUsed <= 256) {
        colours = clrUsed;  // optional table of a true-colour bitmap: skipped
    }
    if (colourPos > size || colours * entrySize > size - colourPos) Bad("truncated colour table");

    int64_t srcRow = ((width * bits + 31) / 32) * 4;
    int64_t total = srcRow * height;
    if (total > limits.MaxBytes) Bad("exceeds limit");
    std::size_t afterColours = colourPos + colours * entrySize;
    // The file's own offset to the bits wins when it points at enough data.
    std::size_t pos = afterColours;
    if (bitsPos != 0 && bitsPos >= headerPos + headerSize && bitsPos < size &&
        (rle || static_cast<int64_t>(size - bitsPos) >= total))
        pos = bitsPos;
    if (!rle && static_cast<int64_t>(size - std::min(pos, size)) < total) Bad("truncated pixel data");

    TPixelFormat pf;
    switch (bits) {
    case 1: pf = TPixelFormat::pf1bit; break;
    case 4: pf = TPixelFormat::pf4bit; break;
    case 8: pf = TPixelFormat::pf8bit; break;
    case 16:
        pf = compression == BI_BITFIELDS_ && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F
                 ? TPixelFormat::pf16bit
                 : TPixelFormat::pf15bit;
        if (compression == BI_BITFIELDS_ && pf == TPixelFormat::pf15bit &&
            !(masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F))
            pf = TPixelFormat::pf24bit;  // unusual masks: expanded below
        break;
    case 24: pf = TPixelFormat::pf24bit; break;
    default:
        pf = TPixelFormat::pf32bit;
        break;
    }

    TBitmap out;
    out.FFormat = pf;
    out.FColors.resize(bits <= 8 ? colours : 0);
    for (std::size_t i = 0; i < out.FColors.size(); ++i) {
        const uint8_t* e = data + colourPos + i * entrySize;
        out.FColors[i] = TRGBQuad{e[0], e[1], e[2], 0};
    }
    out.SetSize(static_cast<int>(width), static_cast<int>(height));
    const int h = static_cast<int>(height);
    const int w = static_cast<int>(width);

    if (rle) {
        // Decodes into the bottom-up rows. The column stays within 0..w and the row within
        // 0..h whatever the counts add up to: the pixels of a run or an absolute stretch past
        // the row's end are dropped, a delta past the row's end leaves the rest of the row
        // blank, and one past the last row ends the picture.
        int x = 0, y = 0;  // y counts stored rows from the bottom
        std::size_t p = pos;
        const bool four = compression == BI_RLE4_;
        auto put = [&](int count, auto index) {
            const int n = std::min(count, w - x), top = h - 1 - y;
            for (int i = 0; i < n; ++i) out.SetPixelIndex(x + i, top, index(i));
            x += n;
        };
        while (p + 1 < size && y < h) {
            const uint8_t count = data[p], value = data[p + 1];
            p += 2;
            if (count > 0) {
                put(count, [&](int i) { return four ? ((i & 1) ? value & 15 : value >> 4) : value; });
            } else if (value == 0) {
                x = 0;
                ++y;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                if (p + 1 >= size) break;
                x = std::min(w, x + data[p]);
                y = std::min(h, y + data[p + 1]);
                p += 2;
            } else {
                const std::size_t bytes = four ? (value + 1u) / 2u : value;
                if (bytes > size - p) break;
                const uint8_t* src = data + p;
                put(value, [&](int i) { return four ? ((i & 1) ? src[i / 2] & 15 : src[i / 2] >> 4) : src[i]; });
                p += (bytes + 1) & ~std::size_t(1);
            }
        }
    } else if (compression == BI_BITFIELDS_ && (pf == TPixelFormat::pf24bit || bits == 32)) {
        Channel red(masks[0]), green(masks[1]), blue(masks[2]);
        for (int sy = 0; sy < h; ++sy) {
            const uint8_t* src = data + pos + static_cast<std::size_t>(sy) * static_cast<std::size_t>(srcRow);
            int top = topDown ? sy : h - 1 - sy;
            for (int sx = 0; sx < w; ++sx) {
                uint32_t v = bits == 16 ? GetLE16(src + 2 * sx) : GetLE32(src + 4 * sx);
                out.SetPixel(sx, top, MakeColor(red.Get(v), green.Get(v), blue.Get(v)));
            }
        }
    } else {
        std::size_t rowBytes = static_cast<std::size_t>(srcRow);
        for (int sy = 0; sy < h; ++sy) {
            int top = topDown ? sy : h - 1 - sy;
            std::memcpy(out.ScanLine(top), data + pos + static_cast<std::size_t>(sy) * rowBytes, rowBytes);
        }
    }
    *this = std::move(out);
}
