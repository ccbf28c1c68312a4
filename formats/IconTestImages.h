#pragma once
// Test images and fixture paths shared by the icon, import and writer tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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
