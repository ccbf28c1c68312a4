#pragma once
// TTimer: a message-based timer (WM_TIMER on a hidden window of the window thread, made
// when the timer is first enabled; the timer belongs to the thread that enables it first).
#include "ui/Control.h"

class TTimer : public TControl {
public:
    TTimer(const std::string& name, UINT interval, bool enabled = false);
    void SetInterval(UINT ms);
    UINT Interval() const { return FInterval; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return FEnabled; }
    TNotifyEvent OnTimer;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Update();
    UINT FInterval;
    bool FEnabled;
};
