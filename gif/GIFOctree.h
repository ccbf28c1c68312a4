#pragma once
// Octree colour quantizer: every pixel descends one bit of red, green and blue per level;
// whenever there are more leaves than colours wanted, the deepest reducible node is folded
// into a leaf. The leaves' average colours become the palette.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Bitmap.h"
#include "gif/GIFTypes.h"

class TDIBReader;

struct TOctreeNode {
    bool IsLeaf = false;
    // 64-bit sums: a picture of several million pixels overflows 32 bits.
    int64_t PixelCount = 0;
    int64_t RedSum = 0, GreenSum = 0, BlueSum = 0;
    TOctreeNode* Next = nullptr;  // next in its level's reducible list; not owned
    std::array<std::unique_ptr<TOctreeNode>, 8> Child;
};

class TColorQuantizer {
public:
    // 1..256 colours and 1..8 colour bits; anything else raises.
    TColorQuantizer(int maxColors, int colorBits);
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    // Adds every pixel of a 24-bit reader, rows from the top, pixels left to right.
    bool AddPixels(const TDIBReader& reader);
    void AddColor(uint8_t red, uint8_t green, uint8_t blue);
    // The leaves' average colours as blue, green, red, 0 into consecutive entries; returns
    // how many were written (never more than the table holds).
    int CollectPalette(TRGBQuad* table, int size) const;
    int LeafCount() const { return FLeafCount; }

private:
    void AddColor(std::unique_ptr<TOctreeNode>& node, uint8_t red, uint8_t green, uint8_t blue, int level);
    void ReduceTree();

    std::unique_ptr<TOctreeNode> FTree;
    int FLeafCount = 0;
    std::array<TOctreeNode*, 8> FReducibleNodes{};  // list heads, one per level; not owned
    int FMaxColors;
    int FColorBits;
};

// A palette of the given number of colours for one picture. With the Windows flag the
// palette has 256 entries: the 20 system colours at both ends and 236 colours between.
TPaletteHandle MakeOptimizedPalette(const TDIBReader& reader, int colors, int colorBits, bool windows);
// The same over several pictures; an empty list raises "Invalid bitmap list".
TPaletteHandle CreateOptimizedPaletteFromManyBitmaps(const std::vector<const TBitmap*>& bitmaps, int colors,
                                                     int colorBits, bool windows);
