#pragma once
// TValueBox: a framed integer entry box that draws its number itself, takes digits from
// the keyboard and has an up/down pair at its right edge. While focused, the last digit
// blinks as a highlighted caret. The number being typed (the entry value) is committed
// by Space, by losing the focus and by an up/down click.
#include <memory>

#include "ui/Panel.h"
#include "ui/Timer.h"

class TValueBox : public TPanel {
public:
    TValueBox(TControl* parent, const std::string& name);
    ~TValueBox() override;

    virtual void SetMax(int v);
    virtual void SetMin(int v);
    virtual void SetShowUpDown(bool v);
    virtual void SetUpDownWidth(int v);
    virtual void SetValue(int v);
    virtual int GetMax() const;
    virtual int GetMin() const;
    virtual bool GetShowUpDown() const;
    virtual int GetValue() const;
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return FOwnEnabled; }

    int Value() const { return GetValue(); }
    int Max() const { return GetMax(); }
    int Min() const { return GetMin(); }
    void SetShowMessageBox(bool v) { FShowMessageBox = v; }
    bool ShowMessageBox() const { return FShowMessageBox; }
    int UpDownWidth() const { return FUpDownWidth; }
    // The number as typed so far, and the caret state (for drawing and tests).
    int EntryValue() const { return FEntry; }
    bool MinusFlag() const { return FMinus; }
    bool CaretOn() const { return FCaret; }
    std::string DisplayText() const;
    HWND UpDownHandle() const;

    TNotifyEvent OnChange;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    class TUpDownPair;
    class TNumberArea;
    void KeyDown(WORD key);
    void StepClick(int delta);
    void Arrange();
    void UpdateFont();
    void PaintNumber(TCanvas& canvas, const RECT& r);

    int FEntry = 0;
    int FUpDownWidth = 15;
    bool FShowMessageBox = false;
    bool FCaret = false;
    bool FMinus = false;
    bool FOwnEnabled = true;
    TTimer FBlinkTimer;
    std::unique_ptr<TUpDownPair> FUpDown;
    std::unique_ptr<TNumberArea> FNumberArea;
    TGdiObject FOwnFont;
    int FFontHeight = 0;
};
