#pragma once
// Test images and fixture paths shared by the icon, import and writer tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "base/Stream.h"
#include "formats/ImageRecord.h"

// The bytes of a test file; a failure of the test when it cannot be read.
inline std::vector<uint8_t> TestFileBytes(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path.string(), bytes, 1 << 24)) ADD_FAILURE() << "cannot read " << path;
    return bytes;
}

inline std::string IconFixture(const char* name) {
    return std::string(TAMSOLO_SOURCE_DIR) + "/formats/testdata/" + name;
}

// Takes the edited copy as the Out copy, its top-left w x h block masked out on black (entry 0).
inline void MaskTopLeftOnBlack(CCURSOR& c, int w, int h) {
    c.OutPalette = c.Palette;
    c.OutPixels = c.Pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            c.OutPixels.At(x, y) = 0;
            c.OutPixels.SetMaskBit(x, y, true);
        }
}

// Bands of black, white, red and blue (index (x / 8 + y / 8) % 4); the Out copy equals the
// edited copy except the top-left 4x4 corner, masked out on black. Hotspot (6, 9).
inline CCURSOR BandedTestImage() {
    CCURSOR c;
    const TColor colours[4] = {clBlack, clWhite, clRed, clBlue};
    for (int i = 0; i < 4; ++i) c.Palette[static_cast<std::size_t>(i)] = ColorToQuad(colours[i]);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) c.Pixels.At(x, y) = static_cast<uint8_t>((x / 8 + y / 8) % 4);
    MaskTopLeftOnBlack(c, 4, 4);
    c.HotX = 6;
    c.HotY = 9;
    return c;
}

// One image of an icon or cursor file as stored: its directory entry without the offset,
// and its bytes.
struct StoredIconImage {
    std::vector<uint8_t> Entry, Bytes;
    int Side() const { return Entry[0] ? Entry[0] : 256; }
    bool operator==(const StoredIconImage&) const = default;
};

// The images of an icon or cursor file in directory order; empty when the directory or an
// image lies outside the file.
inline std::vector<StoredIconImage> StoredIconImages(const std::vector<uint8_t>& file) {
    std::vector<StoredIconImage> out;
    if (file.size() < 6) return out;
    const std::size_t count = GetLE16(file.data() + 4);
    if (file.size() < 6 + 16 * count) return out;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* e = file.data() + 6 + 16 * i;
        const std::size_t bytes = GetLE32(e + 8), at = GetLE32(e + 12);
        if (at > file.size() || bytes > file.size() - at) return {};
        out.push_back({std::vector<uint8_t>(e, e + 12), std::vector<uint8_t>(file.begin() + at, file.begin() + at + bytes)});
    }
    return out;
}

// An icon file of the stored images, back to back after the directory.
inline std::vector<uint8_t> IconFileOf(const std::vector<StoredIconImage>& images) {
    ByteWriter w;
    w.U16(0);
    w.U16(1);
    w.U16(static_cast<uint32_t>(images.size()));
    uint32_t at = 6 + 16 * static_cast<uint32_t>(images.size());
    for (const StoredIconImage& i : images) {
        w.Bytes(i.Entry.data(), 8);
        w.U32(static_cast<uint32_t>(i.Bytes.size()));
        w.U32(at);
        at += static_cast<uint32_t>(i.Bytes.size());
    }
    for (const StoredIconImage& i : images) w.Bytes(i.Bytes.data(), i.Bytes.size());
    return w.Data;
}

// A 32-bit image of side x side pixels laid out as icotool stores one: header, BGRA rows
// bottom first (alpha rising to the right), an all-zero mask.
inline StoredIconImage ThirtyTwoBitIconImage(int side) {
    ByteWriter w;
    for (uint32_t v : {40u, static_cast<uint32_t>(side), static_cast<uint32_t>(2 * side)}) w.U32(v);
    w.U16(1);
    w.U16(32);
    for (int i = 0; i < 6; ++i) w.U32(0);
    for (int row = 0; row < side; ++row)
        for (int x = 0; x < side; ++x) {
            const uint32_t a = static_cast<uint32_t>(x * 255 / (side - 1));
            w.U32(static_cast<uint32_t>(row & 0xFF) | (static_cast<uint32_t>(x & 0xFF) << 8) | (128u << 16) | (a << 24));
        }
    const int maskRow = (side + 31) / 32 * 4;
    for (int i = 0; i < maskRow * side; ++i) w.U8(0);
    const uint8_t low = static_cast<uint8_t>(side);
    return {{low, low, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0}, w.Data};
}
