#include "app/ValueBox.h"

#include "base/Format.h"
#include "ui/Dialogs.h"

// The up/down pair: its own position is the committed value; clicks are turned into steps
// that go through SetValue instead of moving the position directly.
class TValueBox::TUpDownPair : public TControl {
public:
    TUpDownPair(TValueBox* owner) : TControl(owner, owner->Name() + ".UpDown"), FOwner(owner) {
        CreateStdWindow(UPDOWN_CLASSW, WS_VISIBLE | UDS_ARROWKEYS);
        Perform(UDM_SETRANGE32, 0, 255);
        Perform(UDM_SETPOS32, 0, 0);
    }
    int Position() const { return static_cast<int>(Perform(UDM_GETPOS32, 0, 0)); }
    void SetPosition(int v) { Perform(UDM_SETPOS32, 0, v); }
    int MinValue() const {
        int lo = 0, hi = 0;
        Perform(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
        return lo;
    }
    int MaxValue() const {
        int lo = 0, hi = 0;
        Perform(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
        return hi;
    }
    void SetRange(int lo, int hi) {
        int pos = Position();
        Perform(UDM_SETRANGE32, static_cast<WPARAM>(lo), hi);
        SetPosition(pos);
    }

protected:
    bool HandleNotify(NMHDR& nm, LRESULT& result) override {
        if (nm.code != UDN_DELTAPOS) return false;
        auto& ud = reinterpret_cast<NMUPDOWN&>(nm);
        FOwner->StepClick(ud.iDelta > 0 ? 1 : -1);
        result = 1;  // the position changes only through SetValue
        return true;
    }

private:
    TValueBox* FOwner;  // not owned
};

// The area left of the pair, where the number is drawn.
class TValueBox::TNumberArea : public TControl {
public:
    TNumberArea(TValueBox* owner) : TControl(owner, owner->Name() + ".Number"), FOwner(owner) {
        CreateOwnWindow(WS_VISIBLE | WS_CLIPSIBLINGS);
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_PAINT: {
            TPaintDC paint(FHandle);
            HDC dc = paint.Get();
            RECT r;
            GetClientRect(FHandle, &r);
            TSelectObject font(dc, FOwner->FFont);
            TCanvas canvas(dc);
            FOwner->PaintNumber(canvas, r);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDOWN:
            if (FOwner->FOwnEnabled) FOwner->SetFocus();
            return 0;
        default: return TControl::WndProc(msg, wp, lp);
        }
    }

private:
    TValueBox* FOwner;  // not owned
};

TValueBox::TValueBox(TControl* parent, const std::string& name)
    : TPanel(parent, name), FBlinkTimer(name + ".Blink", 375, false) {
    SetTabStop(true);
    // A tab stop itself, not a parent whose controls Tab would look for; framed as an edit
    // box is, the number area and the pair inside the frame.
    SetWindowLongW(FHandle, GWL_EXSTYLE, (GetWindowLongW(FHandle, GWL_EXSTYLE) & ~WS_EX_CONTROLPARENT) | WS_EX_CLIENTEDGE);
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    FBevelOuter = TBevel::bvNone;
    FBevelInner = TBevel::bvNone;
    FBorderSingle = true;
    FAlignment = TAlignment::taRightJustify;
    FColor = clWindow;
    SetCaption("");
    FUpDown = std::make_unique<TUpDownPair>(this);
    FNumberArea = std::make_unique<TNumberArea>(this);
    FBlinkTimer.OnTimer = [this](TControl*) {
        FCaret = !FCaret;
        FNumberArea->Invalidate();
    };
    SetBounds(0, 0, 50, 20);
    Arrange();
}

TValueBox::~TValueBox() = default;

HWND TValueBox::UpDownHandle() const { return FUpDown->Handle(); }

int TValueBox::GetValue() const { return FUpDown->Position(); }
int TValueBox::GetMax() const { return FUpDown->MaxValue(); }
int TValueBox::GetMin() const { return FUpDown->MinValue(); }
bool TValueBox::GetShowUpDown() const { return FUpDown->Visible(); }

void TValueBox::SetMax(int v) {
    v = static_cast<int16_t>(v);
    if (v >= GetMin()) FUpDown->SetRange(GetMin(), v);
}

void TValueBox::SetMin(int v) {
    v = static_cast<int16_t>(v);
    if (v <= GetMax()) FUpDown->SetRange(v, GetMax());
}

void TValueBox::SetShowUpDown(bool v) {
    FUpDown->SetVisible(v);
    Arrange();
}

void TValueBox::SetUpDownWidth(int v) {
    FUpDownWidth = v;
    Arrange();
}

void TValueBox::SetValue(int v) {
    if (v < GetMin() || v > GetMax()) {
        FMinus = false;
        FEntry = GetValue();
        if (FShowMessageBox)
            ::ShowMessageBox(FHandle, Format("数値を%d～%dの間で指定してください", GetMin(), GetMax()), "数値入力について",
                             MB_OK);
    } else {
        FMinus = v < 0;
        FEntry = v;
        FUpDown->SetPosition(v);
    }
    FNumberArea->Invalidate();
    if (OnChange) OnChange(this);
}

void TValueBox::SetEnabled(bool enabled) {
    FOwnEnabled = enabled;
    EnableWindow(FUpDown->Handle(), enabled);
    if (enabled) {
        FColor = clWindow;
        if (Focused()) FBlinkTimer.SetEnabled(true);
    } else {
        FColor = clBtnFace;
        FBlinkTimer.SetEnabled(false);
        FCaret = false;
    }
    Invalidate();
    FNumberArea->Invalidate();
}

void TValueBox::StepClick(int delta) {
    if (!FOwnEnabled) return;
    SetFocus();
    if (FEntry != GetValue()) SetValue(FEntry);
    SetValue(GetValue() + delta);
}

void TValueBox::KeyDown(WORD key) {
    if (!FOwnEnabled) return;
    int digit = -1;
    if (key >= '0' && key <= '9') digit = key - '0';
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) digit = key - VK_NUMPAD0;
    if (digit >= 0) {
        long long e = FEntry;
        if (FMinus && e == 0)
            e = -digit;
        else
            e = FMinus ? e * 10 - digit : e * 10 + digit;
        FEntry = e < -32768 || e > 32767 ? 0 : static_cast<int>(e);
    } else if (key == VK_BACK || key == VK_DELETE) {
        FMinus = false;
        FEntry = 0;
    } else if (key == VK_SPACE) {
        if (FEntry == 0) FMinus = false;
        SetValue(FEntry);
    } else if (key == VK_SUBTRACT || key == VK_OEM_MINUS) {
        if (FEntry == 0 && GetMin() < 0) FMinus = true;
    } else {
        return;
    }
    FNumberArea->Invalidate();
}

std::string TValueBox::DisplayText() const {
    if (FMinus && FEntry == 0) return "-";
    return std::to_string(FEntry);
}

void TValueBox::PaintNumber(TCanvas& canvas, const RECT& r) {
    canvas.FillRect(r, FColor);
    std::string text = DisplayText();
    SIZE full = canvas.TextExtent(text);
    int y = (r.bottom - canvas.TextExtent("-").cy) / 2;
    int x = 1;
    if (FAlignment == TAlignment::taRightJustify) x = r.right - full.cx - 1;
    if (FAlignment == TAlignment::taCenter) x = (r.right - full.cx) / 2;
    canvas.TextOut(x, y, text, FOwnEnabled ? clWindowText : clGrayText);
    if (FCaret && !text.empty()) {
        std::string last = text.substr(text.size() - 1);
        int lx = x + canvas.TextExtent(text.substr(0, text.size() - 1)).cx;
        canvas.TextOut(lx, y, last, clHighlightText, clHighlight);
    }
}

void TValueBox::Arrange() {
    RECT r;
    GetClientRect(FHandle, &r);
    bool show = FUpDown->Visible();
    int w = show ? std::min<int>(FUpDownWidth, r.right) : 0;
    if (show) FUpDown->SetBounds(r.right - w, 0, w, r.bottom);
    FNumberArea->SetBounds(0, 0, r.right - w, r.bottom);
}

void TValueBox::UpdateFont() {
    int points = Height() - 11;
    if (points < 1 || points == FFontHeight) return;
    FFontHeight = points;
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, 96, 72);
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpyW(lf.lfFaceName, L"MS UI Gothic");
    FOwnFont.Reset(CreateFontIndirectW(&lf));
    FFont = static_cast<HFONT>(FOwnFont.Get());
}

LRESULT TValueBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        if (FUpDown) {
            Arrange();
            UpdateFont();
        }
        break;
    case WM_SETFONT: {
        LOGFONTW lf{};
        if (wp && GetObjectW(reinterpret_cast<HFONT>(wp), sizeof lf, &lf) && FUpDown) {
            int points = MulDiv(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight, 72, 96);
            RECT b = BoundsRect();
            SetBounds(b.left, b.top, b.right - b.left, points + 11);
        }
        return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_WANTARROWS;
    case WM_SETFOCUS:
        if (FOwnEnabled) {
            FCaret = true;
            FBlinkTimer.SetEnabled(true);
        }
        FNumberArea->Invalidate();
        break;
    case WM_KILLFOCUS:
        FBlinkTimer.SetEnabled(false);
        FCaret = false;
        SetValue(FEntry);
        break;
    case WM_LBUTTONDOWN:
        if (FOwnEnabled) SetFocus();
        return 0;
    case WM_KEYDOWN:
        KeyDown(static_cast<WORD>(wp));
        return 0;
    default: break;
    }
    return TPanel::WndProc(msg, wp, lp);
}
