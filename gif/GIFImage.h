#pragma once
// The GIF document as the model sees its owner: header, frames, warnings, progress and the
// settings that reading and writing use. Conversion from and to bitmaps, drawing and the
// clipboard build on this class.
#include <functional>
#include <memory>
#include <string>

#include "gif/GIFHeader.h"
#include "gif/GIFImageList.h"
#include "gif/GIFSubImage.h"

using TGIFWarning = std::function<void(const void* sender, TGIFSeverity severity, const std::string& message)>;
using TGIFProgress =
    std::function<void(const void* sender, TProgressStage stage, int percent, bool redraw, const std::string& message)>;

class TGIFImage {
public:
    TGIFImage();
    ~TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    void Clear();
    TGIFHeader& Header() { return *FHeader; }
    TGIFImageList& Images() { return *FImages; }
    TGIFGlobalColorMap& ColorMap() { return FHeader->ColorMap(); }

    // The highest version any frame needs; gvUnknown without frames.
    TGIFVersion GetVersion() const;
    int GetColorResolution() const;
    int GetBitsPerPixel() const;
    int GetWidth() const { return FHeader->GetWidth(); }
    int GetHeight() const { return FHeader->GetHeight(); }
    bool GetEmpty() const { return FImages->GetCount() == 0; }

    TGIFCompression GetCompression() const { return FCompression; }
    void SetCompression(TGIFCompression value) { FCompression = value; }
    TGIFLimits& Limits() { return FLimits; }

    TGIFWarning OnWarning;
    TGIFProgress OnProgress;
    std::function<void()> OnChange;

    // Every item of the image reports its warnings here; dropped without a handler.
    virtual void Warning(const void* sender, TGIFSeverity severity, const std::string& message);
    void Progress(const void* sender, TProgressStage stage, int percent, bool redraw, const std::string& message);
    void Changed();

    TPaletteHandle CachedPalette() const { return FPalette; }
    void SetPalette(TPaletteHandle palette);
    bool GetPaletteModified() const { return FPaletteModified; }
    void SetPaletteModified(bool value) { FPaletteModified = value; }

    // Accounts for a frame about to be decoded; raises when it passes the limits.
    void ReserveFramePixels(int64_t count);

    void SaveToStream(TStream& stream);
    // On failure the stream goes back to where it was; what was read stays.
    void LoadFromStream(TStream& stream);

private:
    std::unique_ptr<TGIFImageList> FImages;
    std::unique_ptr<TGIFHeader> FHeader;
    TPaletteHandle FPalette;
    bool FPaletteModified = false;
    TGIFCompression FCompression = gcLZW;
    TGIFLimits FLimits;
    int64_t FReservedPixels = 0;
};
