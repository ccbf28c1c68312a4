#include "ui/Panel.h"

#include <optional>

namespace {
UINT EdgeFor(TBevel b) { return b == TBevel::bvRaised ? BDR_RAISEDOUTER : b == TBevel::bvLowered ? BDR_SUNKENOUTER : 0; }
UINT InnerEdgeFor(TBevel b) { return b == TBevel::bvRaised ? BDR_RAISEDINNER : b == TBevel::bvLowered ? BDR_SUNKENINNER : 0; }
} // namespace

TPanel::TPanel(TControl* parent, const std::string& name, const std::string& caption) : TControl(parent, name) {
    // A control parent: Tab goes through the controls placed on it.
    CreateOwnWindow(WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    FColor = parent ? parent->Color() : clBtnFace;
    SetCaption(caption);
}

void TPanel::SetBevelOuter(TBevel b) {
    FBevelOuter = b;
    Invalidate();
}
void TPanel::SetBevelInner(TBevel b) {
    FBevelInner = b;
    Invalidate();
}
void TPanel::SetBorderSingle(bool single) {
    FBorderSingle = single;
    Invalidate();
}
void TPanel::SetAlignment(TAlignment a) {
    FAlignment = a;
    Invalidate();
}

void TPanel::Paint(TCanvas& canvas, RECT r) {
    canvas.FillRect(r, FColor);
    if (FBorderSingle) {
        canvas.FrameRect(r, clWindowText);
        InflateRect(&r, -1, -1);
    }
    if (UINT e = EdgeFor(FBevelOuter)) {
        DrawEdge(canvas.Handle(), &r, e, BF_RECT | BF_ADJUST);
    }
    if (UINT e = InnerEdgeFor(FBevelInner)) {
        DrawEdge(canvas.Handle(), &r, e, BF_RECT | BF_ADJUST);
    }
    if (OnPaint) OnPaint(this, canvas, r);
    std::string text = Caption();
    if (!text.empty()) {
        std::wstring w = W(text);
        SetBkMode(canvas.Handle(), TRANSPARENT);
        SetTextColor(canvas.Handle(), ColorToRGB(Enabled() ? FFontColor : clGrayText));
        UINT align = FAlignment == TAlignment::taCenter ? DT_CENTER : FAlignment == TAlignment::taRightJustify ? DT_RIGHT : DT_LEFT;
        InflateRect(&r, -2, 0);
        DrawTextW(canvas.Handle(), w.c_str(), static_cast<int>(w.size()), &r, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT: {  // the second draws into the DC it is given
        std::optional<TPaintDC> paint;
        if (msg == WM_PAINT) paint.emplace(FHandle);
        HDC dc = paint ? paint->Get() : reinterpret_cast<HDC>(wp);
        TSelectObject font(dc, FFont);
        TCanvas canvas(dc);
        RECT r;
        GetClientRect(FHandle, &r);
        Paint(canvas, r);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETTEXT: {
        LRESULT res = TControl::WndProc(msg, wp, lp);
        Invalidate();
        return res;
    }
    default: return TControl::WndProc(msg, wp, lp);
    }
}

TLabel::TLabel(TControl* parent, const std::string& name, const std::string& caption, int left, int top)
    : TControl(parent, name) {
    CreateOwnWindow(WS_VISIBLE | WS_CLIPSIBLINGS);
    FColor = parent ? parent->Color() : clBtnFace;
    SetBounds(left, top, 10, 12);
    SetCaption(caption);
}

void TLabel::SetCaption(const std::string& text) {
    TControl::SetCaption(text);
    FitText();
}

void TLabel::FitText() {
    if (!FAutoSize || !FHandle) return;
    TWindowDC dc(FHandle);
    TSelectObject font(dc.Get(), FFont);
    std::wstring w = W(Caption());
    RECT r{0, 0, 0, 0};
    DrawTextW(dc.Get(), w.c_str(), static_cast<int>(w.size()), &r, DT_CALCRECT | DT_NOPREFIX);
    SetWindowPos(FHandle, nullptr, 0, 0, r.right, std::max<LONG>(r.bottom, 12), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TLabel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        TPaintDC paint(FHandle);
        HDC dc = paint.Get();
        TSelectObject font(dc, FFont);
        RECT r;
        GetClientRect(FHandle, &r);
        TCanvas(dc).FillRect(r, FParent ? FParent->Color() : FColor);
        std::wstring w = W(Caption());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(Enabled() ? FFontColor : clGrayText));
        DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, DT_LEFT | DT_NOPREFIX | (FAutoSize ? 0 : DT_WORDBREAK));
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return TControl::WndProc(msg, wp, lp);
}
