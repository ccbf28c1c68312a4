#include "ui/Form.h"

#include <memory>
#include <vector>

#include "ui/Application.h"
#include "ui/HelpForm.h"

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
    ShowWindow(FHandle, SW_SHOW);
    UpdateWindow(FHandle);
    if (OnShow) OnShow(this);
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
    ShowWindow(FHandle, SW_SHOW);
    SetForegroundWindow(FHandle);
    if (OnShow) OnShow(this);
    MSG msg;
    bool quit = false;
    while (FModalResult == mrNone) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = true;
            FModalResult = mrCancel;
            break;
        }
        if (!IsDialogMessageW(FHandle, &msg)) {
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
        // Enter and Escape from IsDialogMessage arrive as IDOK / IDCANCEL with no control.
        if (lp == 0 && FModal && (LOWORD(wp) == IDCANCEL)) {
            FModalResult = mrCancel;
            return 0;
        }
        break;
    default: break;
    }
    return TControl::WndProc(msg, wp, lp);
}
