#include "ui/Menu.h"

#include "ui/Canvas.h"

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

// A device bitmap of an item's glyph on the menu's colour.
TGdiObject MenuGlyph(const TBitmap& glyph) {
    const TBitmap shown = GlyphOnBackground(glyph, clWhite, static_cast<TColor>(clSystemColor | COLOR_MENU));
    HDC screen = GetDC(nullptr);
    TGdiObject bitmap(CreateCompatibleBitmap(screen, shown.Width(), shown.Height()));
    TMemDC dc(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    if (bitmap && dc) {
        TSelectObject selected(dc.Get(), bitmap.Get());
        TCanvas(dc.Get()).Draw(0, 0, shown);
    }
    return bitmap;
}

// Appends the items to the menu; each command gets the number of its place in `order`,
// and the bitmaps of their glyphs go to `glyphs`, which must outlive the menu.
void AppendItems(HMENU menu, const std::vector<std::unique_ptr<TMenuItem>>& items, std::vector<TMenuItem*>& order,
                 std::vector<TGdiObject>& glyphs) {
    for (auto& i : items) {
        if (!i) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (i->Enabled ? MF_ENABLED : MF_GRAYED) | (i->Checked ? MF_CHECKED : 0);
        if (!i->Items().empty()) {
            HMENU sub = CreatePopupMenu();  // destroyed with its parent menu
            AppendItems(sub, i->Items(), order, glyphs);
            AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), W(i->Caption()).c_str());
        } else {
            order.push_back(i.get());
            AppendMenuW(menu, flags, order.size(), W(i->Caption()).c_str());
            if (i->Default) SetMenuDefaultItem(menu, static_cast<UINT>(order.size()), FALSE);
        }
        if (i->Glyph.Empty()) continue;
        glyphs.push_back(MenuGlyph(i->Glyph));
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = static_cast<HBITMAP>(glyphs.back().Get());
        SetMenuItemInfoW(menu, static_cast<UINT>(GetMenuItemCount(menu) - 1), TRUE, &info);
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
    std::vector<TGdiObject> glyphs;  // released after the menu
    AppendItems(menu, FItems, order, glyphs);
    UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    DestroyMenu(menu);
    if (chosen >= 1 && chosen <= order.size()) {
        TMenuItem* i = order[chosen - 1];
        if (i->Enabled && i->OnClick) i->OnClick(nullptr);
    }
}
