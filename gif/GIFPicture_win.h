#pragma once
// The GIF image as a picture of the window code: drawing a frame or the whole image on a
// canvas, animated through painters, the clipboard format and the picture registration.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "gif/GIFImage.h"
#include "ui/Graphic.h"

class TGIFPainter;

// Time for the painter: Now in milliseconds; Sleep waits up to ms (or for ever at -1) and
// returns true when it was woken early. Tests give their own.
struct TGIFPainterClock {
    std::function<uint32_t()> Now;
    std::function<bool(int ms)> Sleep;
};

// The clipboard format "GIF Image", registered by RegisterGIFPicture.
inline UINT CF_GIF = 0;

// Draws a frame onto canvas within rect, which stands for the whole logical screen (unless
// tiling, when the frame is repeated unstretched from rect's corner). With transparent the
// frame's transparent pixels keep the canvas.
void DrawFrame(TGIFSubImage& frame, TCanvas& canvas, const RECT& rect, bool transparent, bool tile);

// Frames made from the system's pictures, drawn at their size onto a 24-bit bitmap that the
// frame then takes (reduced with the owner image's settings): an icon, whose mask marks the
// transparent pixels; an enhanced metafile at its frame size, where the pixels it leaves
// untouched are transparent; any picture of the window code, which is taken as the bitmap
// it gives of itself (palette and transparency kept) and drawn only when it gives none (a
// GIF gives its rendered first frame). A null handle or an empty picture gives an empty
// frame.
void AssignIcon(TGIFSubImage& frame, HICON icon);
void AssignMetafile(TGIFSubImage& frame, HENHMETAFILE metafile);
void AssignGraphic(TGIFSubImage& frame, TGraphic& graphic);

class TGIFGraphic : public TGraphic, public TGIFImage {
public:
    TGIFGraphic();
    ~TGIFGraphic() override;

    int Width() const override { return GetWidth(); }
    int Height() const override { return GetHeight(); }
    bool Empty() const override { return GetEmpty(); }
    bool Transparent() const override { return IsTransparent(); }
    void Draw(TCanvas& canvas, const RECT& rect) override;
    void LoadFromStream(TStream& stream) override { TGIFImage::LoadFromStream(stream); }
    void SaveToStream(TStream& stream) override { TGIFImage::SaveToStream(stream); }

    // The content replaced by one frame made from the picture (see AssignIcon); a GIF
    // picture is copied whole.
    using TGIFImage::Assign;
    void Assign(HICON icon);
    void Assign(HENHMETAFILE metafile);
    void Assign(TGraphic& graphic);

    // A painter of the image within rect of canvas; started unless it ran synchronously
    // (then it has ended and the result is null).
    TGIFPainter* Paint(TCanvas& canvas, const RECT& rect, TGIFDrawOptions options);
    void PaintStart();
    void PaintPause();
    void PaintResume() { PaintStart(); }
    void PaintRestart();
    // Stops every painter and waits for their threads.
    void StopAllPainters();
    // Stops the painter that Draw started.
    void StopDraw();
    int PainterCount();
    TGIFPainter* DrawPainter() { return FDrawPainter; }

    // Runs the painting steps that painter threads handed to this (the window) thread.
    void ServicePainters();

    // The rendered picture as a bitmap (CF_DIB, the format and data given back) and, beside
    // it, the whole GIF as "GIF Image" put on the open clipboard; the bitmap alone when
    // there is no memory for the GIF.
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;
    // Reads "GIF Image" data or a bitmap (CF_DIB or CF_BITMAP).
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;

    // Handed to every painter when it is made (the clock when it is set).
    TGIFPainterClock PainterClock;
    std::function<void(TGIFPainter&)> OnAnimationStart, OnFrameStart, OnFrameEnd, OnAnimationLoop, OnAnimationEnd;

private:
    friend class TGIFPainter;

    // Called by painters: a step waits for the window thread; a frame was painted; the
    // painter's thread has ended.
    void PainterWaiting();
    void PainterPainted(TGIFPainter* painter);
    void PainterEnded(TGIFPainter* painter);

public:
    // Joins and frees a painter whose thread has ended (on the window thread).
    void RetireEnded(TGIFPainter* painter);

private:
    // Clear, then one frame made by assign.
    void AssignFrame(const std::function<void(TGIFSubImage&)>& assign);
    std::unique_ptr<TGIFPainter> InternalPaint(HDC dc, const RECT& rect, TGIFDrawOptions options);
    // Joins and frees a painter taken off the list; while a painting step runs on this
    // thread the painter is only freed once every step has returned.
    void Dispose(std::unique_ptr<TGIFPainter> painter);
    bool Listed(const TGIFPainter* painter) const;
    // The painter is still the one Draw started (so it has not been freed).
    bool StillDrawing(const TGIFPainter* painter);
    void PutBitmap(TCanvas& canvas, const RECT& rect);

    bool FDrawing = false;
    std::recursive_mutex FPaintersLock;
    std::vector<std::unique_ptr<TGIFPainter>> FPainters;
    TGIFPainter* FDrawPainter = nullptr;  // one of FPainters
    int FServiceDepth = 0;                // painting steps running (ServicePainters)
    std::vector<std::unique_ptr<TGIFPainter>> FRetired;  // stopped while a step ran
    std::unique_ptr<TDibSection> FSurface;  // what the draw painter paints on, screen sized
    HWND FSyncWindow = nullptr;           // receives the painters' hand-over messages
};

// At start: the "GIF" picture format and the "GIF Image" clipboard format, and whether the
// display needs dithering.
void RegisterGIFPicture();
