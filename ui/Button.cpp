#include "ui/Button.h"

#include "ui/Canvas.h"
#include "ui/Form.h"

TButton::TButton(TControl* parent, const std::string& name, const std::string& caption) : TControl(parent, name) {
    CreateStdWindow(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
    SetCaption(caption);
}

void TButton::SetDefault(bool d) {
    SendMessageW(FHandle, BM_SETSTYLE, d ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
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
    DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT TSpeedButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(FHandle, &ps);
        Paint(dc);
        EndPaint(FHandle, &ps);
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
    CreateStdWindow(L"BUTTON", WS_VISIBLE | BS_GROUPBOX | WS_CLIPSIBLINGS);
    FColor = parent ? parent->Color() : clBtnFace;
    SetCaption(caption);
}
