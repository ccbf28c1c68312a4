#include "ui/ComboBox.h"

TComboBox::TComboBox(TControl* parent, const std::string& name, const std::vector<std::string>& items,
                     bool editable)
    : TControl(parent, name), FEditable(editable) {
    FColor = clWindow;
    CreateStdWindow(L"COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL |
                                     (editable ? CBS_DROPDOWN : CBS_DROPDOWNLIST));
    for (const std::string& s : items) Perform(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(s).c_str()));
}

int TComboBox::ItemIndex() const { return static_cast<int>(Perform(CB_GETCURSEL)); }
void TComboBox::SetItemIndex(int i) { Perform(CB_SETCURSEL, static_cast<WPARAM>(i)); }
int TComboBox::Count() const { return static_cast<int>(Perform(CB_GETCOUNT)); }

std::string TComboBox::Item(int i) const {
    LRESULT n = Perform(CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
    if (n == CB_ERR) return {};
    std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
    Perform(CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(w.data()));
    w.resize(static_cast<std::size_t>(n));
    return U(w);
}

int TComboBox::AddItem(const std::string& s) {
    return static_cast<int>(Perform(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(s).c_str())));
}

void TComboBox::DeleteItem(int i) { Perform(CB_DELETESTRING, static_cast<WPARAM>(i)); }
void TComboBox::ClearItems() { Perform(CB_RESETCONTENT); }

void TComboBox::SetText(const std::string& s) {
    if (!FEditable) {
        int i = static_cast<int>(Perform(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(W(s).c_str())));
        SetItemIndex(i);
        return;
    }
    SetCaption(s);  // WM_SETTEXT sends no edit notification
}

bool TComboBox::HandleCommand(WORD code) {
    if (code == CBN_DROPDOWN) {
        if (OnDropDown) OnDropDown(this);
        return true;
    }
    if (code == CBN_SELCHANGE) {
        // The edit field still shows the old text while the selection changes.
        if (FEditable) {
            int i = ItemIndex();
            if (i >= 0) SetCaption(Item(i));
        }
        if (OnChange) OnChange(this);
        return true;
    }
    if (code == CBN_EDITCHANGE && FEditable) {
        if (OnChange) OnChange(this);
        return true;
    }
    return false;
}
