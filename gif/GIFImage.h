#pragma once
// The GIF document as the model sees its owner: header, frames, warnings, progress and the
// settings that reading and writing use. Conversion from and to bitmaps, drawing and the
// clipboard build on this class.
#include <functional>
#include <memory>
#include <string>

#include "gif/GIFColorReduction.h"
#include "gif/GIFHeader.h"
#include "gif/GIFImageList.h"
#include "gif/GIFSubImage.h"

enum TGIFDrawOption {
    goAsync, goTransparent, goAnimate, goLoop, goLoopContinously, goValidateCanvas, goDirectDraw, goClearOnLoop, goTile,
    goDither, goAutoDither
};
// A set of draw options: bit n = option n.
using TGIFDrawOptions = uint16_t;
constexpr TGIFDrawOptions GIFOption(TGIFDrawOption option) { return static_cast<TGIFDrawOptions>(1u << option); }
constexpr bool HasOption(TGIFDrawOptions options, TGIFDrawOption option) { return (options & GIFOption(option)) != 0; }

enum TGIFOptimizeOption { ooCrop, ooMerge, ooCleanup, ooColorMap, ooReduceColors };
using TGIFOptimizeOptions = uint8_t;
constexpr TGIFOptimizeOptions GIFOptimizeOption(TGIFOptimizeOption option) {
    return static_cast<TGIFOptimizeOptions>(1u << option);
}
constexpr TGIFOptimizeOptions GIFOptimizeAll = 0x1F;

// Defaults that new images take; an application may change them before creating images.
inline TGIFDrawOptions GIFImageDefaultDrawOptions = 0x060F;
inline TColorReduction GIFImageDefaultColorReduction = rmNetscape;
inline int GIFImageDefaultColorReductionBits = 8;
inline TDitherMode GIFImageDefaultDitherMode = dmNearest;
inline TGIFCompression GIFImageDefaultCompression = gcLZW;
inline int GIFImageDefaultAnimationSpeed = 100;
// The display has at most 256 colours; set by the window code at start.
inline bool PaletteDevice = false;
inline bool DoAutoDither = false;
// Frames are rendered as soon as they are read.
inline bool GIFImageRenderOnLoad = false;
// The picture is optimised before it is streamed inside a document.
inline bool GIFImageOptimizeOnStream = false;

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
    void NewImage() { Clear(); }
    // Adds a frame made from the bitmap (and its mask, non-zero = transparent); returns its index.
    int Add(const TBitmap& bitmap, const TBitmap* mask = nullptr);
    // Adds a copy of the frame.
    int Add(const TGIFSubImage& frame);
    // Adopts a frame of this image that is not listed yet; any other frame is copied.
    int Add(std::unique_ptr<TGIFSubImage> frame);
    // Replaces the content by one frame made from the bitmap.
    void Assign(const TBitmap& bitmap, const TBitmap* mask = nullptr);
    void Assign(const TGIFImage& source);
    // The rendered first frame.
    void AssignTo(TBitmap& dest);
    void Pack();
    void Optimize(TGIFOptimizeOptions options, TColorReduction colorReduction, TDitherMode ditherMode, int reductionBits);
    void OptimizeColorMap();

    TGIFHeader& Header() { return *FHeader; }
    TGIFImageList& Images() { return *FImages; }
    TGIFGlobalColorMap& ColorMap() { return FHeader->ColorMap(); }

    // The highest version any frame needs; gvUnknown without frames.
    TGIFVersion GetVersion() const;
    int GetColorResolution() const;
    int GetBitsPerPixel() const;
    int GetWidth() const { return FHeader->GetWidth(); }
    int GetHeight() const { return FHeader->GetHeight(); }
    // Every frame must fit in the new size, else GIFException.
    void SetWidth(int value);
    void SetHeight(int value);
    bool GetEmpty() const { return FImages->GetCount() == 0; }
    bool IsTransparent() const;
    bool DoDither() const;

    // The first frame on the logical screen, cached; null without frames.
    const TBitmap* GetBitmap();
    TBitmap& NewBitmap();
    void FreeBitmap();
    bool GetHasBitmap() const { return FBitmap != nullptr; }
    TPaletteHandle GetPalette();

    TGIFDrawOptions GetDrawOptions() const { return FDrawOptions; }
    void SetDrawOptions(TGIFDrawOptions value);
    TColorReduction GetColorReduction() const { return FColorReduction; }
    void SetColorReduction(TColorReduction value) { FColorReduction = value; }
    TDitherMode GetDitherMode() const { return FDitherMode; }
    void SetDitherMode(TDitherMode value) { FDitherMode = value; }
    int GetReductionBits() const { return FReductionBits; }
    void SetReductionBits(int value);
    int GetAnimationSpeed() const { return FAnimationSpeed; }
    void SetAnimationSpeed(int value);
    TColor GetFillColor() const { return FFillColor; }
    void SetFillColor(TColor value) { FFillColor = value; }
    int GetThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(int value) { FThreadPriority = value; }
    // Called when the animation speed changes, so that a running painter can follow.
    std::function<void(int speed)> OnAnimationSpeed;
    // Called whenever painting must stop before the frames change.
    std::function<void()> OnPaintStop;
    // Called when the painter that Draw started must stop (without waiting for it): the
    // cached bitmap goes, or the draw options change.
    std::function<void()> OnStopDraw;

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

    void PaintStop() {
        if (OnPaintStop) OnPaintStop();
    }
    TPaletteHandle CachedPalette() const { return FPalette; }
    void SetPalette(TPaletteHandle palette);
    bool GetPaletteModified() const { return FPaletteModified; }
    void SetPaletteModified(bool value) { FPaletteModified = value; }

    // Accounts for a frame about to be decoded; raises when it passes the limits.
    void ReserveFramePixels(int64_t count);

    void SaveToStream(TStream& stream);
    // The picture inside a document's stream: optimised first when GIFImageOptimizeOnStream is set.
    void WriteData(TStream& stream);
    void ReadData(TStream& stream) { LoadFromStream(stream); }
    // On failure the stream goes back to where it was; what was read stays.
    void LoadFromStream(TStream& stream);

private:
    std::unique_ptr<TGIFImageList> FImages;
    std::unique_ptr<TGIFHeader> FHeader;
    TPaletteHandle FPalette;
    bool FPaletteModified = false;
    bool FPaletteGuard = false;
    TGIFCompression FCompression = GIFImageDefaultCompression;
    TGIFDrawOptions FDrawOptions = GIFImageDefaultDrawOptions;
    TColorReduction FColorReduction = GIFImageDefaultColorReduction;
    int FReductionBits = GIFImageDefaultColorReductionBits;
    TDitherMode FDitherMode = GIFImageDefaultDitherMode;
    int FAnimationSpeed = GIFImageDefaultAnimationSpeed;
    TColor FFillColor = clNone;
    int FThreadPriority = 0;
    std::unique_ptr<TBitmap> FBitmap;  // rendered first frame; derived state
    TGIFLimits FLimits;
    int64_t FReservedPixels = 0;
};
