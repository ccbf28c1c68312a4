#include "ui/Menu.h"

TMenuItem* TPopupMenu::Add(const std::string& name, const std::string& caption) {
    FItems.push_back(std::make_unique<TMenuItem>(name, caption, static_cast<UINT>(100 + FItems.size())));
    return FItems.back().get();
}

void TPopupMenu::AddSeparator() { FItems.push_back(nullptr); }

TMenuItem* TPopupMenu::Item(const std::string& name) const {
    for (auto& i : FItems)
        if (i && i->Name() == name) return i.get();
    return nullptr;
}

void TPopupMenu::Popup(HWND owner, int x, int y) {
    if (OnPopup) OnPopup(nullptr);
    HMENU menu = CreatePopupMenu();
    for (auto& i : FItems) {
        if (!i) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (i->Enabled ? MF_ENABLED : MF_GRAYED) | (i->Checked ? MF_CHECKED : 0);
        AppendMenuW(menu, flags, i->Id(), W(i->Caption()).c_str());
        if (i->Default) SetMenuDefaultItem(menu, i->Id(), FALSE);
    }
    UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    DestroyMenu(menu);
    for (auto& i : FItems)
        if (i && i->Id() == chosen && i->Enabled && i->OnClick) i->OnClick(nullptr);
}
