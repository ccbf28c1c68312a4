#include "ui/ComboBox.h"

TComboBox::TComboBox(TControl* parent, const std::string& name, const std::vector<std::string>& items)
    : TControl(parent, name) {
    FColor = clWindow;
    CreateStdWindow(L"COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST);
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

bool TComboBox::HandleCommand(WORD code) {
    if (code != CBN_SELCHANGE) return false;
    if (OnChange) OnChange(this);
    return true;
}
