#include "ui/SpinEdit.h"

#include <algorithm>
#include <commctrl.h>

namespace {
constexpr int kUpDownWidth = 16;
}

TSpinEdit::TSpinEdit(TControl* parent, const std::string& name, int minValue, int maxValue)
    : TEdit(parent, name, ES_NUMBER | ES_AUTOHSCROLL), FMin(minValue), FMax(maxValue) {
    FUpDown = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_NOTHOUSANDS,
                              0, 0, kUpDownWidth, 10, parent ? parent->Handle() : nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (FUpDown) {
        SendMessageW(FUpDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(FHandle), 0);
        SendMessageW(FUpDown, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    }
    SetValue(FMin);
}

TSpinEdit::~TSpinEdit() {
    if (FUpDown) DestroyWindow(FUpDown);
}

int TSpinEdit::Value() const {
    long long v = 0;
    bool any = false;
    for (char c : Text()) {
        if (c < '0' || c > '9') continue;
        v = std::min<long long>(v * 10 + (c - '0'), FMax);
        any = true;
    }
    return any ? std::clamp(static_cast<int>(v), FMin, FMax) : FMin;
}

void TSpinEdit::SetValue(int v) {
    v = std::clamp(v, FMin, FMax);
    SetText(std::to_string(v));
    if (FUpDown) SendMessageW(FUpDown, UDM_SETPOS32, 0, v);
}

LRESULT TSpinEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = TEdit::WndProc(msg, wp, lp);
    if (msg == WM_WINDOWPOSCHANGED && FUpDown) {
        // The pair follows the box: right beside it, as high as it.
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
        if (!(pos->flags & SWP_NOSIZE) || !(pos->flags & SWP_NOMOVE))
            SetWindowPos(FUpDown, nullptr, pos->x + pos->cx, pos->y, kUpDownWidth, pos->cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return r;
}
