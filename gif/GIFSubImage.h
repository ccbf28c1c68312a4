#pragma once
// One frame of a GIF image: descriptor, local colour table, 8-bit pixels and its extensions.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "base/Bitmap.h"
#include "gif/GIFColorMap.h"
#include "gif/GIFItem.h"

class TGIFExtension;
class TGIFGraphicControlExtension;
class TGIFSubImage;

// Rectangle with exclusive right and bottom.
struct TGIFRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TGIFRect&, const TGIFRect&) = default;
};

// The 10 bytes of an image descriptor as stored.
struct TGIFImageDescriptor {
    uint8_t Separator = 0x2C;
    uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t PackedFields = 0;  // bit 7 table flag, 6 interlace, 5 sort flag, 4-3 reserved, 2-0 size
};

// Whether a bitmap's colour table holds the palette's colours; a palette made of a colour table.
bool SameColors(const TBitmap& bitmap, const TLogPalette* palette);
TPaletteHandle PaletteOfColors(const std::vector<TRGBQuad>& colors);

class TGIFExtensionList : public TGIFList {
public:
    using TGIFList::TGIFList;
    TGIFExtension* GetExtension(int index) const;
    std::unique_ptr<TGIFItem> SetExtension(int index, std::unique_ptr<TGIFExtension> extension);
    // Reads the extensions in front of one image descriptor; leaves the stream at the next block.
    void LoadFromStream(TStream& stream, TGIFSubImage& parent);
};

class TGIFSubImage : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    void Clear();
    bool GetEmpty() const;
    void NewImage();
    void FreeImage();
    void NeedImage();
    bool GetHasBitmap() const { return FBitmap != nullptr; }
    TBitmap& NewBitmap();
    void FreeBitmap() { FBitmap.reset(); }
    void FreeMask();

    int GetBounds(int index) const;
    void SetBounds(int index, int value);
    void DoSetBounds(int left, int top, int width, int height);
    int GetLeft() const { return FImageDescriptor.Left; }
    int GetTop() const { return FImageDescriptor.Top; }
    int GetWidth() const { return FImageDescriptor.Width; }
    int GetHeight() const { return FImageDescriptor.Height; }
    TGIFRect GetBoundsRect() const;
    void SetBoundsRect(const TGIFRect& rect);
    TGIFRect GetClientRect() const { return {0, 0, GetWidth(), GetHeight()}; }
    // Maps the bounds into rect, which stands for the whole logical screen.
    TGIFRect ScaleRect(const TGIFRect& rect) const;

    uint8_t* GetScanline(int row);
    uint8_t GetPixel(int x, int y);
    std::span<uint8_t> Pixels() { return FData; }
    std::span<const uint8_t> Pixels() const { return FData; }
    // Applies map to every pixel and, when transparent, to the transparent index.
    void RemapPixels(const TColorMapping& map);

    TGIFColorMap& GetActiveColorMap();
    TGIFLocalColorMap& ColorMap() { return FColorMap; }
    int GetBitsPerPixel() const { return FColorMap.GetBitsPerPixel(); }
    int GetColorResolution() const { return GetBitsPerPixel() - 1; }
    bool GetInterlaced() const { return (FImageDescriptor.PackedFields & 0x40) != 0; }
    void SetInterlaced(bool value);
    TGIFVersion GetVersion() const override;
    const TGIFImageDescriptor& Descriptor() const { return FImageDescriptor; }

    TPaletteHandle CachedPalette() const { return FPalette; }
    void SetPalette(TPaletteHandle palette);

    TGIFExtensionList& Extensions() { return FExtensions; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { FTransparent = value; }
    TGIFGraphicControlExtension* GraphicControlExtension() const { return FGraphicControlExtension; }
    void SetGraphicControlExtension(TGIFGraphicControlExtension* extension) { FGraphicControlExtension = extension; }

    // Conversion and rendering.
    // A copy of another frame: descriptor, pixels, tables, extensions and cached bitmap.
    void Assign(const TGIFSubImage& source);
    // The bitmap's pixels and colour table; a bitmap of more than 8 bits is reduced with the
    // owner image's settings first. Non-zero pixels of mask (when given) become transparent.
    void Assign(const TBitmap& bitmap, const TBitmap* mask = nullptr);
    // Gives the pixels where mask is not zero a new black entry and makes them transparent.
    void ApplyMask(const TBitmap& mask);
    // The rendered picture (8 bits per pixel), cached; null for an empty frame or when the
    // progress handler cancels.
    const TBitmap* GetBitmap();
    void SetBitmap(const TBitmap* bitmap);
    // The rendered picture into target (empty when there is none).
    void AssignTo(TBitmap& target);
    // The transparent pixels as a 1-bit bitmap (bit set = transparent), or null.
    const TBitmap* Mask() const { return FMask.get(); }
    bool HasMask();
    TPaletteHandle GetPalette();
    // Cuts away transparent rows and columns at the edges; clears a wholly transparent frame.
    void Crop();
    // Makes transparent the pixels that show the same colour as previous at the same place.
    void Merge(TGIFSubImage* previous);
    // The transparent index when the frame is transparent, else -1.
    int TransparentIndex() const;

    void Prepare();
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    void Compress(TStream& stream);
    void Decompress(TStream& stream);

private:
    std::unique_ptr<TBitmap> DoGetBitmap();
    std::unique_ptr<TBitmap> DoGetDitherBitmap();
    void ReadBitmapPixels(const TBitmap& bitmap);
    void BuildMask();
    bool UsesIndex(int index) const;

    std::unique_ptr<TBitmap> FBitmap;  // rendered or converted picture; derived state
    std::unique_ptr<TBitmap> FMask;    // transparent pixels, 1 bit; derived state
    bool FNeedMask = true;
    TPaletteHandle FPalette;           // derived state
    std::vector<uint8_t> FData;        // width x height colour indexes, top row first
    TGIFLocalColorMap FColorMap;
    TGIFImageDescriptor FImageDescriptor;
    TGIFExtensionList FExtensions;
    bool FTransparent = false;
    TGIFGraphicControlExtension* FGraphicControlExtension = nullptr;  // held in FExtensions
};
