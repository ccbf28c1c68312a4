#pragma once
// Test images and fixture paths shared by the icon, import and writer tests.
#include <cstdint>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "formats/ImageRecord.h"

inline std::string IconFixture(const char* name) {
    return std::string(TAMSOLO_SOURCE_DIR) + "/formats/testdata/" + name;
}

// Bands of black, white, red and blue (index (x / 8 + y / 8) % 4); the Out copy equals the
// edited copy except the top-left 4x4 corner, masked out on black. Hotspot (6, 9).
inline CCURSOR BandedTestImage() {
    CCURSOR c;
    const TColor colours[4] = {clBlack, clWhite, clRed, clBlue};
    for (int i = 0; i < 4; ++i) c.Palette[static_cast<std::size_t>(i)] = ColorToQuad(colours[i]);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) c.Pixels.At(x, y) = static_cast<uint8_t>((x / 8 + y / 8) % 4);
    c.OutPalette = c.Palette;
    c.OutPixels = c.Pixels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            c.OutPixels.At(x, y) = 0;
            c.OutPixels.SetMaskBit(x, y, true);
        }
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
