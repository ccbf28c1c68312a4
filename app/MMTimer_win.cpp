#include "app/MMTimer.h"

#include <algorithm>

#include "base/SystemLibrary_win.h"

namespace {

// Posted by the timer's thread to the timer's own window; wParam = generation.
constexpr UINT kTickMessage = WM_APP + 40;

class TWinmmTimer : public TSystemTimer {
public:
    void GetDevCaps(int& periodMin, int& periodMax) override {
        TIMECAPS caps{};
        if (!Winmm().GetDevCaps || Winmm().GetDevCaps(&caps, sizeof caps) != MMSYSERR_NOERROR) return;
        periodMin = static_cast<int>(std::min<UINT>(caps.wPeriodMin, 0x7FFFFFFF));
        periodMax = static_cast<int>(std::min<UINT>(caps.wPeriodMax, 0x7FFFFFFF));
    }
    UINT SetEvent(int interval, int resolution, LPTIMECALLBACK callback, DWORD_PTR user) override {
        // With TIME_KILL_SYNCHRONOUS, timeKillEvent waits for a callback that is running.
        return Winmm().SetEvent(static_cast<UINT>(interval), static_cast<UINT>(resolution), callback, user,
                                TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    }
    void KillEvent(UINT id) override {
        if (Winmm().KillEvent) Winmm().KillEvent(id);
    }
};

} // namespace

std::unique_ptr<TSystemTimer> NewWinmmTimer() { return std::make_unique<TWinmmTimer>(); }

MMTimer::MMTimer(const std::string& name, std::unique_ptr<TSystemTimer> system)
    : TControl(nullptr, name), FSystem(system ? std::move(system) : NewWinmmTimer()) {
    FSystem->GetDevCaps(FPeriodMin, FPeriodMax);
    if (FPeriodMax < FPeriodMin) FPeriodMax = FPeriodMin;
    CreateOwnWindow(0, 0, L"TamsoloMMTimer", HWND_MESSAGE);
}

MMTimer::~MMTimer() { set_enabled(false); }

void MMTimer::set_enabled(bool enabled) {
    if (enabled == FEnabled) return;
    // A system that lacks the timer raises here, and the timer stays off.
    if (enabled && OnTimer)
        FTimerID = FSystem->SetEvent(FInterval, FResolution, MMTimer_CallBack, reinterpret_cast<DWORD_PTR>(this));
    FEnabled = enabled;
    if (!enabled) StopSystemTimer();
}

void MMTimer::StopSystemTimer() {
    if (FTimerID == 0) return;
    // One synchronous kill: afterwards no callback runs, so the gate can start a new
    // generation without racing the timer's thread.
    FSystem->KillEvent(FTimerID);
    FTimerID = 0;
    FGate.Reset();
}

void MMTimer::StoreRestarting(int& field, int ms) {
    // A running timer restarts so that the new value counts from now.
    bool wasEnabled = FEnabled;
    if (wasEnabled) set_enabled(false);
    field = std::clamp(ms, FPeriodMin, FPeriodMax);
    if (wasEnabled) set_enabled(true);
}

void MMTimer::set_interval(int ms) { StoreRestarting(FInterval, ms); }

void MMTimer::set_resolution(int ms) { StoreRestarting(FResolution, ms); }

void CALLBACK MMTimer::MMTimer_CallBack(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    // The timer's own thread: touch nothing but the gate, and post.
    auto* self = reinterpret_cast<MMTimer*>(user);
    uint32_t generation = 0;
    if (!self->FGate.TryPost(generation)) return;
    if (!PostMessageW(self->FHandle, kTickMessage, generation, 0)) self->FGate.PostFailed();
}

LRESULT MMTimer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kTickMessage) {
        if (FGate.Accept(static_cast<uint32_t>(wp)) && FEnabled && OnTimer) OnTimer(this);
        return 0;
    }
    return TControl::WndProc(msg, wp, lp);
}
