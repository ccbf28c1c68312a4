#include "ui/Form.h"

#include <memory>
#include <vector>

#include "ui/Application.h"
#include "ui/HelpForm.h"
#include "ui/PageControl.h"

namespace {

DWORD StyleFor(TFormBorder b) {
    switch (b) {
    case TFormBorder::bsSizeable: return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    case TFormBorder::bsSingle: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    case TFormBorder::bsDialog: return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
    }
    return WS_OVERLAPPEDWINDOW;
}

} // namespace

TForm::TForm(const std::string& name, const std::string& caption, int clientWidth, int clientHeight,
             TFormBorder border, TForm* owner)
    : TControl(nullptr, name) {
    CreateOwnWindow(StyleFor(border), border == TFormBorder::bsDialog ? WS_EX_DLGMODALFRAME : 0, L"TamsoloForm");
    if (owner) SetWindowLongPtrW(FHandle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner->Handle()));
    SetCaption(caption);
    SetClientSize(clientWidth, clientHeight);
    CenterOnScreen();
}

TForm::~TForm() {
    if (TApplication::Instance().MainForm() == this) TApplication::Instance().SetMainForm(nullptr);
}

void TForm::SetClientSize(int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(FHandle, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(FHandle, GWL_EXSTYLE)));
    SetWindowPos(FHandle, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetCloseBox(bool shown) {
    LONG style = GetWindowLongW(FHandle, GWL_STYLE);
    style = shown ? (style | WS_SYSMENU) : (style & ~WS_SYSMENU);
    SetWindowLongW(FHandle, GWL_STYLE, style);
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

void TForm::CenterOnScreen() {
    RECT r;
    GetWindowRect(FHandle, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(FHandle, nullptr, (sw - w) / 2, (sh - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::ShowForm() {
    FLastFocus = nullptr;
    ShowWindow(FHandle, SW_SHOW);
    UpdateWindow(FHandle);
    if (OnShow) OnShow(this);
    FocusOnShow();
}

// ---- the keyboard

namespace {
// A window that can take the focus now.
bool CanFocus(HWND h) { return h && IsWindow(h) && IsWindowVisible(h) && IsWindowEnabled(h); }
}  // namespace

void TForm::SetDefaultButton(TControl* button) { FDefaultButton = button ? button->Handle() : nullptr; }
void TForm::SetCancelButton(TControl* button) { FCancelButton = button ? button->Handle() : nullptr; }
void TForm::SetActiveControl(TControl* control) { FActiveControl = control ? control->Handle() : nullptr; }

HWND TForm::FirstTabStop(HWND within) const {
    HWND root = within ? within : FHandle;
    HWND h = GetNextDlgTabItem(root, nullptr, FALSE);
    if (!h || h == root || !IsChild(root, h) || !(GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) || !CanFocus(h)) return nullptr;
    return h;
}

void TForm::FocusControl(HWND control) {
    if (!control) return;
    ::SetFocus(control);
    if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(control, EM_SETSEL, 0, -1);
}

void TForm::FocusOnShow() {
    HWND focus = GetFocus();
    if (focus && IsChild(FHandle, focus)) return;  // the form's OnShow chose it
    HWND first = CanFocus(FActiveControl) && IsChild(FHandle, FActiveControl) ? FActiveControl : FirstTabStop();
    if (first) FocusControl(first);
}

bool TForm::PressButton(HWND button) {
    if (!CanFocus(button) || !IsChild(FHandle, button)) return false;
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return true;
}

void TForm::PressDefault(bool cancel) {
    HWND focus = GetFocus();
    if (!cancel && focus && IsChild(FHandle, focus) &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        PressButton(focus);  // Enter on a push button presses that button
        return;
    }
    HWND button = cancel ? FCancelButton : FDefaultButton;
    if (button && IsWindow(button)) {
        PressButton(button);
        return;
    }
    if (cancel && FModal) FModalResult = mrCancel;
}

bool TForm::TurnPage(bool back) {
    // The page control around the focus, else the form's first one that shows.
    TPageControl* pages = nullptr;
    HWND focus = GetFocus();
    for (HWND h = focus; h && h != FHandle && IsChild(FHandle, h) && !pages; h = GetParent(h))
        pages = dynamic_cast<TPageControl*>(FromHandle(h));
    if (!pages) {
        struct Search {
            static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
                auto* found = dynamic_cast<TPageControl*>(FromHandle(h));
                if (!found || !IsWindowVisible(h)) return TRUE;
                *reinterpret_cast<TPageControl**>(lp) = found;
                return FALSE;
            }
        };
        EnumChildWindows(FHandle, Search::Visit, reinterpret_cast<LPARAM>(&pages));
    }
    if (!pages || pages->PageCount() < 2 || !pages->Enabled()) return false;
    const int n = pages->PageCount();
    pages->SetActivePageIndex((pages->ActivePageIndex() + (back ? n - 1 : 1)) % n);
    if (focus == pages->Handle()) return true;
    TTabSheet* page = pages->ActivePage();
    HWND first = page && page->Handle() ? FirstTabStop(page->Handle()) : nullptr;
    if (first)
        FocusControl(first);
    else
        ::SetFocus(pages->Handle());
    return true;
}

bool TForm::RouteMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
    auto* form = dynamic_cast<TForm*>(FromHandle(GetAncestor(msg.hwnd, GA_ROOT)));
    if (!form || !form->FHandle) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 &&
        form->TurnPage(GetKeyState(VK_SHIFT) < 0))
        return true;
    return IsDialogMessageW(form->FHandle, &msg) != FALSE;
}

// ---- hints

void TForm::SetShowHints(bool shown) {
    FShowHints = shown;
    if (!shown && FHintWindow) SendMessageW(FHintWindow, TTM_ACTIVATE, FALSE, 0);
}

void TForm::HintChanged(TControl& control) {
    if (!FShowHints || !control.Handle()) return;
    if (!FHintWindow) {
        FHintWindow = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, FHandle, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        if (!FHintWindow) return;
        SendMessageW(FHintWindow, WM_SETFONT, reinterpret_cast<WPARAM>(TApplication::DefaultFont()), FALSE);
        SendMessageW(FHintWindow, TTM_SETMAXTIPWIDTH, 0, 400);  // long hints wrap
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = FHandle;
    tool.uId = reinterpret_cast<UINT_PTR>(control.Handle());
    SendMessageW(FHintWindow, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (control.Hint().empty()) return;
    std::wstring text = W(control.Hint());
    tool.lpszText = text.data();
    SendMessageW(FHintWindow, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

TThreadWindowsDisabled::TThreadWindowsDisabled(HWND except) : FExcept(except) {
    struct Enum {
        static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
            if (IsWindowVisible(h) && IsWindowEnabled(h)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
            return TRUE;
        }
    };
    EnumThreadWindows(GetCurrentThreadId(), Enum::Visit, reinterpret_cast<LPARAM>(&FDisabled));
    // The help stays readable beside a modal window, as a help viewer of its own would.
    const THelpForm* help = TApplication::Instance().HelpWindow();
    std::erase_if(FDisabled, [&](HWND h) { return h == FExcept || (help && h == help->Handle()); });
    for (HWND h : FDisabled) EnableWindow(h, FALSE);
}

TThreadWindowsDisabled::~TThreadWindowsDisabled() {
    for (HWND h : FDisabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
}

int TForm::ShowModal() {
    // The other visible top-level windows of this thread wait.
    auto disabled = std::make_unique<TThreadWindowsDisabled>(FHandle);
    FModal = true;
    FModalResult = mrNone;
    FLastFocus = nullptr;
    ShowWindow(FHandle, SW_SHOW);
    SetForegroundWindow(FHandle);
    if (OnShow) OnShow(this);
    FocusOnShow();
    MSG msg;
    bool quit = false;
    while (FModalResult == mrNone) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = true;
            FModalResult = mrCancel;
            break;
        }
        if (!RouteMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // The waiting windows take input again before the form hides, as the system's modal loop
    // does: hiding the active window then activates its owner. A form that hid itself first
    // would leave no window to activate.
    disabled.reset();
    ShowWindow(FHandle, SW_HIDE);
    FModal = false;
    if (quit) PostQuitMessage(0);
    return FModalResult;
}

void TForm::Close() {
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    if (FClosing) return;
    FClosing = true;
    if (OnClose) OnClose(this);
    ShowWindow(FHandle, SW_HIDE);
    FClosing = false;
    if (TApplication::Instance().MainForm() == this) TApplication::Instance().Terminate();
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_PAINT:
        if (OnPaint) {
            { TPaintDC validate(FHandle); }  // the form's handler paints afterwards
            OnPaint(this);
            return 0;
        }
        break;
    case WM_SIZE:
        if (TApplication::Instance().MainForm() == this) TApplication::Instance().MainFormSized(wp);
        break;
    case WM_COMMAND:
        // Enter and Escape from the dialog manager arrive as IDOK / IDCANCEL with no control.
        if (lp == 0 && HIWORD(wp) == 0 && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
            PressDefault(LOWORD(wp) == IDCANCEL);
            return 0;
        }
        break;
    case WM_NEXTDLGCTL: {
        // Tab, Shift+Tab (wp: towards the previous) and the arrows (lp: wp names the control).
        HWND next = reinterpret_cast<HWND>(wp);
        if (!LOWORD(lp)) {
            HWND focus = GetFocus();
            next = GetNextDlgTabItem(FHandle, focus && IsChild(FHandle, focus) ? focus : nullptr, wp != 0);
        }
        if (next && next != FHandle && IsChild(FHandle, next)) FocusControl(next);
        return 0;
    }
    case WM_ACTIVATE:
        // As a dialog does: the focus goes back to the control that had it.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(FHandle, focus)) FLastFocus = focus;
        } else if (!HIWORD(wp)) {
            HWND last = CanFocus(FLastFocus) && IsChild(FHandle, FLastFocus) ? FLastFocus : nullptr;
            HWND first = CanFocus(FActiveControl) && IsChild(FHandle, FActiveControl) ? FActiveControl : FirstTabStop();
            if (last) {
                ::SetFocus(last);
                return 0;
            }
            if (first) {
                FocusControl(first);
                return 0;
            }
        }
        break;
    default: break;
    }
    return TControl::WndProc(msg, wp, lp);
}
