#pragma once
// MMTimer: a periodic timer on the Windows multimedia timer, finer than the message-based
// TTimer. The system calls back on a thread of its own; that callback only posts one
// notification to the timer's message-only window, and OnTimer runs on the window thread
// when the notification arrives. So OnTimer may touch controls and the document, and may
// write Interval (which restarts the timer).
//
// Use it from the window thread only. Stopping (set_enabled(false), changing Interval or
// Resolution while running, the destructor) kills the system timer synchronously: when it
// returns no callback runs any more, and a notification still in the queue is ignored.
#include <atomic>
#include <cstdint>
#include <memory>

#include "ui/Control.h"

#include <mmsystem.h>

// The hand-over from the timer's thread to the window thread. At most one notification of
// the current run is outstanding: periods that end while one is pending are dropped. Every
// kill starts a new generation, and notifications of earlier generations are ignored.
class TTickGate {
public:
    // Timer thread: true when a notification may be posted now, with the generation it carries.
    bool TryPost(uint32_t& generation) {
        bool expected = false;
        if (!FOutstanding.compare_exchange_strong(expected, true)) return false;
        generation = FGeneration.load();
        return true;
    }
    // Timer thread: the post failed; a later period may post again.
    void PostFailed() { FOutstanding = false; }
    // Window thread, once the system timer is gone: what was posted so far is stale.
    void Reset() {
        FGeneration.fetch_add(1);
        FOutstanding = false;
    }
    // Window thread: a notification arrived. True when it belongs to the current generation;
    // then it is no longer outstanding and the next period may post again.
    bool Accept(uint32_t generation) {
        if (generation != FGeneration.load()) return false;
        FOutstanding = false;
        return true;
    }
    bool Outstanding() const { return FOutstanding.load(); }

private:
    std::atomic<uint32_t> FGeneration{0};
    std::atomic<bool> FOutstanding{false};
};

// The system's multimedia timer as MMTimer uses it; tests put a fake in its place.
class TSystemTimer {
public:
    virtual ~TSystemTimer() = default;
    // Smallest and largest period the timer device supports (timeGetDevCaps).
    virtual void GetDevCaps(int& periodMin, int& periodMax) = 0;
    // Starts a periodic timer calling callback with user on a thread of the system's; 0 when
    // the system gives none. A system without the timer function raises.
    virtual UINT SetEvent(int interval, int resolution, LPTIMECALLBACK callback, DWORD_PTR user) = 0;
    // Kills the timer; returns only after a callback that is running has finished.
    virtual void KillEvent(UINT id) = 0;
};
// timeSetEvent (periodic, TIME_KILL_SYNCHRONOUS), timeKillEvent and timeGetDevCaps.
std::unique_ptr<TSystemTimer> NewWinmmTimer();

class MMTimer : public TControl {
public:
    // system: the timer to drive; the multimedia timer when null.
    explicit MMTimer(const std::string& name, std::unique_ptr<TSystemTimer> system = nullptr);
    ~MMTimer() override;  // stops the timer first

    // Enabled: whether the timer runs. Enabling starts the system timer when OnTimer is set;
    // disabling (or enabling without a handler) kills a running one.
    void set_enabled(bool enabled);
    bool Enabled() const override { return FEnabled; }
    void SetEnabled(bool enabled) override { set_enabled(enabled); }
    // Interval and Resolution in milliseconds, clamped to PeriodMin..PeriodMax. Written while
    // enabled, the timer restarts at once with a fresh period.
    void set_interval(int ms);
    int Interval() const { return FInterval; }
    void set_resolution(int ms);
    int Resolution() const { return FResolution; }
    // The device's supported periods, read at construction.
    int PeriodMin() const { return FPeriodMin; }
    int PeriodMax() const { return FPeriodMax; }
    // A system timer is running (Enabled can be true without one: no handler, or refused).
    bool Running() const { return FTimerID != 0; }

    // Called on the window thread for each notification, with the timer as sender.
    TNotifyEvent OnTimer;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    static void CALLBACK MMTimer_CallBack(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
    void StoreRestarting(int& field, int ms);
    void StopSystemTimer();

    std::unique_ptr<TSystemTimer> FSystem;
    bool FEnabled = false;
    int FInterval = 1000;
    int FResolution = 10;
    int FPeriodMin = 1;
    int FPeriodMax = 1000000;
    UINT FTimerID = 0;
    TTickGate FGate;
};
