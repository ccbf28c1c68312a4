#include "ui/Menu.h"

TMenuItem* TPopupMenu::Add(const std::string& name, const std::string& caption) {
    FItems.push_back(std::make_unique<TMenuItem>(name, caption, static_cast<UINT>(100 + FItems.size())));
    return FItems.back().get();
}

void TPopupMenu::AddSeparator() { FItems.push_back(nullptr); }

namespace {
TMenuItem* FindItem(const std::vector<std::unique_ptr<TMenuItem>>& items, const std::string& name) {
    for (auto& i : items) {
        if (!i) continue;
        if (i->Name() == name) return i.get();
        if (TMenuItem* sub = i->Item(name)) return sub;
    }
    return nullptr;
}

// Appends the items to the menu; each command gets the number of its place in `order`.
void AppendItems(HMENU menu, const std::vector<std::unique_ptr<TMenuItem>>& items, std::vector<TMenuItem*>& order) {
    for (auto& i : items) {
        if (!i) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (i->Enabled ? MF_ENABLED : MF_GRAYED) | (i->Checked ? MF_CHECKED : 0);
        if (!i->Items().empty()) {
            HMENU sub = CreatePopupMenu();  // destroyed with its parent menu
            AppendItems(sub, i->Items(), order);
            AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), W(i->Caption()).c_str());
            continue;
        }
        order.push_back(i.get());
        AppendMenuW(menu, flags, order.size(), W(i->Caption()).c_str());
        if (i->Default) SetMenuDefaultItem(menu, static_cast<UINT>(order.size()), FALSE);
    }
}
}  // namespace

TMenuItem* TMenuItem::Add(const std::string& name, const std::string& caption) {
    FItems.push_back(std::make_unique<TMenuItem>(name, caption, static_cast<UINT>(FId * 100 + FItems.size())));
    return FItems.back().get();
}

void TMenuItem::AddSeparator() { FItems.push_back(nullptr); }

TMenuItem* TMenuItem::Item(const std::string& name) const { return FindItem(FItems, name); }

TMenuItem* TPopupMenu::Item(const std::string& name) const { return FindItem(FItems, name); }

void TPopupMenu::Popup(HWND owner, int x, int y) {
    if (OnPopup) OnPopup(nullptr);
    HMENU menu = CreatePopupMenu();
    std::vector<TMenuItem*> order;
    AppendItems(menu, FItems, order);
    UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    DestroyMenu(menu);
    if (chosen >= 1 && chosen <= order.size()) {
        TMenuItem* i = order[chosen - 1];
        if (i->Enabled && i->OnClick) i->OnClick(nullptr);
    }
}
