#pragma once
// TSpinEdit: a number box with an up/down pair right beside it. The value is the number
// typed, kept within MinValue..MaxValue.
#include <memory>

#include "ui/Edit.h"

class TSpinEdit : public TEdit {
public:
    TSpinEdit(TControl* parent, const std::string& name, int minValue, int maxValue);
    ~TSpinEdit() override;
    int Value() const;
    void SetValue(int v);
    int MinValue() const { return FMin; }
    int MaxValue() const { return FMax; }
    HWND UpDownHandle() const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    class TSpinButtons;
    std::unique_ptr<TSpinButtons> FButtons;  // a sibling of the box, named after it
    int FMin, FMax;
};
