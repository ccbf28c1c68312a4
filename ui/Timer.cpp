#include "ui/Timer.h"

TTimer::TTimer(const std::string& name, UINT interval, bool enabled)
    : TControl(nullptr, name), FInterval(interval), FEnabled(enabled) {
    Update();
}

void TTimer::SetInterval(UINT ms) {
    FInterval = ms;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    FEnabled = enabled;
    Update();
}

void TTimer::Update() {
    // The hidden window is made when the timer first runs: many timers never do.
    if (FHandle) KillTimer(FHandle, 1);
    if (!FEnabled || FInterval == 0) return;
    if (!FHandle) CreateOwnWindow(0, 0, L"TamsoloTimer", HWND_MESSAGE);
    SetTimer(FHandle, 1, FInterval, nullptr);
}

LRESULT TTimer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == 1) {
        if (FEnabled && OnTimer) OnTimer(this);
        return 0;
    }
    return TControl::WndProc(msg, wp, lp);
}
