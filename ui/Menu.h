#pragma once
// TPopupMenu with its items, which may hold items of their own (submenus); items are found
// by component name like controls, at any depth.
#include <memory>
#include <vector>

#include "base/Bitmap.h"
#include "ui/Control.h"

class TMenuItem {
public:
    TMenuItem(const std::string& name, const std::string& caption, UINT id) : FName(name), FCaption(caption), FId(id) {}
    const std::string& Name() const { return FName; }
    const std::string& Caption() const { return FCaption; }
    UINT Id() const { return FId; }
    bool Enabled = true;
    bool Checked = false;
    bool Default = false;  // drawn bold; the item a double click on an owner runs
    TBitmap Glyph;         // shown beside the caption; white is transparent
    TNotifyEvent OnClick;

    // Items of the submenu this item opens.
    TMenuItem* Add(const std::string& name, const std::string& caption);
    void AddSeparator();
    TMenuItem* Item(const std::string& name) const;
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return FItems; }

private:
    std::string FName, FCaption;
    UINT FId;
    std::vector<std::unique_ptr<TMenuItem>> FItems;  // nullptr = separator
};

class TPopupMenu {
public:
    explicit TPopupMenu(const std::string& name) : FName(name) {}
    TMenuItem* Add(const std::string& name, const std::string& caption);
    void AddSeparator();
    TMenuItem* Item(const std::string& name) const;
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return FItems; }
    // Runs OnPopup, shows the menu at a screen point and runs the chosen item's OnClick.
    void Popup(HWND owner, int x, int y);
    TNotifyEvent OnPopup;

private:
    std::string FName;
    std::vector<std::unique_ptr<TMenuItem>> FItems;  // nullptr = separator
};
