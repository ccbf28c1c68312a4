#include "ui/Edit.h"

TEdit::TEdit(TControl* parent, const std::string& name, const std::string& text) : TEdit(parent, name, ES_AUTOHSCROLL) {
    SetCaption(text);
}

TEdit::TEdit(TControl* parent, const std::string& name, DWORD style) : TControl(parent, name) {
    FColor = clWindow;
    CreateStdWindow(L"EDIT", WS_VISIBLE | WS_TABSTOP | style, WS_EX_CLIENTEDGE);
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

TMemo::TMemo(TControl* parent, const std::string& name)
    : TEdit(parent, name, ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL) {}

std::vector<std::string> TMemo::Lines() const {
    std::vector<std::string> lines;
    const std::string text = Text();
    if (text.empty()) return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
    SetText(text);
}

LRESULT TMemo::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Inside a dialog the edit takes Tab for moving the focus: a memo that takes tabs types
    // one itself, and only once.
    if (WantTabs && msg == WM_KEYDOWN && wp == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        SendMessageW(FHandle, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
        return 0;
    }
    if (WantTabs && msg == WM_CHAR && wp == '\t') return 0;
    LRESULT r = TEdit::WndProc(msg, wp, lp);
    if (msg == WM_GETDLGCODE && WantTabs) r |= DLGC_WANTTAB;
    return r;
}
