#pragma once
// Icon files of hostile design, made in memory by the tests: a directory of many entries
// that all point to one stored image.
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "base/ByteIO.h"

// An .ico of `count` entries, each naming the one image stored right after the directory.
inline std::vector<uint8_t> SharedImageIcon(uint32_t count, const std::vector<uint8_t>& image, uint8_t side) {
    ByteWriter w;
    w.U16(0);
    w.U16(1);
    w.U16(count);
    const uint32_t at = 6 + 16 * count;
    for (uint32_t i = 0; i < count; ++i) {
        w.U8(side);
        w.U8(side);
        w.U8(0);
        w.U8(0);
        w.U16(1);
        w.U16(32);
        w.U32(static_cast<uint32_t>(image.size()));
        w.U32(at);
    }
    w.Bytes(image.data(), image.size());
    return w.Data;
}

// A 32x32 8-bit bitmap resource, grey ramp palette, pixel (x, y) = x + y, opaque, followed
// by zeros up to `size` bytes.
inline std::vector<uint8_t> PaddedBitmapImage(std::size_t size) {
    ByteWriter w;
    for (uint32_t v : {40u, 32u, 64u}) w.U32(v);
    w.U16(1);
    w.U16(8);
    for (int i = 0; i < 6; ++i) w.U32(0);
    for (uint32_t i = 0; i < 256; ++i) w.U32(i * 0x010101);
    for (int row = 0; row < 32; ++row)
        for (int x = 0; x < 32; ++x) w.U8(static_cast<uint32_t>(x + 31 - row));
    for (int i = 0; i < 32 * 4; ++i) w.U8(0);
    w.Data.resize(size < w.Data.size() ? w.Data.size() : size, 0);
    return w.Data;
}

namespace hostile_detail {
inline void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    const uint32_t n = static_cast<uint32_t>(data.size());
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(n >> s));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uint32_t crc = static_cast<uint32_t>(crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt)));
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(crc >> s));
}
} // namespace hostile_detail

// A 256x256 RGBA PNG (pixel (x, y) = (x, y, 128, x)) stored without compression, with an
// ancillary chunk of zeros that brings it to at least `size` bytes.
inline std::vector<uint8_t> LargePngImage(std::size_t size) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < 256; ++y) {
        raw.push_back(0);
        for (int x = 0; x < 256; ++x) raw.insert(raw.end(), {uint8_t(x), uint8_t(y), 128, uint8_t(x)});
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 0);
    packed.resize(packedSize);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    hostile_detail::PngChunk(png, "IHDR", {0, 0, 1, 0, 0, 0, 1, 0, 8, 6, 0, 0, 0});
    const std::size_t rest = packed.size() + 12 + 12 + 12 + png.size();
    hostile_detail::PngChunk(png, "pbIg", std::vector<uint8_t>(size > rest ? size - rest : 0, 0));
    hostile_detail::PngChunk(png, "IDAT", packed);
    hostile_detail::PngChunk(png, "IEND", {});
    return png;
}
