#include "BitmapPalette.h"

#include <algorithm>

#include "base/ByteIO.h"

namespace Sfunc {

namespace {
template <std::size_t N, typename F>
constexpr std::array<uint32_t, N> MakeTable(F f) {
    std::array<uint32_t, N> t{};
    for (std::size_t i = 0; i < N; ++i) t[i] = f(static_cast<uint32_t>(i));
    return t;
}

constexpr std::array<uint8_t, 512> MakeAbsDiff() {
    std::array<uint8_t, 512> t{};
    for (int d = 0; d < 512; ++d) t[static_cast<std::size_t>(d)] = static_cast<uint8_t>(d < 256 ? d : 512 - d);
    return t;
}

} // namespace

const std::array<uint32_t, 32> BitOr = MakeTable<32>([](uint32_t i) { return 1u << i; });
const std::array<uint32_t, 8> BitMask1 = MakeTable<8>([](uint32_t i) { return 128u >> i; });
const std::array<uint32_t, 32> BitAnd = MakeTable<32>([](uint32_t i) { return ~(1u << i); });
const std::array<uint32_t, 8> BitRAnd = MakeTable<8>([](uint32_t i) { return ~(1u << (7 - i)); });
const std::array<uint32_t, 33> BitBAnd =
    MakeTable<33>([](uint32_t i) { return i >= 32 ? 0xFFFFFFFFu : (1u << i) - 1u; });
const std::array<uint8_t, 512> AbsDiff = MakeAbsDiff();

int GetLineSize(int width, int bits) {
    int64_t bytes = (static_cast<int64_t>(width) * bits + 7) / 8;
    return static_cast<int>((bytes + 3) & ~int64_t(3));
}

int GetNearestPaletteEntryIndex(const TPaletteEntryRGB* entries, TColor colour, int count) {
    return NearestBySumOfDifferences(entries, count, colour);
}

int GetNearestColorTableIndex(const TGLDPalRGB* table, TColor colour, int count) {
    return NearestBySumOfDifferences(table, count, colour);
}

int GetNearestPaletteIndex(const std::vector<TGLDPalRGB>& palette, TColor colour) {
    int n = static_cast<int>(std::min<std::size_t>(palette.size(), 256));
    return n <= 0 ? -1 : GetNearestColorTableIndex(palette.data(), colour, n);
}

TColor GetNearestPaletteColor(const std::vector<TGLDPalRGB>& palette, TColor colour) {
    int i = GetNearestPaletteIndex(palette, colour);
    return i < 0 ? -1 : QuadToColor(palette[static_cast<std::size_t>(i)]);
}

TColor GetPaletteColor(const std::vector<TGLDPalRGB>& palette, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= palette.size()) return -1;
    return QuadToColor(palette[static_cast<std::size_t>(index)]);
}

int GetPaletteColorTable(const std::vector<TGLDPalRGB>& palette, TGLDPalRGB* table) {
    int n = static_cast<int>(std::min<std::size_t>(palette.size(), 256));
    for (int i = 0; i < n; ++i) table[i] = TGLDPalRGB{palette[static_cast<std::size_t>(i)].Blue,
                                                      palette[static_cast<std::size_t>(i)].Green,
                                                      palette[static_cast<std::size_t>(i)].Red, 0};
    return n;
}

std::vector<TGLDPalRGB> CreatePaletteTable(const TGLDPalRGB* table, int count) {
    count = std::clamp(count, 0, 256);
    std::vector<TGLDPalRGB> out(table, table + count);
    for (auto& e : out) e.Reserved = 0;
    return out;
}

int CreateGrayScalePalette(TGLDPalRGB* table, int bits) {
    int n, step;
    switch (bits) {
    case 1: n = 2, step = 255; break;
    case 2: n = 4, step = 85; break;
    case 4: n = 16, step = 17; break;
    default: n = 256, step = 1; break;
    }
    for (int i = 0; i < n; ++i) {
        auto v = static_cast<uint8_t>(i * step);
        table[i] = TGLDPalRGB{v, v, v, 0};
    }
    return n;
}

int GetMaxColorSub(int bits) { return bits >= 0 && bits <= 8 ? 1 << bits : 0; }

int GetMaxColor(const uint8_t* infoHeader) {
    uint32_t used = GetLE32(infoHeader + 32);
    if (used != 0) return static_cast<int>(used);
    return GetMaxColorSub(GetLE16(infoHeader + 14));
}

int64_t GetDIBMemLen(int width, int height, int bits) {
    return static_cast<int64_t>(GetLineSize(width, bits)) * (height < 0 ? -static_cast<int64_t>(height) : height);
}

void CopyPixelLine(uint8_t* dest, const uint8_t* src, int bits, int start, int count) {
    switch (bits) {
    case 1:
        for (int i = 0; i < count; ++i) {
            int s = start + i;
            uint8_t bit = (src[s >> 3] >> (7 - (s & 7))) & 1;
            uint8_t mask = static_cast<uint8_t>(0x80 >> (i & 7));
            dest[i >> 3] = static_cast<uint8_t>(bit ? dest[i >> 3] | mask : dest[i >> 3] & ~mask);
        }
        break;
    case 4:
        for (int i = 0; i < count; ++i) {
            int s = start + i;
            uint8_t v = (s & 1) ? src[s >> 1] & 0x0F : src[s >> 1] >> 4;
            dest[i >> 1] = (i & 1) ? static_cast<uint8_t>((dest[i >> 1] & 0xF0) | v)
                                   : static_cast<uint8_t>((dest[i >> 1] & 0x0F) | (v << 4));
        }
        break;
    case 8:
    case 24:
    case 32: {
        std::size_t bpp = static_cast<std::size_t>(bits / 8);
        std::copy_n(src + static_cast<std::size_t>(start) * bpp, static_cast<std::size_t>(count) * bpp, dest);
        break;
    }
    default: break;
    }
}

TColor SwapBR(TColor colour) { return MakeColor(BlueOf(colour), GreenOf(colour), RedOf(colour)); }

int ConvertInchToMeter(int value) { return static_cast<int>(value * 10000 / 254.0); }

int32_t FixMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>((static_cast<int64_t>(a) * b) >> 16));
}

int GetMaskShift(uint32_t mask) {
    int shift = 0;
    while (mask >= 256) {
        mask >>= 1;
        ++shift;
    }
    while (mask != 0 && mask < 128) {
        mask <<= 1;
        --shift;
    }
    return shift;
}

bool CheckRect(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2) {
    return !(x1 + w1 < x2 || x2 + w2 < x1 || y1 + h1 < y2 || y2 + h2 < y1);
}

int Sgn(int32_t v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

void Xchange(int& a, int& b) { std::swap(a, b); }

int64_t CmpTime(int64_t a, int64_t b) { return a - b; }

} // namespace Sfunc
