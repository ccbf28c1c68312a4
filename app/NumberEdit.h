#pragma once
// TNumberEdit: a one-line edit that only takes text forming a whole number within
// MinValue..MaxValue (equal values: no bounds). Every typed character and every paste is
// checked before it reaches the text; a refused one beeps.
#include <cstdint>

#include "app/NumberEditRules.h"
#include "ui/Edit.h"

class TNumberEdit : public TEdit {
public:
    TNumberEdit(TControl* parent, const std::string& name);

    int32_t MaxValue = 0;
    int32_t MinValue = 0;

    // "-" gives MinValue; text that is no number is replaced by MinValue, which is returned.
    int32_t GetValue();
    // Clamped into the bounds when they differ.
    void SetValue(int32_t value);
    bool IsValidValue(const std::string& text) const;
    // Filters one character: a refused one is set to 0 (and beeps).
    void KeyPress(wchar_t& key);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    TNumberEditState State() const;
    TNumberBounds Bounds() const { return {MinValue, MaxValue}; }
};
