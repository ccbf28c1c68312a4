#pragma once
// Cursor files made byte by byte by the tests, as ordinary cursor editors write them: .cur and
// .ico files of bitmap images (any side, 8 or 32 bits with alpha) and PNG images (8 or 16
// bits a channel, plain or interlaced), and animated cursors of such files.
#include <cstdint>
#include <vector>

#include "base/ByteIO.h"
#include "formats/HostileIconFiles.h"

namespace cursortest {

// The pattern of every image: a disc of colour with soft alpha at its rim, clear outside.
struct TPixel {
    uint8_t R, G, B, A;
};
inline TPixel PatternPixel(int x, int y, int w, int h, int seed) {
    const int dx = 2 * x - w, dy = 2 * y - h, r = w < h ? w : h;
    const int d2 = dx * dx + dy * dy;
    uint8_t a = d2 < (r - 6) * (r - 6) ? 255 : d2 < r * r ? static_cast<uint8_t>(96 + (x * 7 + seed) % 100) : 0;
    return TPixel{static_cast<uint8_t>(x * 255 / w), static_cast<uint8_t>(y * 255 / h), static_cast<uint8_t>(seed * 40), a};
}

// A bitmap image resource of w x h: 32 bits with the pattern's alpha, or 8 bits with a
// palette of 256 colours (the AND mask where the alpha is clear).
inline std::vector<uint8_t> BitmapImage(int w, int h, int bits, int seed) {
    ByteWriter out;
    const uint32_t row = (static_cast<uint32_t>(w) * bits + 31) / 32 * 4, maskRow = (static_cast<uint32_t>(w) + 31) / 32 * 4;
    for (uint32_t v : {40u, static_cast<uint32_t>(w), static_cast<uint32_t>(2 * h)}) out.U32(v);
    out.U16(1);
    out.U16(static_cast<uint32_t>(bits));
    out.U32(0);
    out.U32((row + maskRow) * static_cast<uint32_t>(h));
    for (int i = 0; i < 4; ++i) out.U32(0);
    if (bits == 8)
        for (uint32_t i = 0; i < 256; ++i) out.U32(((i * 37) & 255) | ((i & 0xF0) << 8) | (((255 - i) & 255) << 16));
    for (int j = 0; j < h; ++j) {
        const int y = h - 1 - j;
        std::vector<uint8_t> r(row, 0);
        for (int x = 0; x < w; ++x) {
            const TPixel p = PatternPixel(x, y, w, h, seed);
            if (bits == 32) {
                r[4 * x] = p.B, r[4 * x + 1] = p.G, r[4 * x + 2] = p.R, r[4 * x + 3] = p.A;
            } else {
                r[x] = static_cast<uint8_t>((x + y + seed) & 255);
            }
        }
        out.Bytes(r.data(), r.size());
    }
    for (int j = 0; j < h; ++j) {
        const int y = h - 1 - j;
        std::vector<uint8_t> m(maskRow, 0);
        for (int x = 0; x < w; ++x)
            if (PatternPixel(x, y, w, h, seed).A == 0) m[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.Bytes(m.data(), m.size());
    }
    return out.Data;
}

// A 32-bit bitmap image whose colours are laid out by BI_BITFIELDS masks: a layout that
// system loaders read and our readers do not.
inline std::vector<uint8_t> BitfieldsImage(int w, int h) {
    std::vector<uint8_t> image = BitmapImage(w, h, 32, 0);
    PutLE32(image.data() + 16, 3);
    const uint8_t masks[12] = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    image.insert(image.begin() + 40, masks, masks + 12);
    return image;
}

// An RGBA PNG of the pattern, 8 or 16 bits a channel, plain or Adam7-interlaced.
inline std::vector<uint8_t> PngImage(int w, int h, bool sixteen, bool interlaced, int seed) {
    struct Pass {
        int X, Y, DX, DY;
    };
    const std::vector<Pass> passes = interlaced ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                                                : std::vector<Pass>{{0, 0, 1, 1}};
    std::vector<uint8_t> raw;
    for (const Pass& p : passes) {
        if (p.X >= w || p.Y >= h) continue;
        for (int y = p.Y; y < h; y += p.DY) {
            raw.push_back(0);  // no filter
            for (int x = p.X; x < w; x += p.DX) {
                const TPixel px = PatternPixel(x, y, w, h, seed);
                for (uint8_t v : {px.R, px.G, px.B, px.A}) {
                    raw.push_back(v);
                    if (sixteen) raw.push_back(static_cast<uint8_t>(v ^ (x & 0x3F)));  // low bytes of their own
                }
            }
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6);
    packed.resize(packedSize);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const auto W = static_cast<uint32_t>(w), H = static_cast<uint32_t>(h);
    hostile_detail::PngChunk(png, "IHDR",
                     {uint8_t(W >> 24), uint8_t(W >> 16), uint8_t(W >> 8), uint8_t(W), uint8_t(H >> 24), uint8_t(H >> 16),
                      uint8_t(H >> 8), uint8_t(H), uint8_t(sixteen ? 16 : 8), 6, 0, 0, uint8_t(interlaced ? 1 : 0)});
    hostile_detail::PngChunk(png, "IDAT", packed);
    hostile_detail::PngChunk(png, "IEND", {});
    return png;
}

struct TImage {
    std::vector<uint8_t> Bytes;
    int Width, Height;  // as the entry names them (256 and more are written as 0)
    int HotX, HotY;     // a cursor's hotspot, an icon's planes and depth
};

// A .cur (type 2) or .ico (type 1) file of the images, stored in their order.
inline std::vector<uint8_t> IconFileOf(int type, const std::vector<TImage>& images) {
    ByteWriter out;
    out.U16(0);
    out.U16(static_cast<uint32_t>(type));
    out.U16(static_cast<uint32_t>(images.size()));
    uint32_t at = 6 + 16 * static_cast<uint32_t>(images.size());
    for (const TImage& i : images) {
        out.U8(static_cast<uint32_t>(i.Width >= 256 ? 0 : i.Width));
        out.U8(static_cast<uint32_t>(i.Height >= 256 ? 0 : i.Height));
        out.U8(0);
        out.U8(0);
        out.U16(static_cast<uint32_t>(i.HotX));
        out.U16(static_cast<uint32_t>(i.HotY));
        out.U32(static_cast<uint32_t>(i.Bytes.size()));
        out.U32(at);
        at += static_cast<uint32_t>(i.Bytes.size());
    }
    for (const TImage& i : images) out.Bytes(i.Bytes.data(), i.Bytes.size());
    return out.Data;
}

// An animated cursor of the frames (each a .cur or .ico file), shown in `sequence` when it
// is not empty, at 10 jiffies a step.
inline std::vector<uint8_t> AniFileOf(const std::vector<std::vector<uint8_t>>& frames, const std::vector<uint32_t>& sequence = {}) {
    auto chunk = [](ByteWriter& w, const char* id, const std::vector<uint8_t>& body) {
        w.Bytes(reinterpret_cast<const uint8_t*>(id), 4);
        w.U32(static_cast<uint32_t>(body.size()));
        w.Bytes(body.data(), body.size());
        if (body.size() & 1) w.U8(0);
    };
    const uint32_t steps = sequence.empty() ? static_cast<uint32_t>(frames.size()) : static_cast<uint32_t>(sequence.size());
    ByteWriter header;
    for (uint32_t v : {36u, static_cast<uint32_t>(frames.size()), steps, 0u, 0u, 0u, 0u, 10u, sequence.empty() ? 1u : 3u})
        header.U32(v);
    ByteWriter list;
    list.Bytes(reinterpret_cast<const uint8_t*>("fram"), 4);
    for (const auto& f : frames) chunk(list, "icon", f);
    ByteWriter body;
    body.Bytes(reinterpret_cast<const uint8_t*>("ACON"), 4);
    chunk(body, "anih", header.Data);
    if (!sequence.empty()) {
        ByteWriter seq;
        for (uint32_t s : sequence) seq.U32(s);
        chunk(body, "seq ", seq.Data);
    }
    chunk(body, "LIST", list.Data);
    ByteWriter file;
    chunk(file, "RIFF", body.Data);
    return file.Data;
}

struct TNamedFile {
    const char* Name;
    std::vector<uint8_t> Bytes;
};

// Ordinary cursors of today's editors: large sides, alpha, PNG images, many images in one
// file, animations whose sequence starts on a later frame, icon files used as cursors.
inline std::vector<TNamedFile> OrdinaryCursorFiles() {
    const std::vector<uint8_t> cur48 = IconFileOf(2, {{BitmapImage(48, 48, 32, 1), 48, 48, 11, 40}});
    std::vector<TNamedFile> cases = {
        {"alpha48.cur", cur48},
        {"alpha64.cur", IconFileOf(2, {{BitmapImage(64, 64, 32, 2), 64, 64, 63, 5}})},
        {"alpha128.cur", IconFileOf(2, {{BitmapImage(128, 128, 32, 3), 128, 128, 64, 127}})},
        {"palette48.cur", IconFileOf(2, {{BitmapImage(48, 48, 8, 4), 48, 48, 7, 7}})},
        {"png48.cur", IconFileOf(2, {{PngImage(48, 48, false, false, 5), 48, 48, 20, 30}})},
        {"png256_and_bitmap.cur",
         IconFileOf(2, {{PngImage(256, 256, false, false, 6), 256, 256, 200, 100}, {BitmapImage(32, 32, 32, 7), 32, 32, 3, 4}})},
        {"png256_and_bitmap48.cur",
         IconFileOf(2, {{PngImage(256, 256, false, false, 6), 256, 256, 200, 100}, {BitmapImage(48, 48, 32, 7), 48, 48, 3, 4}})},
        {"png1024_16bit_interlaced.cur", IconFileOf(2, {{PngImage(1024, 1024, true, true, 8), 0, 0, 512, 700}})},
        {"png1024.cur", IconFileOf(2, {{PngImage(1024, 1024, false, false, 8), 0, 0, 512, 700}})},
        {"png64_16bit.cur", IconFileOf(2, {{PngImage(64, 64, true, false, 8), 64, 64, 5, 6}})},
        {"png64_interlaced.cur", IconFileOf(2, {{PngImage(64, 64, false, true, 8), 64, 64, 5, 6}})},
        {"sizes16_40_64.cur", IconFileOf(2, {{BitmapImage(16, 16, 32, 9), 16, 16, 1, 1},
                                              {BitmapImage(40, 40, 32, 10), 40, 40, 30, 30},
                                              {BitmapImage(64, 64, 8, 11), 64, 64, 9, 9}})},
        {"sizes64_40.cur", IconFileOf(2, {{BitmapImage(64, 64, 32, 19), 64, 64, 50, 50}, {BitmapImage(40, 40, 8, 20), 40, 40, 39, 0}})},
        {"depths48.cur", IconFileOf(2, {{BitmapImage(48, 48, 8, 12), 48, 48, 5, 6}, {BitmapImage(48, 48, 32, 13), 48, 48, 7, 8}})},
        {"alpha48.ico", IconFileOf(1, {{BitmapImage(48, 48, 32, 14), 48, 48, 1, 32}})},
        {"alpha48.ani", AniFileOf({cur48, IconFileOf(2, {{BitmapImage(48, 48, 32, 15), 48, 48, 2, 3}})})},
        {"sequence64.ani", AniFileOf({IconFileOf(2, {{BitmapImage(64, 64, 32, 16), 64, 64, 4, 4}}),
                                      IconFileOf(2, {{PngImage(64, 64, false, true, 17), 64, 64, 60, 2}})},
                                     {1, 0, 1})},
        {"icons128.ani", AniFileOf({IconFileOf(1, {{BitmapImage(128, 128, 32, 18), 128, 128, 1, 32}})})},
    };
    return cases;
}

} // namespace cursortest
