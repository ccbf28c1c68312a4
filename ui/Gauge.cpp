#include "ui/Gauge.h"

#include <algorithm>

#include "ui/Canvas.h"

TCGauge::TCGauge(TControl* parent, const std::string& name) : TControl(parent, name) {
    CreateOwnWindow(WS_VISIBLE | WS_CLIPSIBLINGS);
    FColor = clWhite;
}

void TCGauge::SetMinValue(int v) {
    FMin = v;
    Invalidate();
}

void TCGauge::SetMaxValue(int v) {
    FMax = v;
    Invalidate();
}

void TCGauge::SetProgress(int v) {
    FProgress = v;
    Invalidate();
}

void TCGauge::SetForeColor(TColor c) {
    FForeColor = c;
    Invalidate();
}

int TCGauge::PercentDone() const {
    if (FMax <= FMin) return 0;
    const long long done = std::clamp(FProgress, FMin, FMax) - static_cast<long long>(FMin);
    return static_cast<int>(done * 100 / (static_cast<long long>(FMax) - FMin));
}

LRESULT TCGauge::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        TPaintDC paint(FHandle);
        HDC dc = paint.Get();
        RECT r;
        GetClientRect(FHandle, &r);
        TCanvas canvas(dc);
        canvas.FrameRect(r, clBlack);
        InflateRect(&r, -1, -1);
        RECT done = r;
        done.right = r.left + static_cast<LONG>((r.right - r.left) * static_cast<long long>(PercentDone()) / 100);
        canvas.FillRect(done, FForeColor);
        RECT rest = r;
        rest.left = done.right;
        canvas.FillRect(rest, FColor);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return TControl::WndProc(msg, wp, lp);
}
