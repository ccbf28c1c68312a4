#pragma once
// Pages build the controls of a flat layout from tables: one row per
// control with the member that owns it, its component name, caption, bounds and hint.
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>

#include "ui/Control.h"
#include "ui/Panel.h"

// A control made as Control(parent, name, caption), or as Control(parent, name) when it
// has no caption (Caption is then nullptr), and placed at its bounds.
template <class Page, class Control>
struct TControlRow {
    std::unique_ptr<Control> Page::*Member;
    const char* Name;
    const char* Caption;
    int Left, Top, Width, Height;
    const char* Hint = nullptr;
};

template <class Page, class Control>
void BuildControls(Page& page, TControl* parent, std::initializer_list<TControlRow<Page, Control>> rows) {
    for (const TControlRow<Page, Control>& r : rows) {
        std::unique_ptr<Control>& c = page.*r.Member;
        if constexpr (std::is_constructible_v<Control, TControl*, std::string, std::string>)
            c = std::make_unique<Control>(parent, r.Name, r.Caption ? r.Caption : "");
        else
            c = std::make_unique<Control>(parent, r.Name);
        c->SetBounds(r.Left, r.Top, r.Width, r.Height);
        if (r.Hint) c->SetHint(r.Hint);
    }
}

// A label sizes itself to its caption: only its position is given.
template <class Page>
struct TLabelRow {
    std::unique_ptr<TLabel> Page::*Member;
    const char* Name;
    const char* Caption;
    int Left, Top;
};

template <class Page>
void BuildLabels(Page& page, TControl* parent, std::initializer_list<TLabelRow<Page>> rows) {
    for (const TLabelRow<Page>& r : rows) page.*r.Member = std::make_unique<TLabel>(parent, r.Name, r.Caption, r.Left, r.Top);
}
