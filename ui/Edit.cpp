#include "ui/Edit.h"

TEdit::TEdit(TControl* parent, const std::string& name, const std::string& text) : TControl(parent, name) {
    FColor = clWindow;
    CreateStdWindow(L"EDIT", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    SetCaption(text);
}

void TEdit::SetMaxLength(int n) { SendMessageW(FHandle, EM_SETLIMITTEXT, static_cast<WPARAM>(n), 0); }
void TEdit::SetReadOnly(bool r) { SendMessageW(FHandle, EM_SETREADONLY, r, 0); }

bool TEdit::HandleCommand(WORD code) {
    if (code == EN_CHANGE) {
        if (OnChange) OnChange(this);
        return true;
    }
    return false;
}
