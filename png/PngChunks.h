#pragma once
// Chunk types, the signature and the Adam7 pass layout shared by the PNG reader and writer.
#include <cstdint>

constexpr uint8_t PngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// A chunk type held as the 32-bit value whose big-endian bytes spell it.
constexpr uint32_t PngChunkType(const char (&s)[5]) {
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) | (uint32_t(uint8_t(s[2])) << 8) |
           uint32_t(uint8_t(s[3]));
}

constexpr uint32_t ChunkIHDR = PngChunkType("IHDR");
constexpr uint32_t ChunkPLTE = PngChunkType("PLTE");
constexpr uint32_t ChunkIDAT = PngChunkType("IDAT");
constexpr uint32_t ChunkIEND = PngChunkType("IEND");
constexpr uint32_t ChunkbKGD = PngChunkType("bKGD");
constexpr uint32_t ChunkcHRM = PngChunkType("cHRM");
constexpr uint32_t ChunkgAMA = PngChunkType("gAMA");
constexpr uint32_t ChunkgIFg = PngChunkType("gIFg");
constexpr uint32_t ChunkpHYs = PngChunkType("pHYs");
constexpr uint32_t ChunksBIT = PngChunkType("sBIT");
constexpr uint32_t ChunktEXt = PngChunkType("tEXt");
constexpr uint32_t ChunktIME = PngChunkType("tIME");
constexpr uint32_t ChunktRNS = PngChunkType("tRNS");
constexpr uint32_t ChunktpNG = PngChunkType("tpNG");

// Column and row start and step of a pass; pass 0 alone is the whole image.
struct TPngPass {
    int XStart, XStep, YStart, YStep;
};
constexpr TPngPass PngFullPass = {0, 1, 0, 1};
constexpr TPngPass Adam7Passes[7] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                     {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};

inline int PassPixels(int size, int start, int step) { return size > start ? (size - start + step - 1) / step : 0; }
inline int PassWidth(const TPngPass& p, int width) { return PassPixels(width, p.XStart, p.XStep); }
inline int PassHeight(const TPngPass& p, int height) { return PassPixels(height, p.YStart, p.YStep); }

// One pass over a picture: its pixels per row and rows, where its pixels sit in a bitmap
// row (pixel start and step, byte start and step), and its filtered row length.
struct TPassLayout {
    int Width = 0, Rows = 0;
    int XPix = 0, XPixStep = 1;
    int X = 0, XStep = 1;
    int RowLength = 0;
    bool Empty() const { return Width == 0 || Rows == 0; }
};

inline TPassLayout LayoutPass(const TPngPass& p, int width, int height, int bitmapPixelBytes, int pngPixelBits) {
    TPassLayout l;
    l.Width = PassWidth(p, width);
    l.Rows = PassHeight(p, height);
    l.XPix = p.XStart, l.XPixStep = p.XStep;
    l.X = p.XStart * bitmapPixelBytes, l.XStep = p.XStep * bitmapPixelBytes;
    l.RowLength = static_cast<int>((static_cast<int64_t>(l.Width) * pngPixelBits + 7) / 8 + 1);
    return l;
}

// Rows of all passes together.
inline int64_t PngTotalRows(int width, int height, bool adam7) {
    if (!adam7) return height;
    int64_t total = 0;
    for (const TPngPass& p : Adam7Passes)
        if (PassWidth(p, width) > 0) total += PassHeight(p, height);
    return total;
}
