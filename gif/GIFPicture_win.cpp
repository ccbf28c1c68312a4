#include "gif/GIFPicture_win.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "gif/GIFDIB_win.h"
#include "gif/GIFPainter_win.h"
#include "gif/GIFUtil.h"
#include "ui/Clipboard.h"

namespace {
constexpr UINT WM_GIF_SERVICE = WM_APP + 0x47;  // a painter waits for a step
constexpr UINT WM_GIF_ENDED = WM_APP + 0x48;    // a painter's thread has ended
constexpr wchar_t SyncClassName[] = L"TamsoloGIFPainterSync";

LRESULT CALLBACK SyncWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* image = reinterpret_cast<TGIFGraphic*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (image && msg == WM_GIF_SERVICE) {
        image->ServicePainters();
        return 0;
    }
    if (image && msg == WM_GIF_ENDED) {
        image->ServicePainters();
        image->RetireEnded(reinterpret_cast<TGIFPainter*>(wParam));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateSyncWindow(TGIFGraphic* image) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = SyncWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = SyncClassName;
        return RegisterClassW(&wc);
    }();
    if (!atom) return nullptr;
    HWND hwnd = CreateWindowExW(0, SyncClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd) SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(image));
    return hwnd;
}

bool EmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

// The contents of a DIB section as a 24-bit bitmap.
void CopySurface(const TDibSection& surface, TBitmap& bitmap) {
    GdiFlush();
    bitmap = TBitmap(surface.Width(), surface.Height(), TPixelFormat::pf24bit);
    for (int y = 0; y < surface.Height(); ++y) {
        const uint32_t* src = const_cast<TDibSection&>(surface).Pixels() + static_cast<std::size_t>(y) * surface.Width();
        uint8_t* dst = bitmap.ScanLine(y);
        for (int x = 0; x < surface.Width(); ++x) {
            dst[3 * x] = static_cast<uint8_t>(src[x]);
            dst[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
            dst[3 * x + 2] = static_cast<uint8_t>(src[x] >> 16);
        }
    }
}
}  // namespace

void DrawFrame(TGIFSubImage& frame, TCanvas& canvas, const RECT& rect, bool transparent, bool tile) {
    RECT target = rect;
    if (!tile) {
        TGIFRect scaled = frame.ScaleRect(TGIFRect{rect.left, rect.top, rect.right, rect.bottom});
        target = RECT{scaled.Left, scaled.Top, scaled.Right, scaled.Bottom};
    }
    const bool masked = transparent && frame.Transparent() && frame.HasMask();
    const TBitmap* bitmap = frame.GetBitmap();
    if (!bitmap || EmptyRect(target)) return;
    auto put = [&](const RECT& r) {
        if (masked && frame.Mask())
            canvas.StretchDrawMasked(r, *bitmap, *frame.Mask());
        else
            canvas.StretchDraw(r, *bitmap);
    };
    if (!tile) {
        put(target);
        return;
    }
    const int w = frame.GetWidth(), h = frame.GetHeight();
    if (w <= 0 || h <= 0) return;
    const int saved = SaveDC(canvas.Handle());
    IntersectClipRect(canvas.Handle(), target.left, target.top, target.right, target.bottom);
    for (int y = target.top; y < target.bottom; y += h)
        for (int x = target.left; x < target.right; x += w) put(RECT{x, y, x + w, y + h});
    RestoreDC(canvas.Handle(), saved);
}

namespace {
// A surface of the picture's size drawn by draw on the given background, as a 24-bit bitmap.
TBitmap DrawnBitmap(int width, int height, COLORREF background, const std::function<void(HDC)>& draw) {
    TDibSection surface(width, height);
    TCanvas(surface.DC()).FillRect(RECT{0, 0, width, height}, static_cast<TColor>(background));
    draw(surface.DC());
    TBitmap bitmap;
    CopySurface(surface, bitmap);
    return bitmap;
}

// An 8-bit mask, 1 where the pixels of the two drawings differ (or, with one drawing, where
// it is not black).
TBitmap MaskOf(const TBitmap& a, const TBitmap* b) {
    TBitmap mask(a.Width(), a.Height(), TPixelFormat::pf8bit);
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const TColor p = a.Pixel(x, y) & 0xFFFFFF;
            const bool set = b ? p != (b->Pixel(x, y) & 0xFFFFFF) : p != 0;
            mask.SetPixelIndex(x, y, set ? 1 : 0);
        }
    return mask;
}
}  // namespace

void AssignIcon(TGIFSubImage& frame, HICON icon) {
    frame.Clear();
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return;
    TGdiObject color(info.hbmColor), maskHandle(info.hbmMask);
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    const int width = bm.bmWidth, height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    if (width <= 0 || height <= 0) return;
    TBitmap picture = DrawnBitmap(width, height, RGB(0, 0, 0), [&](HDC dc) {
        if (!DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL)) RaiseOutOfResources();
    });
    // The icon's own mask: white where the icon is transparent.
    TBitmap mask = DrawnBitmap(width, height, RGB(0, 0, 0), [&](HDC dc) {
        TMemDC source(CheckResource(CreateCompatibleDC(dc)));
        TSelectObject select(source.Get(), info.hbmMask);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        BitBlt(dc, 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
    });
    const TBitmap transparent = MaskOf(mask, nullptr);
    frame.Assign(picture, &transparent);
}

void AssignMetafile(TGIFSubImage& frame, HENHMETAFILE metafile) {
    frame.Clear();
    ENHMETAHEADER header{};
    if (!metafile || !GetEnhMetaFileHeader(metafile, sizeof header, &header)) return;
    // The frame is in 0.01 mm; the picture takes the screen's resolution.
    int dpiX = 96, dpiY = 96;
    {
        TWindowDC screen(nullptr);
        if (HDC dc = screen.Get()) {
            dpiX = GetDeviceCaps(dc, LOGPIXELSX);
            dpiY = GetDeviceCaps(dc, LOGPIXELSY);
        }
    }
    const int width = MulDiv(header.rclFrame.right - header.rclFrame.left, dpiX, 2540);
    const int height = MulDiv(header.rclFrame.bottom - header.rclFrame.top, dpiY, 2540);
    if (width <= 0 || height <= 0) return;
    auto play = [&](HDC dc) {
        RECT r{0, 0, width, height};
        if (!PlayEnhMetaFile(dc, metafile, &r)) RaiseOutOfResources();
    };
    const TBitmap white = DrawnBitmap(width, height, RGB(255, 255, 255), play);
    const TBitmap black = DrawnBitmap(width, height, RGB(0, 0, 0), play);
    // Where the two drawings differ the metafile left the background.
    const TBitmap transparent = MaskOf(white, &black);
    frame.Assign(white, &transparent);
}

void AssignGraphic(TGIFSubImage& frame, TGraphic& graphic) {
    frame.Clear();
    if (graphic.Empty()) return;
    if (auto* gif = dynamic_cast<TGIFGraphic*>(&graphic)) {
        if (const TBitmap* bitmap = gif->GetBitmap()) frame.Assign(*bitmap);
        return;
    }
    // The picture's own copy first: its palette and its transparency are kept.
    TBitmap bitmap, mask;
    if (graphic.AssignToBitmap(bitmap, mask) && !bitmap.Empty()) {
        frame.Assign(bitmap, mask.Empty() ? nullptr : &mask);
        return;
    }
    const int width = graphic.Width(), height = graphic.Height();
    if (width <= 0 || height <= 0) return;
    frame.Assign(DrawnBitmap(width, height, RGB(255, 255, 255), [&](HDC dc) {
        TCanvas canvas(dc);
        graphic.Draw(canvas, RECT{0, 0, width, height});
    }));
}

void TGIFGraphic::AssignFrame(const std::function<void(TGIFSubImage&)>& assign) {
    Clear();
    auto frame = std::make_unique<TGIFSubImage>(this);
    assign(*frame);
    TGIFImage::Add(std::move(frame));
}

void TGIFGraphic::Assign(HICON icon) {
    AssignFrame([&](TGIFSubImage& frame) { AssignIcon(frame, icon); });
}

void TGIFGraphic::Assign(HENHMETAFILE metafile) {
    AssignFrame([&](TGIFSubImage& frame) { AssignMetafile(frame, metafile); });
}

void TGIFGraphic::Assign(TGraphic& graphic) {
    if (&graphic == this) return;
    if (auto* gif = dynamic_cast<TGIFGraphic*>(&graphic)) {
        TGIFImage::Assign(static_cast<const TGIFImage&>(*gif));
        return;
    }
    AssignFrame([&](TGIFSubImage& frame) { AssignGraphic(frame, graphic); });
}

TGIFGraphic::TGIFGraphic() {
    FSyncWindow = CreateSyncWindow(this);
    OnPaintStop = [this] { StopAllPainters(); };
    OnAnimationSpeed = [this](int speed) {
        std::lock_guard lock(FPaintersLock);
        if (FDrawPainter) FDrawPainter->SetAnimationSpeed(speed);
    };
    OnStopDraw = [this] {
        std::lock_guard lock(FPaintersLock);
        if (FDrawPainter) FDrawPainter->Stop();
    };
}

TGIFGraphic::~TGIFGraphic() {
    StopAllPainters();
    OnPaintStop = nullptr;
    OnAnimationSpeed = nullptr;
    OnStopDraw = nullptr;
    if (FSyncWindow) DestroyWindow(FSyncWindow);
}

void TGIFGraphic::PutBitmap(TCanvas& canvas, const RECT& rect) {
    const TBitmap* bitmap = GetBitmap();
    if (!bitmap) return;
    if (!HasOption(GetDrawOptions(), goTile)) {
        canvas.StretchDraw(rect, *bitmap);
        return;
    }
    const int w = GetWidth(), h = GetHeight();
    if (w <= 0 || h <= 0) return;
    for (int x = rect.left; x < rect.right; x += w)
        for (int y = rect.top; y < rect.bottom; y += h) canvas.StretchDraw(RECT{x, y, x + w, y + h}, *bitmap);
}

void TGIFGraphic::Draw(TCanvas& canvas, const RECT& rect) {
    if (FDrawing || GetEmpty()) return;
    FDrawing = true;
    struct TReset {
        bool& Flag;
        ~TReset() { Flag = false; }
    } reset{FDrawing};
    const TGIFDrawOptions options = GetDrawOptions();
    if (Images().GetCount() == 1 || !HasOption(options, goAnimate)) {
        DrawFrame(*Images().GetImage(0), canvas, rect, HasOption(options, goTransparent), HasOption(options, goTile));
        return;
    }
    const bool direct = HasOption(options, goDirectDraw);
    if (GetHasBitmap() && !direct) {
        PutBitmap(canvas, rect);
        return;
    }
    {
        std::lock_guard lock(FPaintersLock);
        if (FDrawPainter && FDrawPainter->Canvas() == canvas.Handle() && EqualRect(&FDrawPainter->Rect(), &rect)) return;
    }
    StopDraw();
    HDC target = canvas.Handle();
    RECT area = rect;
    if (!direct) {
        // The painter paints on a surface of the screen's size, which then becomes the bitmap.
        FSurface = std::make_unique<TDibSection>(std::max(1, GetWidth()), std::max(1, GetHeight()));
        SetStretchBltMode(FSurface->DC(), COLORONCOLOR);
        StretchBlt(FSurface->DC(), 0, 0, FSurface->Width(), FSurface->Height(), canvas.Handle(), rect.left, rect.top,
                   rect.right - rect.left, rect.bottom - rect.top, SRCCOPY);
        target = FSurface->DC();
        area = RECT{0, 0, FSurface->Width(), FSurface->Height()};
    }
    std::unique_ptr<TGIFPainter> painter = InternalPaint(target, area, options);
    if (painter) {
        TGIFPainter* p = painter.get();
        {
            std::lock_guard lock(FPaintersLock);
            FPainters.push_back(std::move(painter));
            FDrawPainter = p;
        }
        p->Start();
        if (direct) return;
        // Until the first frame is painted, the painter's steps are run here. A step may
        // stop the painter (a handler calling StopDraw), which then is freed: it is only
        // looked at while it is still the draw painter.
        while (StillDrawing(p) && !p->Painted() && !p->Ended()) {
            ServicePainters();
            MSG msg;
            if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            std::this_thread::yield();
        }
        // A painter stopped before its first frame leaves no picture: the image's own is shown.
        if (!StillDrawing(p)) {
            PutBitmap(canvas, rect);
            return;
        }
    }
    if (direct) return;
    if (FSurface) CopySurface(*FSurface, NewBitmap());
    PutBitmap(canvas, rect);
}

std::unique_ptr<TGIFPainter> TGIFGraphic::InternalPaint(HDC dc, const RECT& rect, TGIFDrawOptions options) {
    if (GetEmpty() || EmptyRect(rect)) return nullptr;
    if (Images().GetCount() == 1) options &= static_cast<TGIFDrawOptions>(~(GIFOption(goAsync) | GIFOption(goAnimate)));
    auto painter = std::make_unique<TGIFPainter>(*this, options, rect, dc);
    if (PainterClock.Now) painter->Clock = PainterClock;
    painter->OnAnimationStart = OnAnimationStart;
    painter->OnFrameStart = OnFrameStart;
    painter->OnFrameEnd = OnFrameEnd;
    painter->OnAnimationLoop = OnAnimationLoop;
    painter->OnAnimationEnd = OnAnimationEnd;
    if (HasOption(options, goAsync)) return painter;
    // Synchronous: it plays to its end here; what ended it is raised here.
    TGIFPainter* p = painter.get();
    {
        std::lock_guard lock(FPaintersLock);
        FPainters.push_back(std::move(painter));
    }
    p->Execute();
    std::unique_ptr<TGIFPainter> done;
    {
        std::lock_guard lock(FPaintersLock);
        auto it = std::find_if(FPainters.begin(), FPainters.end(), [&](const auto& q) { return q.get() == p; });
        if (it != FPainters.end()) {
            done = std::move(*it);
            FPainters.erase(it);
        }
    }
    if (done && done->Error()) std::rethrow_exception(done->Error());
    return nullptr;
}

TGIFPainter* TGIFGraphic::Paint(TCanvas& canvas, const RECT& rect, TGIFDrawOptions options) {
    std::unique_ptr<TGIFPainter> painter = InternalPaint(canvas.Handle(), rect, options);
    if (!painter) return nullptr;
    TGIFPainter* p = painter.get();
    {
        std::lock_guard lock(FPaintersLock);
        FPainters.push_back(std::move(painter));
    }
    p->Start();
    return p;
}

void TGIFGraphic::PaintStart() {
    std::lock_guard lock(FPaintersLock);
    for (auto& p : FPainters) p->Start();
}

void TGIFGraphic::PaintPause() {
    std::lock_guard lock(FPaintersLock);
    for (auto& p : FPainters) p->Suspend();
}

void TGIFGraphic::PaintRestart() {
    std::lock_guard lock(FPaintersLock);
    for (auto& p : FPainters) p->Restart();
}

int TGIFGraphic::PainterCount() {
    std::lock_guard lock(FPaintersLock);
    return static_cast<int>(FPainters.size());
}

void TGIFGraphic::StopAllPainters() {
    std::vector<std::unique_ptr<TGIFPainter>> stopped;
    {
        std::lock_guard lock(FPaintersLock);
        // A synchronous painter is running further up this thread's stack: it is only told to stop.
        for (auto it = FPainters.rbegin(); it != FPainters.rend(); ++it) (*it)->Stop();
        for (auto it = FPainters.begin(); it != FPainters.end();) {
            if ((*it)->Async()) {
                stopped.push_back(std::move(*it));
                it = FPainters.erase(it);
            } else {
                ++it;
            }
        }
        FDrawPainter = nullptr;
    }
    for (auto& p : stopped) Dispose(std::move(p));
    FreeBitmap();
}

void TGIFGraphic::StopDraw() {
    std::unique_ptr<TGIFPainter> painter;
    {
        std::lock_guard lock(FPaintersLock);
        if (FDrawPainter) {
            FDrawPainter->Stop();
            auto it = std::find_if(FPainters.begin(), FPainters.end(), [&](const auto& q) { return q.get() == FDrawPainter; });
            if (it != FPainters.end() && (*it)->Async()) {
                painter = std::move(*it);
                FPainters.erase(it);
            }
            FDrawPainter = nullptr;
        }
    }
    if (painter) Dispose(std::move(painter));
    FreeBitmap();
}

void TGIFGraphic::Dispose(std::unique_ptr<TGIFPainter> painter) {
    painter->Join();
    std::lock_guard lock(FPaintersLock);
    if (FServiceDepth > 0) FRetired.push_back(std::move(painter));
}

bool TGIFGraphic::StillDrawing(const TGIFPainter* painter) {
    // Only Draw makes a draw painter and it does not nest, so no new painter can take the
    // address of one freed meanwhile.
    std::lock_guard lock(FPaintersLock);
    return FDrawPainter == painter;
}

bool TGIFGraphic::Listed(const TGIFPainter* painter) const {
    return std::any_of(FPainters.begin(), FPainters.end(), [&](const auto& q) { return q.get() == painter; });
}

void TGIFGraphic::ServicePainters() {
    std::lock_guard lock(FPaintersLock);
    ++FServiceDepth;
    TScopeExit done([this] {
        if (--FServiceDepth == 0) FRetired.clear();
    });
    // A step may stop painters (an event handler calling StopDraw or StopAllPainters): a
    // painter taken off the list runs no further step, and lives until the steps return.
    std::vector<TGIFPainter*> listed;
    for (const auto& p : FPainters) listed.push_back(p.get());
    for (TGIFPainter* p : listed)
        if (Listed(p)) p->RunPending();
}

void TGIFGraphic::PainterWaiting() {
    if (FSyncWindow) PostMessageW(FSyncWindow, WM_GIF_SERVICE, 0, 0);
}

void TGIFGraphic::PainterPainted(TGIFPainter* painter) {
    if (painter != FDrawPainter || !FSurface || painter->Canvas() != FSurface->DC()) return;
    CopySurface(*FSurface, NewBitmap());
    Changed();
}

void TGIFGraphic::PainterEnded(TGIFPainter* painter) {
    if (FSyncWindow) PostMessageW(FSyncWindow, WM_GIF_ENDED, reinterpret_cast<WPARAM>(painter), 0);
}

void TGIFGraphic::RetireEnded(TGIFPainter* painter) {
    std::unique_ptr<TGIFPainter> done;
    {
        std::lock_guard lock(FPaintersLock);
        // The message may be older than the painter now at that address: only an ended one goes.
        auto it = std::find_if(FPainters.begin(), FPainters.end(), [&](const auto& q) { return q.get() == painter; });
        if (it == FPainters.end() || !(*it)->Ended()) return;
        done = std::move(*it);
        FPainters.erase(it);
        if (FDrawPainter == painter) FDrawPainter = nullptr;
    }
    Dispose(std::move(done));
}

void TGIFGraphic::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
    format = 0;
    data = nullptr;
    palette = nullptr;
    if (GetEmpty()) return;
    const TBitmap* bitmap = GetBitmap();
    if (!bitmap) return;
    data = BitmapToGlobalDib(*bitmap);
    if (!data) RaiseGIFError("Failed to store GIF on clipboard");
    format = CF_DIB;
    try {
        TMemoryStream stream;
        SaveToStream(stream);
        HGLOBAL block = GlobalAlloc(GHND, static_cast<SIZE_T>(stream.Size()));
        if (!block) return;  // the bitmap alone
        TScopeFail freeBlock([&] { GlobalFree(block); });
        void* p = GlobalLock(block);
        if (!p) RaiseGIFError("Failed to store GIF on clipboard");
        std::memcpy(p, stream.Memory(), static_cast<std::size_t>(stream.Size()));
        GlobalUnlock(block);
        if (!SetClipboardData(CF_GIF, block)) RaiseGIFError("Failed to store GIF on clipboard");
    } catch (...) {
        GlobalFree(data);
        data = nullptr;
        format = 0;
        throw;
    }
}

void TGIFGraphic::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
    if (!data && format) data = GetClipboardData(format);
    if (data && format == CF_GIF && CF_GIF) {
        SIZE_T size = GlobalSize(data);
        const void* p = GlobalLock(data);
        if (!p) RaiseGIFError(sUnsupportedClipboardData);
        TMemoryStream stream;
        {
            TScopeExit unlock([&] { GlobalUnlock(data); });
            stream.WriteBuffer(p, static_cast<int64_t>(size));
        }
        stream.SetPosition(0);
        TGIFImage::LoadFromStream(stream);
        return;
    }
    if (data && (format == CF_DIB || format == CF_BITMAP)) {
        TBitmap bitmap;
        if (!ClipboardDataToBitmap(format, data, palette, bitmap)) RaiseGIFError(sUnsupportedClipboardData);
        Assign(bitmap);
        return;
    }
    RaiseGIFError(sUnsupportedClipboardData);
}

void RegisterGIFPicture() {
    static bool done = false;
    if (done) return;
    done = true;
    TPicture::RegisterFileFormat("GIF", "GIF Image", [] { return std::make_unique<TGIFGraphic>(); });
    CF_GIF = RegisterClipboardFormatW(L"GIF Image");
    if (CF_GIF) TPicture::RegisterClipboardFormat(CF_GIF, [] { return std::make_unique<TGIFGraphic>(); });
    TWindowDC screen(nullptr);
    if (HDC dc = screen.Get()) {
        PaletteDevice = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) <= 8;
        DoAutoDither = PaletteDevice;
    }
}
