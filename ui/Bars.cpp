#include "ui/Bars.h"

#include <algorithm>

TScrollBar::TScrollBar(TControl* parent, const std::string& name, int min, int max, int position)
    : TControl(parent, name), FMin(min), FMax(max), FPosition(position) {
    CreateStdWindow(L"SCROLLBAR", WS_VISIBLE | WS_TABSTOP | SBS_HORZ);
    SetScrollRange(FHandle, SB_CTL, FMin, FMax, FALSE);
    SetScrollPos(FHandle, SB_CTL, FPosition, TRUE);
}

void TScrollBar::SetMax(int max) {
    FMax = std::max(max, FMin);
    SetScrollRange(FHandle, SB_CTL, FMin, FMax, TRUE);
    if (FPosition > FMax) SetPosition(FMax);
}

void TScrollBar::SetPosition(int position) {
    position = std::clamp(position, FMin, FMax);
    if (position == FPosition) return;
    FPosition = position;
    SetScrollPos(FHandle, SB_CTL, FPosition, TRUE);
    if (OnChange) OnChange(this);
}

bool TScrollBar::HandleScroll(WORD code) {
    int p = FPosition;
    switch (code) {
    case SB_LINELEFT: --p; break;
    case SB_LINERIGHT: ++p; break;
    case SB_PAGELEFT: p -= 10; break;
    case SB_PAGERIGHT: p += 10; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(FHandle, SB_CTL, &si);
        p = si.nTrackPos;
        break;
    }
    case SB_LEFT: p = FMin; break;
    case SB_RIGHT: p = FMax; break;
    default: return true;
    }
    SetPosition(p);
    return true;
}

TTrackBar::TTrackBar(TControl* parent, const std::string& name, int min, int max, int position)
    : TControl(parent, name) {
    CreateStdWindow(TRACKBAR_CLASSW, WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS);
    Perform(TBM_SETRANGEMIN, FALSE, min);
    Perform(TBM_SETRANGEMAX, TRUE, max);
    Perform(TBM_SETPOS, TRUE, position);
}

int TTrackBar::Position() const { return static_cast<int>(Perform(TBM_GETPOS)); }

void TTrackBar::SetPosition(int position) {
    if (position == Position()) return;
    Perform(TBM_SETPOS, TRUE, position);
    if (OnChange) OnChange(this);
}

bool TTrackBar::HandleScroll(WORD code) {
    if (code != TB_ENDTRACK && OnChange) OnChange(this);
    return true;
}

TUpDown::TUpDown(TControl* parent, const std::string& name, int min, int max, bool wrap)
    : TControl(parent, name), FMin(min), FMax(max), FWrap(wrap) {
    CreateStdWindow(UPDOWN_CLASSW, WS_VISIBLE);
    Perform(UDM_SETRANGE32, static_cast<WPARAM>(min), max);
}

void TUpDown::SetMax(int max) {
    FMax = std::max(max, FMin);
    Perform(UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    FPosition = std::clamp(FPosition, FMin, FMax);
}

void TUpDown::SetPosition(int position) { FPosition = std::clamp(position, FMin, FMax); }

void TUpDown::Step(int delta) {
    int p = FPosition + delta;
    if (p > FMax) p = FWrap ? FMin : FMax;
    if (p < FMin) p = FWrap ? FMax : FMin;
    FPosition = p;
    if (OnClick) OnClick(this);
}

bool TUpDown::HandleNotify(NMHDR& nm, LRESULT& result) {
    if (nm.code != UDN_DELTAPOS) return false;
    Step(reinterpret_cast<NMUPDOWN&>(nm).iDelta > 0 ? 1 : -1);
    result = 1;  // the position is ours
    return true;
}
