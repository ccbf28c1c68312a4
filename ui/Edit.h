#pragma once
// TEdit: a one-line text box. OnChange runs for every change of the text, the
// program's own included.
#include "ui/Control.h"

class TEdit : public TControl {
public:
    TEdit(TControl* parent, const std::string& name, const std::string& text = "");
    std::string Text() const { return Caption(); }
    void SetText(const std::string& t) { SetCaption(t); }
    void SetMaxLength(int n);
    void SetReadOnly(bool r);
    TNotifyEvent OnChange;

protected:
    bool HandleCommand(WORD code) override;
};
