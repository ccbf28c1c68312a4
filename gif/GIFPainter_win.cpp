#include "gif/GIFPainter_win.h"

#include <algorithm>
#include <mmsystem.h>

#include "base/SystemLibrary_win.h"

#include "gif/GIFExtensions.h"

namespace {
RECT ToRect(const TGIFRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

// Disposal values 4 to 7 are reserved: they are played as "no disposal".
TDisposalMethod Known(TDisposalMethod d) { return d > dmPrevious ? dmNoDisposal : d; }
}  // namespace

TGIFPainter::TGIFPainter(TGIFGraphic& image, TGIFDrawOptions options, const RECT& rect, HDC canvas)
    : FImage(image), FCanvas(canvas), FRect(rect), FOptions(options), FSpeed(image.GetAnimationSpeed()),
      FPriority(image.GetThreadPriority()) {
    const int count = image.Images().GetCount();
    FHasWakeEvent = HasOption(options, goAsync) && HasOption(options, goAnimate) && count > 1 && FSpeed >= 0;

    if (image.GetFillColor() != clNone)
        FBackground = ColorToRGB(image.GetFillColor());
    else if (image.ColorMap().Count() == 0)
        FBackground = GetSysColor(COLOR_WINDOW);
    else
        FBackground = ColorToRGB(image.Header().GetBackgroundColor());

    bool background = HasOption(options, goClearOnLoop), previous = false;
    for (int i = 0; i < count; ++i)
        if (TGIFGraphicControlExtension* gce = image.Images().GetImage(i)->GraphicControlExtension()) {
            background |= gce->GetDisposal() == dmBackground;
            previous |= gce->GetDisposal() == dmPrevious;
        }
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    auto copyOfCanvas = [&]() {
        auto copy = std::make_unique<TDibSection>(width, height);
        BitBlt(copy->DC(), 0, 0, width, height, canvas, rect.left, rect.top, SRCCOPY);
        return copy;
    };
    if (background && HasOption(options, goTransparent)) FBackgroundCopy = copyOfCanvas();
    if (background || previous) {
        FBuffer = copyOfCanvas();
        FSavedState = std::make_unique<TDibSection>(width, height);
        TGdiObject brush(CreateSolidBrush(FBackground));
        RECT all{0, 0, width, height};
        FillRect(FSavedState->DC(), &all, static_cast<HBRUSH>(brush.Get()));
    }
}

TGIFPainter::~TGIFPainter() {
    Stop();
    Join();
    if (FThreadHandle) CloseHandle(FThreadHandle);
}

void TGIFPainter::Start() {
    if (!Async()) return;
    {
        std::lock_guard lock(FLock);
        FSuspended = false;
    }
    FSignal.notify_all();
    if (!FThread.joinable() && !FEnded) {
        FThread = std::thread([this] {
            HANDLE self = nullptr;
            DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE,
                            DUPLICATE_SAME_ACCESS);
            {
                std::lock_guard lock(FLock);
                FThreadHandle = self;
                if (!FTerminated) SetThreadPriority(GetCurrentThread(), FPriority);
            }
            Execute();
            FEnded = true;
            FImage.PainterEnded(this);
        });
    }
}

void TGIFPainter::Stop() {
    FTerminated = true;
    {
        std::lock_guard lock(FLock);
        FWake = true;
        FSuspended = false;
        if (FThreadHandle) SetThreadPriority(FThreadHandle, THREAD_PRIORITY_NORMAL);
    }
    FSignal.notify_all();
}

void TGIFPainter::Restart() {
    FRestart = true;
    std::lock_guard lock(FLock);
    FSuspended = false;
    FSignal.notify_all();
}

void TGIFPainter::Suspend() {
    {
        std::lock_guard lock(FLock);
        if (Async()) FSuspended = true;
    }
    FSignal.notify_all();  // a delay being waited holds at once
}

void TGIFPainter::Join() {
    if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
}

void TGIFPainter::SetAnimationSpeed(int speed) {
    speed = std::clamp(speed, 0, 1000);
    if (speed == FSpeed) return;
    FSpeed = speed;
    if (FHasWakeEvent) {
        {
            std::lock_guard lock(FLock);
            FWake = true;
        }
        FSignal.notify_all();
    } else {
        FRestart = true;
    }
}

void TGIFPainter::SetActiveImage(int index) {
    if (index >= 0 && index < FImage.Images().GetCount()) FActiveImage = index;
}

uint32_t TGIFPainter::Now() {
    if (Clock.Now) return Clock.Now();
    return Winmm().GetTime ? Winmm().GetTime() : GetTickCount();  // both count milliseconds since the system started
}

bool TGIFPainter::SleepFor(int ms) {
    if (Clock.Sleep) return Clock.Sleep(ms);
    using std::chrono::steady_clock;
    std::unique_lock lock(FLock);
    auto deadline = steady_clock::now() + std::chrono::milliseconds(std::max(ms, 0));
    bool early = false;
    for (;;) {
        auto ends = [this] { return FWake || FTerminated.load() || FSuspended; };
        const bool ended = ms < 0 ? (FSignal.wait(lock, ends), true) : FSignal.wait_until(lock, deadline, ends);
        if (!ended) break;
        if (FWake || FTerminated) {
            early = true;
            break;
        }
        // Paused: the rest of the delay is waited once the painter is resumed.
        const auto left = deadline - steady_clock::now();
        FSignal.wait(lock, [this] { return !FSuspended || FTerminated.load(); });
        deadline = steady_clock::now() + std::max(left, steady_clock::duration::zero());
        early = true;  // the time measured across the pause is no drift
    }
    FWake = false;
    return early;
}

void TGIFPainter::WaitWhileSuspended() {
    std::unique_lock lock(FLock);
    FSignal.wait(lock, [this] { return !FSuspended || FTerminated.load(); });
}

void TGIFPainter::DoSynchronize(const std::function<void()>& step) {
    if (FTerminated) return;
    if (!Async()) {
        step();
        return;
    }
    std::unique_lock lock(FLock);
    FPending = step;
    FPendingDone = false;
    FImage.PainterWaiting();
    FSignal.wait(lock, [this] { return FPendingDone || FTerminated.load(); });
    FPending = nullptr;  // a step not taken by then is dropped
}

void TGIFPainter::RunPending() {
    std::function<void()> step;
    {
        std::lock_guard lock(FLock);
        step = std::move(FPending);
        FPending = nullptr;
    }
    if (!step) return;
    try {
        step();
    } catch (...) {
        FError = std::current_exception();
        FTerminated = true;
    }
    {
        std::lock_guard lock(FLock);
        FPendingDone = true;
    }
    FSignal.notify_all();
}

void TGIFPainter::Fire(const TNotifyEvent& event) {
    if (event) DoSynchronize([&] { event(*this); });
}

void TGIFPainter::WaitDelay(int delay, uint32_t& lastTime, int& lastWait, TGIFSubImage& frame) {
    if (delay < 1) {
        std::this_thread::yield();
        return;
    }
    DoSynchronize([&] { frame.GetBitmap(); });
    const uint32_t now = Now();
    const int speed = FSpeed;
    int wait;
    if (speed == 0) {
        wait = Async() ? -1 : GIFMaximumDelay * GIFDelayExp;
    } else {
        int drift = static_cast<int>(now - (lastTime + static_cast<uint32_t>(lastWait))) / 2;
        int64_t w = (static_cast<int64_t>(delay) * GIFDelayExp - drift) * 100 / speed;
        wait = static_cast<int>(std::clamp<int64_t>(w, -GIFMaximumDelay * GIFDelayExp * 10, GIFMaximumDelay * GIFDelayExp * 10));
        lastWait = wait;
    }
    lastTime = now;
    if (Async()) {
        if ((wait > 0 || speed == 0) && SleepFor(wait)) {
            lastWait = 0;
            lastTime = Now();
        }
        return;
    }
    wait = std::max(wait, 1);
    while (wait > 0 && !FTerminated && !FRestart) {
        int slice = std::min(wait, 100);
        uint32_t before = Now();
        SleepFor(slice);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                Stop();
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        wait -= std::max<int>(1, static_cast<int>(Now() - before));
    }
}

void TGIFPainter::Execute() {
    try {
        FRestart = true;
        while (FRestart && !FTerminated) {
            FActiveImage = 0;
            Fire(OnAnimationStart);
            FPainted = false;
            FRestart = false;
            int loops = 1, startFrame = 0;
            bool loopSeen = false;
            int delay = Async() ? 0 : 1;
            FPreviousDisposal = dmNoDisposal;
            uint32_t lastTime = Now();
            int lastWait = 0;
            while ((loops != 0 || HasOption(FOptions, goLoopContinously)) && !FTerminated && !FRestart) {
                FActiveImage = startFrame;
                if (FPainted) Fire(OnAnimationLoop);
                do {
                    WaitWhileSuspended();
                    const int active = FActiveImage;
                    if (active >= FImage.Images().GetCount() || FTerminated || FRestart) break;
                    TGIFSubImage& frame = *FImage.Images().GetImage(active);
                    if (frame.GetEmpty()) break;
                    WaitDelay(delay, lastTime, lastWait, frame);
                    WaitWhileSuspended();
                    if (FTerminated) break;
                    Fire(OnFrameStart);
                    if (FTerminated) break;
                    FDisposal = dmNoDisposal;
                    for (int i = 0; i < frame.Extensions().GetCount(); ++i) {
                        TGIFExtension* e = frame.Extensions().GetExtension(i);
                        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(e); loop && !loopSeen) {
                            loopSeen = true;
                            loops = Async() && (loop->Loops == 0 || HasOption(FOptions, goLoopContinously)) ? -1 : loop->Loops;
                            startFrame = active;
                        } else if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(e)) {
                            FDisposal = gce->GetDisposal();
                        }
                    }
                    DoSynchronize([this] { FBuffer ? DoPaintFrame() : DoPaint(); });
                    FPreviousDisposal = FDisposal;
                    if (FTerminated) break;
                    delay = GIFDefaultDelay;
                    if (TGIFGraphicControlExtension* gce = frame.GraphicControlExtension(); gce && gce->GetDelay() != 0) {
                        delay = std::max(gce->GetDelay(), GIFMinimumDelay);
                        if (!Async()) delay = std::min(delay, GIFMaximumDelay);
                    }
                    const int remembered = FActiveImage;
                    Fire(OnFrameEnd);
                    if (FTerminated) break;
                    if (FActiveImage == remembered) FActiveImage = remembered + 1;
                } while (HasOption(FOptions, goAnimate));
                if (loops > 0) --loops;
                if (!(HasOption(FOptions, goAnimate) && HasOption(FOptions, goLoop))) break;
            }
        }
        FActiveImage = -1;
        Fire(OnAnimationEnd);
    } catch (...) {
        FError = std::current_exception();
        FTerminated = true;
    }
}

void TGIFPainter::DoPaint() {
    TGIFSubImage& frame = *FImage.Images().GetImage(FActiveImage);
    TCanvas canvas(FCanvas);
    DrawFrame(frame, canvas, FRect, HasOption(FOptions, goTransparent), HasOption(FOptions, goTile));
    FPainted = true;
    FPaintedOnce = true;
    FImage.PainterPainted(this);
}

void TGIFPainter::ClearArea(const RECT& area) {
    if (HasOption(FOptions, goTransparent) && FBackgroundCopy) {
        BitBlt(FBuffer->DC(), area.left, area.top, area.right - area.left, area.bottom - area.top, FBackgroundCopy->DC(),
               area.left, area.top, SRCCOPY);
    } else {
        TGdiObject brush(CreateSolidBrush(FBackground));
        FillRect(FBuffer->DC(), &area, static_cast<HBRUSH>(brush.Get()));
    }
}

void TGIFPainter::ClearFrameArea(TGIFSubImage& frame) {
    const int width = FRect.right - FRect.left, height = FRect.bottom - FRect.top;
    const int screenWidth = FImage.GetWidth(), screenHeight = FImage.GetHeight();
    const bool restore = HasOption(FOptions, goTransparent) && FBackgroundCopy;
    const bool tiled = HasOption(FOptions, goTile) && screenWidth > 0 && screenHeight > 0 &&
                       (restore || (frame.GetWidth() != screenWidth && frame.GetHeight() != screenHeight));
    if (!tiled) {
        ClearArea(ToRect(frame.ScaleRect(TGIFRect{0, 0, width, height})));
        return;
    }
    // The screen repeats from the corner: the frame's place is cleared in every tile.
    for (int y = 0; y < height; y += screenHeight)
        for (int x = 0; x < width; x += screenWidth) {
            const int left = x + frame.GetLeft(), top = y + frame.GetTop();
            ClearArea(RECT{left, top, left + frame.GetWidth(), top + frame.GetHeight()});
        }
}

void TGIFPainter::DoPaintFrame() {
    TGIFSubImage& frame = *FImage.Images().GetImage(FActiveImage);
    if (HasOption(FOptions, goValidateCanvas) && GetObjectType(FCanvas) == 0) {
        Stop();
        return;
    }
    const int width = FRect.right - FRect.left, height = FRect.bottom - FRect.top;
    const TDisposalMethod disposal = Known(FDisposal), previous = Known(FPreviousDisposal);
    const bool clearFirst = HasOption(FOptions, goClearOnLoop) && FActiveImage == 0;
    const bool transparent = HasOption(FOptions, goTransparent), tile = HasOption(FOptions, goTile);
    if (clearFirst) ClearFrameArea(frame);
    const RECT local{0, 0, width, height};
    if (disposal == dmPrevious && (previous == dmNone || previous == dmNoDisposal)) {
        // Straight onto the canvas: the buffer keeps the picture from before this frame.
        TCanvas canvas(FCanvas);
        DrawFrame(frame, canvas, FRect, transparent, tile);
    } else if (disposal == dmPrevious) {
        BitBlt(FSavedState->DC(), 0, 0, width, height, FBuffer->DC(), 0, 0, SRCCOPY);
        TCanvas saved(FSavedState->DC());
        DrawFrame(frame, saved, local, transparent, tile);
        BitBlt(FCanvas, FRect.left, FRect.top, width, height, FSavedState->DC(), 0, 0, SRCCOPY);
    } else {
        TCanvas buffer(FBuffer->DC());
        DrawFrame(frame, buffer, local, transparent, tile);
        BitBlt(FCanvas, FRect.left, FRect.top, width, height, FBuffer->DC(), 0, 0, SRCCOPY);
        if (disposal == dmBackground) ClearFrameArea(frame);
    }
    FPainted = true;
    FPaintedOnce = true;
    FImage.PainterPainted(this);
}
