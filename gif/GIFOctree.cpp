#include "gif/GIFOctree.h"

#include "gif/GIFColorReduction.h"
#include "gif/GIFDIB.h"
#include "gif/GIFUtil.h"

namespace {
constexpr uint8_t Mask[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
constexpr const char* sInvalidColorCount = "Invalid number of colors";
constexpr const char* sInvalidBitmapList = "Invalid bitmap list";
}  // namespace

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits) : FMaxColors(maxColors), FColorBits(colorBits) {
    if (maxColors < 1 || maxColors > 256 || colorBits < 1 || colorBits > 8) RaiseGIFError(sInvalidColorCount);
}

TColorQuantizer::~TColorQuantizer() = default;

bool TColorQuantizer::AddPixels(const TDIBReader& reader) {
    for (int row = 0; row < reader.Height(); ++row) {
        const uint8_t* p = reader.ScanRow(row);
        for (int x = 0; x < reader.Width(); ++x, p += 3) AddColor(p[2], p[1], p[0]);
    }
    return true;
}

void TColorQuantizer::AddColor(uint8_t red, uint8_t green, uint8_t blue) {
    AddColor(FTree, red, green, blue, 0);
    while (FLeafCount > FMaxColors) ReduceTree();
}

void TColorQuantizer::AddColor(std::unique_ptr<TOctreeNode>& node, uint8_t red, uint8_t green, uint8_t blue, int level) {
    if (!node) {
        node = std::make_unique<TOctreeNode>();
        node->IsLeaf = level == FColorBits;
        if (node->IsLeaf) {
            ++FLeafCount;
        } else {
            node->Next = FReducibleNodes[static_cast<std::size_t>(level)];
            FReducibleNodes[static_cast<std::size_t>(level)] = node.get();
        }
    }
    if (node->IsLeaf) {
        ++node->PixelCount;
        node->RedSum += red;
        node->GreenSum += green;
        node->BlueSum += blue;
        return;
    }
    const uint8_t m = Mask[level];
    int index = ((red & m) ? 4 : 0) | ((green & m) ? 2 : 0) | ((blue & m) ? 1 : 0);
    AddColor(node->Child[static_cast<std::size_t>(index)], red, green, blue, level + 1);
}

void TColorQuantizer::ReduceTree() {
    int level = FColorBits - 1;
    while (level > 0 && !FReducibleNodes[static_cast<std::size_t>(level)]) --level;
    TOctreeNode* node = FReducibleNodes[static_cast<std::size_t>(level)];
    if (!node) {
        // Nothing left to fold; only possible when the root is a leaf already.
        FLeafCount = FMaxColors;
        return;
    }
    FReducibleNodes[static_cast<std::size_t>(level)] = node->Next;
    int children = 0;
    for (auto& child : node->Child) {
        if (!child) continue;
        node->PixelCount += child->PixelCount;
        node->RedSum += child->RedSum;
        node->GreenSum += child->GreenSum;
        node->BlueSum += child->BlueSum;
        child.reset();
        ++children;
    }
    node->IsLeaf = true;
    FLeafCount = FLeafCount - children + 1;
}

int TColorQuantizer::CollectPalette(TRGBQuad* table, int size) const {
    int count = 0;
    auto walk = [&](auto&& self, const TOctreeNode* node) -> void {
        if (!node) return;
        if (node->IsLeaf) {
            if (count >= size) return;
            TRGBQuad q{};
            if (node->PixelCount > 0) {
                q.Red = static_cast<uint8_t>(node->RedSum / node->PixelCount);
                q.Green = static_cast<uint8_t>(node->GreenSum / node->PixelCount);
                q.Blue = static_cast<uint8_t>(node->BlueSum / node->PixelCount);
            }
            table[count++] = q;
            return;
        }
        for (const auto& child : node->Child) self(self, child.get());
    };
    walk(walk, FTree.get());
    return count;
}

namespace {
template <class TAdd>
TPaletteHandle BuildPalette(int colors, int colorBits, bool windows, TAdd addPixels) {
    if (colors < 1 || colors > 256) RaiseGIFError(sInvalidColorCount);
    auto palette = std::make_shared<TLogPalette>();
    std::vector<TRGBQuad> table(256);
    int first = 0;
    if (windows) {
        palette->palPalEntry.resize(256);
        const auto& system = DefaultSystemPalette()->palPalEntry;
        for (int i = 0; i < 10; ++i) {
            palette->palPalEntry[static_cast<std::size_t>(i)] = system[static_cast<std::size_t>(i)];
            palette->palPalEntry[static_cast<std::size_t>(246 + i)] = system[static_cast<std::size_t>(10 + i)];
        }
        colors = 236;
        first = 10;
    } else {
        palette->palPalEntry.resize(static_cast<std::size_t>(colors));
    }
    TColorQuantizer quantizer(colors, colorBits);
    addPixels(quantizer);
    // Entries beyond the leaves found stay black.
    quantizer.CollectPalette(table.data(), colors);
    for (int k = 0; k < colors; ++k) {
        const TRGBQuad& q = table[static_cast<std::size_t>(k)];
        palette->palPalEntry[static_cast<std::size_t>(first + k)] = {q.Red, q.Green, q.Blue, 0};
    }
    return palette;
}
}  // namespace

TPaletteHandle MakeOptimizedPalette(const TDIBReader& reader, int colors, int colorBits, bool windows) {
    return BuildPalette(colors, colorBits, windows, [&](TColorQuantizer& q) { q.AddPixels(reader); });
}

TPaletteHandle CreateOptimizedPaletteFromManyBitmaps(const std::vector<const TBitmap*>& bitmaps, int colors,
                                                     int colorBits, bool windows) {
    if (bitmaps.empty()) RaiseGIFError(sInvalidBitmapList);
    return BuildPalette(colors, colorBits, windows, [&](TColorQuantizer& q) {
        for (const TBitmap* bitmap : bitmaps) {
            if (!bitmap) RaiseGIFError(sInvalidBitmapList);
            q.AddPixels(TDIBReader(*bitmap, TPixelFormat::pf24bit));
        }
    });
}
