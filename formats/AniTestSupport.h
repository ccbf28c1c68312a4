#pragma once
// Test helpers for the .ani tests: sample images, writer input, and a RIFF walker of
// the tests' own (independent of the reader).
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "formats/AniFile.h"
#include "formats/MonoCursor.h"

namespace anitest {

// An image whose Out copy and palette are filled with a pattern of the seed.
inline CCURSOR PatternImage(int seed) {
    CCURSOR c;
    for (int i = 0; i < 256; ++i)
        c.OutPalette[i] = c.Palette[i] = TRGBQuad{uint8_t(i * seed), uint8_t(i + seed), uint8_t(255 - i), 0};
    for (int p = 0; p < kPixelBlockBytes; ++p) c.OutPixels.Bytes[p] = c.Pixels.Bytes[p] = uint8_t(p * seed + p / 32);
    return c;
}

// An image in the form the 1-bit reader makes: black, white, teal, teal; entry 2 inverse.
inline CCURSOR TwoColourImage() {
    CCURSOR c;
    c.Palette[1] = TRGBQuad{255, 255, 255, 0};
    c.Palette[2] = c.Palette[3] = TRGBQuad{128, 128, 0, 0};
    c.Inverse[2] = 1;
    c.OutPalette = c.Palette;
    return c;
}

inline AniWriteInput InputFor(std::initializer_list<const CCURSOR*> images) {
    AniWriteInput in;
    in.Images.assign(images.begin(), images.end());
    return in;
}

// A two-colour record with a diagonal line, a white block and a transparent rest.
inline MonoCursorRecord TestMonoRecord() {
    MonoCursorRecord r = MonoCursorRecord::Blank();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) r.SetPixel(x, y, true, false);
    for (int i = 0; i < 32; ++i) r.SetPixel(i, i, false, false);
    for (int y = 0; y < 4; ++y)
        for (int x = 20; x < 24; ++x) r.SetPixel(x, y, false, true);
    return r;
}

struct RiffChunk {
    std::string Id;
    std::size_t Data;  // offset of the chunk's data in the file
    uint32_t Size;
};

// The chunks after the 12-byte RIFF header; a LIST is followed by its sub-chunks.
inline std::vector<RiffChunk> WalkRiff(const std::vector<uint8_t>& f, std::size_t from = 12, std::size_t to = 0) {
    std::vector<RiffChunk> out;
    if (to == 0) to = f.size();
    std::size_t pos = from;
    while (pos + 8 <= to) {
        RiffChunk c{std::string(f.begin() + pos, f.begin() + pos + 4), pos + 8, GetLE32(&f[pos + 4])};
        if (c.Data + c.Size > to) break;
        out.push_back(c);
        if (c.Id == "LIST") {
            std::vector<RiffChunk> sub = WalkRiff(f, c.Data + 4, c.Data + c.Size);
            out.insert(out.end(), sub.begin(), sub.end());
        }
        pos = c.Data + c.Size + (c.Size & 1);
    }
    return out;
}

} // namespace anitest
