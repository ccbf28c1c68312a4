#pragma once
// The animation painter: plays the frames of a GIF picture onto a device context, waiting
// each frame's delay, composing frames by their disposal and honouring the loop extension.
// With goAsync it runs on a thread of its own and hands every painting step to the window
// thread; otherwise it runs to its end in the caller's thread.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "gif/GIFPicture_win.h"

// Milliseconds per delay unit at speed 100, and the delays in units.
inline int GIFDelayExp = 12;
inline int GIFDefaultDelay = 10;
inline int GIFMinimumDelay = 3;
inline int GIFMaximumDelay = 1000;

class TGIFPainter {
public:
    using TNotifyEvent = std::function<void(TGIFPainter& sender)>;

    TGIFPainter(TGIFGraphic& image, TGIFDrawOptions options, const RECT& rect, HDC canvas);
    ~TGIFPainter();
    TGIFPainter(const TGIFPainter&) = delete;
    TGIFPainter& operator=(const TGIFPainter&) = delete;

    void Start();
    // Asks the painter to end; a waiting painter wakes at once.
    void Stop();
    void Restart();
    void Suspend();
    void Join();
    void SetAnimationSpeed(int speed);
    int AnimationSpeed() const { return FSpeed; }
    // Jumps to another frame (meant for the events); out-of-range values are ignored.
    void SetActiveImage(int index);
    int ActiveImage() const { return FActiveImage; }
    bool Terminated() const { return FTerminated; }
    bool Ended() const { return FEnded; }
    bool Painted() const { return FPaintedOnce; }
    bool Async() const { return HasOption(FOptions, goAsync); }
    HDC Canvas() const { return FCanvas; }
    const RECT& Rect() const { return FRect; }

    // The playing loop; called on the painter's thread, or directly without goAsync.
    void Execute();
    // Runs the step handed over by the painter thread, if any (on the window thread).
    void RunPending();

    TGIFPainterClock Clock;
    TNotifyEvent OnAnimationStart, OnFrameStart, OnFrameEnd, OnAnimationLoop, OnAnimationEnd;
    // The exception that ended the loop, if any.
    std::exception_ptr Error() const { return FError; }

private:
    void DoSynchronize(const std::function<void()>& step);
    void Fire(const TNotifyEvent& event);
    void WaitDelay(int delay, uint32_t& lastTime, int& lastWait, TGIFSubImage& frame);
    void DoPaint();
    void DoPaintFrame();
    void ClearFrameArea(TGIFSubImage& frame);
    void ClearArea(const RECT& area);
    uint32_t Now();
    // Waits up to ms (for ever at -1); true when the wait was woken, stopped or paused.
    // A pause holds the wait, and the rest of it runs once the painter is resumed.
    bool SleepFor(int ms);
    // Holds the painter while it is paused.
    void WaitWhileSuspended();

    TGIFGraphic& FImage;  // not owned
    HDC FCanvas;          // not owned
    RECT FRect;
    TGIFDrawOptions FOptions;
    std::atomic<int> FSpeed;
    std::atomic<int> FActiveImage{-1};
    std::atomic<bool> FRestart{false};
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FEnded{false};
    std::atomic<bool> FPaintedOnce{false};
    bool FPainted = false;
    TDisposalMethod FDisposal = dmNone, FPreviousDisposal = dmNoDisposal;
    COLORREF FBackground = 0;
    std::unique_ptr<TDibSection> FBuffer, FSavedState, FBackgroundCopy;
    bool FHasWakeEvent = false;
    int FPriority;  // of the thread, from the image's ThreadPriority
    std::exception_ptr FError;

    std::mutex FLock;  // guards the wake flag, the hand-over step and the suspension
    std::condition_variable FSignal;
    bool FWake = false;
    bool FSuspended = false;
    std::function<void()> FPending;
    bool FPendingDone = false;
    std::thread FThread;
    HANDLE FThreadHandle = nullptr;  // owned; set by the thread itself
};
