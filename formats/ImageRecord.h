#pragma once
// The document's image layout, shared by the main window, the editor, the readers and
// the writers: one 32x32 image with its own 256-entry palette and inverse flags.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/Color.h"
#include "base/Palette.h"

constexpr int kImageSize = 32;          // width and height of every image
constexpr int kIndexBytes = 1024;       // one palette index per pixel
constexpr int kMaskBytes = 128;         // 32 rows of 4 bytes, 1 bit per pixel
constexpr int kPixelBlockBytes = 1152;  // index bytes, then the mask area
constexpr int kMaxImages = 1000;

// 1024 palette-index bytes, rows of 32 bottom row first (pixel (x, y), y = 0 the top row,
// is byte (31 - y) * 32 + x), then a 128-byte mask area, bottom row first, most
// significant bit = leftmost pixel. In an Out copy the mask area is the AND mask
// (1 = the screen shows through); in an edited copy it is carried along unread.
struct PixelBlock {
    uint8_t Bytes[kPixelBlockBytes] = {};

    static constexpr int Offset(int x, int y) { return (kImageSize - 1 - y) * kImageSize + x; }
    uint8_t& At(int x, int y) { return Bytes[Offset(x, y)]; }
    uint8_t At(int x, int y) const { return Bytes[Offset(x, y)]; }
    uint8_t* Mask() { return Bytes + kIndexBytes; }
    const uint8_t* Mask() const { return Bytes + kIndexBytes; }
    // Mask bit of pixel (x, y).
    bool MaskBit(int x, int y) const {
        return (Mask()[(kImageSize - 1 - y) * 4 + x / 8] >> (7 - x % 8)) & 1;
    }
    void SetMaskBit(int x, int y, bool on) {
        uint8_t& b = Mask()[(kImageSize - 1 - y) * 4 + x / 8];
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
        b = static_cast<uint8_t>(on ? b | bit : b & ~bit);
    }
    friend bool operator==(const PixelBlock& a, const PixelBlock& b) {
        return std::memcmp(a.Bytes, b.Bytes, sizeof a.Bytes) == 0;
    }
};
static_assert(sizeof(PixelBlock) == kPixelBlockBytes);

// 256 entries of blue, green, red, 0.
using ImagePalette = std::array<TRGBQuad, 256>;
static_assert(sizeof(ImagePalette) == 1024);
// One flag per palette entry: 1 = pixels of the entry are drawn as the screen combined
// by exclusive-or with the entry's colour.
using InverseFlags = std::array<uint8_t, 256>;

// The layout the editor, its undo snapshots and the readers and writers exchange.
struct ImageRecord {
    PixelBlock Pixels;
    ImagePalette Palette{};
    InverseFlags Inverse{};
};
static_assert(sizeof(ImageRecord) == 2432);

// One entry of the image list: the image as edited and as written to files.
class CCURSOR {
public:
    virtual ~CCURSOR() = default;

    std::string ImageName;  // name given at creation; empty for a duplicate
    uint8_t HotX = 0;
    uint8_t HotY = 0;
    int32_t TransX = 0;  // the pixel whose palette index is transparent
    int32_t TransY = 0;
    uint8_t Transparent = 0;
    TColor TransColor = 0;
    InverseFlags Inverse{};
    ImagePalette Palette{};
    ImagePalette OutPalette{};
    PixelBlock Pixels;
    PixelBlock OutPixels;
};
