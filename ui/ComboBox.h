#pragma once
// TComboBox: a drop-down list of items; OnChange runs when the user picks one. An
// editable combo box also takes typed text: OnChange then runs for every edit by the
// user too (never for SetText), and OnDropDown when its list opens.
#include <string>
#include <vector>

#include "ui/Control.h"

class TComboBox : public TControl {
public:
    TComboBox(TControl* parent, const std::string& name, const std::vector<std::string>& items,
              bool editable = false);
    int ItemIndex() const;
    // Selects an item (-1 = none) without running OnChange.
    void SetItemIndex(int i);
    int Count() const;
    std::string Item(int i) const;
    int AddItem(const std::string& s);
    void DeleteItem(int i);
    void ClearItems();
    // The text of the edit field (editable) or of the selected item.
    std::string Text() const { return Caption(); }
    // Sets the text without running OnChange.
    void SetText(const std::string& s);
    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;

protected:
    bool HandleCommand(WORD code) override;

private:
    bool FEditable;
};
