#pragma once
// TTimer: a message-based timer of the window thread (a thread timer: its WM_TIMER needs no
// window, the message loop hands it to the timer).
#include "ui/Control.h"

class TTimer : public TControl {
public:
    TTimer(const std::string& name, UINT interval, bool enabled = false);
    ~TTimer() override;
    void SetInterval(UINT ms);
    UINT Interval() const { return FInterval; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return FEnabled; }
    TNotifyEvent OnTimer;

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
    void Update();
    void Stop();
    UINT_PTR FTimerId = 0;
    UINT FInterval;
    bool FEnabled;
};
