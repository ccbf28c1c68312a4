#pragma once
// TComboBox: a drop-down list of fixed items; OnChange runs when the user picks one.
#include <string>
#include <vector>

#include "ui/Control.h"

class TComboBox : public TControl {
public:
    TComboBox(TControl* parent, const std::string& name, const std::vector<std::string>& items);
    int ItemIndex() const;
    // Selects an item (-1 = none) without running OnChange.
    void SetItemIndex(int i);
    int Count() const;
    std::string Item(int i) const;
    TNotifyEvent OnChange;

protected:
    bool HandleCommand(WORD code) override;
};
