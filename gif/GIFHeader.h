#pragma once
// The GIF header: signature and version, the logical screen descriptor and the global colour table.
#include <cstdint>

#include "gif/GIFColorMap.h"
#include "gif/GIFItem.h"

// The 7 bytes of the logical screen descriptor as stored.
struct TGIFLogicalScreenDescriptor {
    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    uint8_t PackedFields = 0;  // bit 7 table flag, 6-4 colour resolution, 3 sort flag, 2-0 size
    uint8_t BackgroundColorIndex = 0;
    uint8_t AspectRatio = 0;
};

class TGIFHeader : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image);

    void Clear();
    void Assign(const TGIFHeader& source);
    void Assign(const TGIFColorMap& source);
    TGIFVersion GetVersion() const override;

    TColor GetBackgroundColor();
    void SetBackgroundColor(TColor color);
    int GetBackgroundColorIndex() const { return FLogicalScreenDescriptor.BackgroundColorIndex; }
    void SetBackgroundColorIndex(int index);
    int GetAspectRatio() const { return FLogicalScreenDescriptor.AspectRatio; }
    void SetAspectRatio(int value) { FLogicalScreenDescriptor.AspectRatio = static_cast<uint8_t>(value); }
    int GetWidth() const { return FLogicalScreenDescriptor.ScreenWidth; }
    int GetHeight() const { return FLogicalScreenDescriptor.ScreenHeight; }
    void SetWidth(int value) { FLogicalScreenDescriptor.ScreenWidth = static_cast<uint16_t>(value); }
    void SetHeight(int value) { FLogicalScreenDescriptor.ScreenHeight = static_cast<uint16_t>(value); }
    int GetBitsPerPixel() const { return FColorMap.GetBitsPerPixel(); }
    int GetColorResolution() const { return GetBitsPerPixel() - 1; }
    const TGIFLogicalScreenDescriptor& Descriptor() const { return FLogicalScreenDescriptor; }

    TGIFGlobalColorMap& ColorMap() { return FColorMap; }
    const TGIFGlobalColorMap& ColorMap() const { return FColorMap; }

    // Rewrites the packed byte from the table and the owner image.
    void Prepare();
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

private:
    TGIFLogicalScreenDescriptor FLogicalScreenDescriptor;
    TGIFGlobalColorMap FColorMap;
};
