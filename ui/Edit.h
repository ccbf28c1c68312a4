#pragma once
// TEdit: a one-line text box; TMemo: a text box of several lines. OnChange runs for
// every change of the text, the program's own included.
#include <string>
#include <vector>

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
    // An edit window of the given style (besides WS_VISIBLE, WS_TABSTOP).
    TEdit(TControl* parent, const std::string& name, DWORD style);
    bool HandleCommand(WORD code) override;
};

// Lines are split at line breaks; a vertical scroll bar, long lines wrap. With WantTabs
// the Tab key types a tab instead of moving the focus.
class TMemo : public TEdit {
public:
    TMemo(TControl* parent, const std::string& name);
    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& lines);
    bool WantTabs = false;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
