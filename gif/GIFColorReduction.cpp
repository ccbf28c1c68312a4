#include "gif/GIFColorReduction.h"

#include <algorithm>
#include <cstdlib>

#include "base/Palette.h"
#include "gif/GIFDIB.h"
#include "gif/GIFDither.h"
#include "gif/GIFOctree.h"

namespace {
uint32_t Key(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16); }

TPaletteHandle MakePalette(std::vector<TPaletteEntry> entries) {
    auto palette = std::make_shared<TLogPalette>();
    palette->palPalEntry = std::move(entries);
    return palette;
}

TPaletteHandle GrayPalette(std::initializer_list<int> levels) {
    std::vector<TPaletteEntry> entries;
    for (int v : levels) {
        auto g = static_cast<uint8_t>(v);
        entries.push_back({g, g, g, PC_NOCOLLAPSE_});
    }
    return MakePalette(std::move(entries));
}
}  // namespace

TColorLookup::TColorLookup(const TLogPalette*) {}

TFastColorLookup::TFastColorLookup(const TLogPalette* palette)
    : TColorLookup(palette), FInverseLookup(32768, -1), FCellHoldsEntry(32768, false) {
    if (palette) FColors = static_cast<int>(std::min<std::size_t>(palette->palPalEntry.size(), 256));
    for (int i = 0; i < FColors; ++i) {
        const TPaletteEntry& e = palette->palPalEntry[static_cast<std::size_t>(i)];
        FPalette[static_cast<std::size_t>(i)] = e;
        int cell = CellOf(e.peRed, e.peGreen, e.peBlue);
        if (FInverseLookup[static_cast<std::size_t>(cell)] == -1) FInverseLookup[static_cast<std::size_t>(cell)] = static_cast<int16_t>(i);
        FCellHoldsEntry[static_cast<std::size_t>(cell)] = true;
        FExact.emplace(Key(e.peRed, e.peGreen, e.peBlue), i);
    }
}

int TFastColorLookup::MapColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) {
    auto cell = static_cast<std::size_t>(CellOf(red, green, blue));
    int index = -1;
    if (FCellHoldsEntry[cell]) {
        auto it = FExact.find(Key(red, green, blue));
        if (it != FExact.end()) index = it->second;
    }
    if (index < 0) index = FInverseLookup[cell];
    if (index < 0) {
        index = NearestBySumOfDifferences(FPalette.data(), FColors, MakeColor(red, green, blue), [](const TPaletteEntry& e) {
            return std::array<int, 3>{e.peRed, e.peGreen, e.peBlue};
        });
        FInverseLookup[cell] = static_cast<int16_t>(index);
    }
    const TPaletteEntry& e = FPalette[static_cast<std::size_t>(index)];
    r = e.peRed;
    g = e.peGreen;
    b = e.peBlue;
    return index;
}

TNetscapeColorLookup::TNetscapeColorLookup(const TLogPalette* palette) : TColorLookup(palette) { FColors = 216; }

int TNetscapeColorLookup::MapColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) {
    int lr = (red + 3) / 51, lg = (green + 3) / 51, lb = (blue + 3) / 51;
    r = static_cast<uint8_t>(lr * 51);
    g = static_cast<uint8_t>(lg * 51);
    b = static_cast<uint8_t>(lb * 51);
    return lr * 36 + lg * 6 + lb;
}

TGrayScaleLookup::TGrayScaleLookup(const TLogPalette* palette) : TColorLookup(palette) { FColors = 256; }

int TGrayScaleLookup::MapColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) {
    int gray = (red * 77 + green * 150 + blue * 29) >> 8;
    r = g = b = static_cast<uint8_t>(gray);
    return gray;
}

TMonochromeLookup::TMonochromeLookup(const TLogPalette* palette) : TColorLookup(palette) { FColors = 2; }

int TMonochromeLookup::MapColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) {
    if (red * 77 + green * 150 + blue * 29 < 32513) {
        r = g = b = 0;
        return 0;
    }
    r = g = b = 255;
    return 1;
}

TPaletteHandle WebPalette() {
    static const TPaletteHandle palette = [] {
        std::vector<TPaletteEntry> entries;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    entries.push_back({static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51), static_cast<uint8_t>(b * 51), 0});
        return MakePalette(std::move(entries));
    }();
    return palette;
}

TPaletteHandle DefaultSystemPalette() {
    static const TPaletteHandle palette = MakePalette({
        {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
        {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
        {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
        {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
    });
    return palette;
}

TPaletteHandle HalftonePalette() {
    static const TPaletteHandle palette = [] {
        const auto& system = DefaultSystemPalette()->palPalEntry;
        std::vector<TPaletteEntry> entries(system.begin(), system.begin() + 10);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    entries.push_back({static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51), static_cast<uint8_t>(b * 51), 0});
        // Greys between the cube's own: 20 levels that are not multiples of 51.
        for (int i = 1, added = 0; added < 20; ++i) {
            int v = i * 255 / 25;
            if (v % 51 == 0) continue;
            auto g = static_cast<uint8_t>(v);
            entries.push_back({g, g, g, 0});
            ++added;
        }
        entries.insert(entries.end(), system.begin() + 10, system.end());
        return MakePalette(std::move(entries));
    }();
    return palette;
}

TPaletteHandle ReductionPalette(const TBitmap& bitmap, TColorReduction mode, int bits, const TLogPalette* custom) {
    switch (mode) {
    case rmWindows20: return DefaultSystemPalette();
    case rmWindows256: return HalftonePalette();
    case rmWindowsGray: return GrayPalette({0, 128, 192, 255});
    case rmMonochrome: return GrayPalette({0, 255});
    case rmGrayScale: {
        std::vector<TPaletteEntry> entries;
        for (int i = 0; i < 256; ++i) entries.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), PC_NOCOLLAPSE_});
        return MakePalette(std::move(entries));
    }
    case rmNetscape: return WebPalette();
    case rmQuantize: {
        TDIBReader reader(bitmap, TPixelFormat::pf24bit);
        return MakeOptimizedPalette(reader, 1 << std::clamp(bits, 1, 8), 8, false);
    }
    case rmQuantizeWindows: {
        TDIBReader reader(bitmap, TPixelFormat::pf24bit);
        return MakeOptimizedPalette(reader, 256, 8, true);
    }
    case rmPalette: return custom ? std::make_shared<TLogPalette>(*custom) : nullptr;
    case rmNone: break;
    }
    return nullptr;
}

namespace {
std::unique_ptr<TColorLookup> LookupFor(TColorReduction mode, const TLogPalette* palette) {
    switch (mode) {
    case rmMonochrome: return std::make_unique<TMonochromeLookup>(palette);
    case rmGrayScale: return std::make_unique<TGrayScaleLookup>(palette);
    case rmNetscape: return std::make_unique<TNetscapeColorLookup>(palette);
    default: return std::make_unique<TFastColorLookup>(palette);
    }
}

}  // namespace

std::unique_ptr<TBitmap> ReduceColors(const TBitmap& bitmap, TColorReduction colorReduction, TDitherMode ditherMode,
                                      int reductionBits, const TLogPalette* customPalette) {
    auto result = std::make_unique<TBitmap>();
    if (colorReduction == rmNone) {
        *result = bitmap;
        result->SetPixelFormat(TPixelFormat::pf24bit);
        return result;
    }
    // A large picture's result starts as small as possible while the work runs.
    if (static_cast<int64_t>(bitmap.Width()) * bitmap.Height() > 500000) result->SetPixelFormat(TPixelFormat::pf1bit);
    if (bitmap.Empty()) return result;

    TDIBReader reader(bitmap, TPixelFormat::pf24bit);
    TPaletteHandle palette = ReductionPalette(bitmap, colorReduction, reductionBits, customPalette);
    std::unique_ptr<TColorLookup> lookup = LookupFor(colorReduction, palette.get());
    if (lookup->Colors() == 0) return result;
    std::unique_ptr<TDitherEngine> engine = MakeDitherEngine(ditherMode, bitmap.Width(), *lookup);
    if (!engine) return result;

    TDIBWriter writer(*result, palette.get(), bitmap.Height(), bitmap.Width(), TPixelFormat::pf8bit);
    const int width = bitmap.Width();
    for (int row = 0; row < bitmap.Height(); ++row) {
        const uint8_t* src = reader.ScanRow(row);
        uint8_t* dst = writer.ScanRow(row);
        uint8_t r, g, b;
        for (int x = engine->Column(); x >= 0 && x < width; x = engine->Column()) {
            const uint8_t* p = src + 3 * x;
            dst[x] = static_cast<uint8_t>(engine->DitherPixel(p[2], p[1], p[0], r, g, b));
        }
        engine->EndRow();
    }
    writer.Finish();
    return result;
}
