#include "ui/Timer.h"

#include <unordered_map>

namespace {
// The running timers of the window thread by the system's timer id. Thread timers need no
// window: the message loops dispatch their WM_TIMER to TimerProc.
std::unordered_map<UINT_PTR, TTimer*>& RunningTimers() {
    static auto* timers = new std::unordered_map<UINT_PTR, TTimer*>;  // outlives every timer
    return *timers;
}
} // namespace

TTimer::TTimer(const std::string& name, UINT interval, bool enabled)
    : TControl(nullptr, name), FInterval(interval), FEnabled(enabled) {
    Update();
}

TTimer::~TTimer() { Stop(); }

void TTimer::SetInterval(UINT ms) {
    FInterval = ms;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    FEnabled = enabled;
    Update();
}

void TTimer::Stop() {
    if (!FTimerId) return;
    KillTimer(nullptr, FTimerId);
    RunningTimers().erase(FTimerId);
    FTimerId = 0;
}

void TTimer::Update() {
    Stop();
    if (!FEnabled || FInterval == 0) return;
    FTimerId = SetTimer(nullptr, 0, FInterval, TimerProc);
    if (FTimerId) RunningTimers()[FTimerId] = this;
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = RunningTimers().find(id);
    if (it == RunningTimers().end()) return;  // stopped after the message was posted
    TTimer* timer = it->second;
    if (timer->FEnabled && timer->OnTimer) timer->OnTimer(timer);
}
