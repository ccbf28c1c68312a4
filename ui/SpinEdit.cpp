#include "ui/SpinEdit.h"

#include <algorithm>
#include <commctrl.h>

namespace {
constexpr int kUpDownWidth = 16;
}

// The up/down pair: it writes its position into the box as text (its buddy).
class TSpinEdit::TSpinButtons : public TControl {
public:
    TSpinButtons(TSpinEdit* box, TControl* parent) : TControl(parent, box->Name() + ".UpDown") {
        CreateStdWindow(UPDOWN_CLASSW, WS_VISIBLE | UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_NOTHOUSANDS);
        Perform(UDM_SETBUDDY, reinterpret_cast<WPARAM>(box->Handle()), 0);
        Perform(UDM_SETRANGE32, static_cast<WPARAM>(box->MinValue()), box->MaxValue());
    }
};

TSpinEdit::TSpinEdit(TControl* parent, const std::string& name, int minValue, int maxValue)
    : TEdit(parent, name, ES_NUMBER | ES_AUTOHSCROLL), FMin(minValue), FMax(maxValue) {
    FButtons = std::make_unique<TSpinButtons>(this, parent);
    SetValue(FMin);
}

TSpinEdit::~TSpinEdit() = default;

HWND TSpinEdit::UpDownHandle() const { return FButtons->Handle(); }

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
    if (FButtons) FButtons->Perform(UDM_SETPOS32, 0, v);
}

LRESULT TSpinEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = TEdit::WndProc(msg, wp, lp);
    if (msg == WM_WINDOWPOSCHANGED && FButtons) {
        // The pair follows the box: right beside it, as high as it.
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
        if (!(pos->flags & SWP_NOSIZE) || !(pos->flags & SWP_NOMOVE))
            SetWindowPos(FButtons->Handle(), nullptr, pos->x + pos->cx, pos->y, kUpDownWidth, pos->cy,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return r;
}
