#pragma once
// TCGauge: a horizontal progress bar drawn by the program: the part from MinValue to
// Progress is filled with ForeColor, the rest with the background colour.
#include "ui/Control.h"

class TCGauge : public TControl {
public:
    TCGauge(TControl* parent, const std::string& name);
    void SetMinValue(int v);
    void SetMaxValue(int v);
    void SetProgress(int v);
    void SetForeColor(TColor c);
    int MinValue() const { return FMin; }
    int MaxValue() const { return FMax; }
    int Progress() const { return FProgress; }
    // The filled share in percent, 0..100.
    int PercentDone() const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int FMin = 0;
    int FMax = 100;
    int FProgress = 0;
    TColor FForeColor = clBlack;
};
