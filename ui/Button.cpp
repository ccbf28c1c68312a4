#include "ui/Button.h"

#include <algorithm>

#include "ui/Canvas.h"
#include "ui/Form.h"

TButton::TButton(TControl* parent, const std::string& name, const std::string& caption) : TControl(parent, name) {
    CreateStdWindow(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
    SetCaption(caption);
}

namespace {
TForm* FormOf(HWND h) { return dynamic_cast<TForm*>(TControl::FromHandle(GetAncestor(h, GA_ROOT))); }
}  // namespace

void TButton::SetDefault(bool d) {
    SendMessageW(FHandle, BM_SETSTYLE, d ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    if (TForm* form = FormOf(FHandle)) form->SetDefaultButton(d ? this : nullptr);
}

void TButton::SetCancel(bool c) {
    if (TForm* form = FormOf(FHandle)) form->SetCancelButton(c ? this : nullptr);
}

bool TButton::HandleCommand(WORD code) {
    if (code != BN_CLICKED) return false;
    if (Enabled()) Click();
    return true;
}

void TButton::Click() {
    if (FModalResult != 0) {
        // A button with a modal result ends its modal form.
        HWND top = GetAncestor(FHandle, GA_ROOT);
        if (auto* form = dynamic_cast<TForm*>(TControl::FromHandle(top)); form && form->IsModal())
            form->SetModalResult(FModalResult);
    }
    TControl::Click();
}

TCheckBox::TCheckBox(TControl* parent, const std::string& name, const std::string& caption) : TControl(parent, name) {
    CreateStdWindow(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX);
    SetCaption(caption);
}

bool TCheckBox::Checked() const { return SendMessageW(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    if (checked == Checked()) return;
    SendMessageW(FHandle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Click();
}

bool TCheckBox::HandleCommand(WORD code) {
    if (code != BN_CLICKED) return false;
    // BS_CHECKBOX does not toggle by itself: the user's click toggles, then OnClick runs.
    SendMessageW(FHandle, BM_SETCHECK, Checked() ? BST_UNCHECKED : BST_CHECKED, 0);
    Click();
    return true;
}

TSpeedButton::TSpeedButton(TControl* parent, const std::string& name, const std::string& caption)
    : TControl(parent, name) {
    CreateOwnWindow(WS_VISIBLE | WS_CLIPSIBLINGS);
    SetCaption(caption);
}

void TSpeedButton::SetDown(bool down) {
    if (FGroupIndex == 0) down = false;
    if (down == FDown) return;
    if (!down && !FAllowAllUp) {
        // the last button of a group stays down unless all may be up
        bool other = false;
        for (HWND h = GetWindow(GetParent(FHandle), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            auto* b = dynamic_cast<TSpeedButton*>(TControl::FromHandle(h));
            if (b && b != this && b->FGroupIndex == FGroupIndex && b->FDown) other = true;
        }
        if (!other) return;
    }
    FDown = down;
    if (down) {
        for (HWND h = GetWindow(GetParent(FHandle), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            auto* b = dynamic_cast<TSpeedButton*>(TControl::FromHandle(h));
            if (b && b != this && b->FGroupIndex == FGroupIndex && b->FDown) {
                b->FDown = false;
                b->Invalidate();
            }
        }
    }
    Invalidate();
}

void TSpeedButton::Click() {
    if (FGroupIndex != 0) {
        if (!FDown)
            SetDown(true);
        else if (FAllowAllUp)
            SetDown(false);
    }
    TControl::Click();
}

void TSpeedButton::SetGlyph(const TBitmap& glyph) {
    FGlyph = glyph;
    Invalidate();
}

void TSpeedButton::Paint(HDC dc) {
    RECT r;
    GetClientRect(FHandle, &r);
    TCanvas canvas(dc);
    canvas.FillRect(r, clBtnFace);
    bool sunken = FDown || FPressed;
    if (!FFlat || sunken) DrawEdge(dc, &r, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    std::wstring w = W(Caption());
    TSelectObject font(dc, FFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Enabled() ? clBtnText : clGrayText));
    if (sunken) OffsetRect(&r, 1, 1);
    if (!FGlyph.Empty())  // its bottom-left pixel's colour is transparent
        canvas.Draw(r.left + (r.right - r.left - FGlyph.Width()) / 2, r.top + (r.bottom - r.top - FGlyph.Height()) / 2,
                    GlyphOnBackground(FGlyph, FGlyph.Pixel(0, FGlyph.Height() - 1), clBtnFace));
    DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT TSpeedButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        TPaintDC paint(FHandle);
        HDC dc = paint.Get();
        Paint(dc);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
        FPressed = true;
        Invalidate();
        break;
    case WM_LBUTTONUP:
        FPressed = false;
        Invalidate();
        break;
    default: break;
    }
    return TControl::WndProc(msg, wp, lp);
}

TGroupBox::TGroupBox(TControl* parent, const std::string& name, const std::string& caption) : TControl(parent, name) {
    // A control parent: Tab goes through the controls placed in it.
    CreateStdWindow(L"BUTTON", WS_VISIBLE | BS_GROUPBOX | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    FColor = parent ? parent->Color() : clBtnFace;
    SetCaption(caption);
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // The button class paints only the frame and the caption of a group; the rest of it,
    // between and around the controls placed in it, is the group's own colour.
    if (msg == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, ColorBrush());
        return 1;
    }
    return TControl::WndProc(msg, wp, lp);
}

// An item of a radio group: the arrow keys move the check and the focus through the group.
class TRadioButton : public TControl {
public:
    TRadioButton(TRadioGroup* group, const std::string& name, const std::string& caption, bool first)
        : TControl(group, name), FGroup(group) {
        CreateStdWindow(L"BUTTON", WS_VISIBLE | BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0));
        SetCaption(caption);
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_GETDLGCODE) return TControl::WndProc(msg, wp, lp) | DLGC_WANTARROWS;
        if (msg == WM_KEYDOWN && wp >= VK_LEFT && wp <= VK_DOWN) {
            FGroup->StepItem(FHandle, wp == VK_LEFT || wp == VK_UP ? -1 : 1);
            return 0;
        }
        return TControl::WndProc(msg, wp, lp);
    }
    bool HandleCommand(WORD code) override {
        if (code == BN_CLICKED) FGroup->UpdateTabStop();
        return false;
    }

private:
    TRadioGroup* FGroup;  // not owned
};

TRadioGroup::TRadioGroup(TControl* parent, const std::string& name, const std::string& caption,
                         const std::vector<std::string>& items)
    : TGroupBox(parent, name, caption) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        FButtons.push_back(std::make_unique<TRadioButton>(this, name + ".Item" + std::to_string(i), items[i], i == 0));
        FButtons.back()->SetBounds(10, 18 + static_cast<int>(i) * 20, 120, 18);
    }
}

int TRadioGroup::ItemIndex() const {
    for (std::size_t i = 0; i < FButtons.size(); ++i)
        if (FButtons[i]->Perform(BM_GETCHECK) == BST_CHECKED) return static_cast<int>(i);
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    for (std::size_t i = 0; i < FButtons.size(); ++i)
        FButtons[i]->Perform(BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED);
    UpdateTabStop();
}

void TRadioGroup::UpdateTabStop() {
    const int checked = std::max(ItemIndex(), 0);
    for (std::size_t i = 0; i < FButtons.size(); ++i) {
        FButtons[i]->SetTabStop(static_cast<int>(i) == checked);
    }
}

void TRadioGroup::StepItem(HWND from, int delta) {
    const int n = static_cast<int>(FButtons.size());
    int at = 0;
    while (at < n && FButtons[static_cast<std::size_t>(at)]->Handle() != from) ++at;
    for (int step = 1; step < n; ++step) {
        const int i = ((at + delta * step) % n + n) % n;
        TControl& item = *FButtons[static_cast<std::size_t>(i)];
        if (!item.Enabled() || !item.Visible()) continue;
        item.SetFocus();
        SetItemIndex(i);
        return;
    }
}

HWND TRadioGroup::ItemHandle(int i) const { return FButtons.at(static_cast<std::size_t>(i))->Handle(); }
