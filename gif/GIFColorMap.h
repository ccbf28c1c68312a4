#pragma once
// GIF colour tables: up to 256 entries of red, green, blue, with a sorted-by-use flag.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "base/Color.h"
#include "base/Palette.h"
#include "base/Stream.h"
#include "gif/GIFTypes.h"

class TGIFHeader;
class TGIFSubImage;

struct TGIFColor {
    uint8_t Red = 0, Green = 0, Blue = 0;
    friend bool operator==(const TGIFColor&, const TGIFColor&) = default;
};

struct ColorUse {
    int32_t Uses = 0;
    int32_t Index = 0;
};
using TColorUses = std::array<ColorUse, 256>;
using TColorMapping = std::array<uint8_t, 256>;

class TGIFColorMap {
public:
    TGIFColorMap() = default;
    virtual ~TGIFColorMap() = default;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

    static TGIFColor Color2RGB(TColor color) { return {RedOf(color), GreenOf(color), BlueOf(color)}; }
    static TColor RGB2Color(TGIFColor c) { return MakeColor(c.Red, c.Green, c.Blue); }

    virtual void Warning(TGIFSeverity severity, const std::string& message) = 0;
    // Sets every one of the 256 elements to (0 uses, its own index), then counts pixels.
    virtual void CountColorUses(TColorUses& uses) = 0;
    virtual void RemapPixels(const TColorMapping& map) = 0;
    virtual bool OptimizeMap() = 0;
    virtual void NotifyChanged() = 0;

    void Clear();
    void SetCapacity(int n);
    int Add(TColor color);
    int AddUnique(TColor color);
    int IndexOf(TColor color) const;
    void Delete(int index);
    TColor GetColor(int index);
    void SetColor(int index, TColor color);
    int GetBitsPerPixel() const;

    int Count() const { return FCount; }
    int Capacity() const { return FCapacity; }
    bool Optimized() const { return FOptimized; }
    // Flags the table as sorted by use.
    void SetOptimized(bool value) { FOptimized = value; }
    const TGIFColor* Data() const { return FColors.data(); }
    const TGIFColor& operator[](int index) const { return FColors.at(static_cast<std::size_t>(index)); }

    void ImportPalette(const TLogPalette* palette);
    void ImportColorMap(const TGIFColor* colors, int count);
    void ImportColorTable(const TRGBQuad* quads, int count);
    // The colour table of the bitmap that would be selected into a device context.
    void ImportDIBColors(const TBitmap& bitmap);
    // Null for an empty table; the caller owns the result.
    TPaletteHandle ExportPalette() const;

    void SaveToStream(TStream& stream) const;
    void LoadFromStream(TStream& stream, int count);
    void Assign(const TGIFColorMap& source);

protected:
    // Orders the entries by decreasing use, remaps the pixels and drops unused trailing entries.
    bool DoOptimize();
    void ResetUses(TColorUses& uses) const;

private:
    // Clear, then count entries from colorOf(i), then one notification (none for 0 entries).
    template <class TColorOf>
    void ImportEntries(int count, TColorOf colorOf);

    std::vector<TGIFColor> FColors;  // FCapacity entries, FCount in use
    int FCount = 0;
    int FCapacity = 0;
    bool FOptimized = false;
};

class TGIFGlobalColorMap : public TGIFColorMap {
public:
    explicit TGIFGlobalColorMap(TGIFHeader* header) : FHeader(header) {}
    void Warning(TGIFSeverity severity, const std::string& message) override;
    void CountColorUses(TColorUses& uses) override;
    void RemapPixels(const TColorMapping& map) override;
    bool OptimizeMap() override;
    void NotifyChanged() override;

private:
    TGIFHeader* FHeader;  // not owned
};

class TGIFLocalColorMap : public TGIFColorMap {
public:
    explicit TGIFLocalColorMap(TGIFSubImage* subImage) : FSubImage(subImage) {}
    void Warning(TGIFSeverity severity, const std::string& message) override;
    void CountColorUses(TColorUses& uses) override;
    void RemapPixels(const TColorMapping& map) override;
    bool OptimizeMap() override { return DoOptimize(); }
    void NotifyChanged() override;

private:
    TGIFSubImage* FSubImage;  // not owned
};
