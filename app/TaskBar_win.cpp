#include "app/TaskBar.h"

#include "ui/Application.h"
#include "ui/Form.h"

namespace {

int gTaskBarInstances = 0;
const TTaskBar* gMinimizeHandlersOwner = nullptr;  // the bar whose handlers the application runs
const wchar_t* const kWindowClass = L"TamsoloTaskBarWindow";

void RegisterWindowClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);
    registered = true;
}

} // namespace

std::wstring NotifyTip(const std::string& text) {
    std::wstring tip = W(text);
    if (tip.size() <= 63) return tip;
    std::size_t n = 63;
    if (tip[n - 1] >= 0xD800 && tip[n - 1] <= 0xDBFF) --n;  // do not split a surrogate pair
    return tip.substr(0, n);
}

int TTaskBar::InstanceCount() { return gTaskBarInstances; }

TTaskBar::TTaskBar() {
    ++gTaskBarInstances;
    RegisterWindowClass(WindowProc);
    FWindow = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), this);
}

TTaskBar::~TTaskBar() {
    --gTaskBarInstances;
    if (gMinimizeHandlersOwner == this) {
        TApplication::Instance().OnMinimize = nullptr;
        TApplication::Instance().OnRestore = nullptr;
        gMinimizeHandlersOwner = nullptr;
    }
    Delete();
    if (FWindow) DestroyWindow(FWindow);
    if (FIcon) DestroyIcon(FIcon);
}

LRESULT CALLBACK TTaskBar::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TTaskBar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg != WM_NCCREATE && msg != WM_NCDESTROY) {
        try {
            return self->HandleMessage(msg, wp, lp);
        } catch (const std::exception& e) {
            TApplication::Instance().HandleException(e);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT TTaskBar::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kCallbackMessage: {
        const UINT mouse = static_cast<UINT>(lp);
        if (mouse == WM_LBUTTONDOWN || mouse == WM_LBUTTONDBLCLK || mouse == WM_RBUTTONDOWN) {
            POINT p{};
            GetCursorPos(&p);
            PostMessageW(FWindow, mouse, 0, MAKELPARAM(p.x, p.y));
        }
        return 0;
    }
    case kRefreshMessage: Modify(); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        MouseMessage(msg, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return 0;
    default: return DefWindowProcW(FWindow, msg, wp, lp);
    }
}

void TTaskBar::MouseMessage(UINT mouse, int x, int y) {
    const TMouseButton button = mouse == WM_RBUTTONDOWN ? TMouseButton::mbRight : TMouseButton::mbLeft;
    if (OnMouseDown) OnMouseDown(this, button, TShiftState{}, x, y);
    if (mouse == WM_LBUTTONDOWN) {
        if (OnClick) OnClick(this);
    } else if (mouse == WM_RBUTTONDOWN) {
        if (PopupMenu) {
            SetForegroundWindow(FWindow);
            PopupMenu->Popup(FWindow, x, y);
        }
    } else {
        if (OnDblClick) OnDblClick(this);
        if (PopupMenu) {
            if (TMenuItem* item = GetDefaultMenuItem(*PopupMenu)) {
                TApplication::Instance().ProcessMessages();
                if (item->Enabled && item->OnClick) item->OnClick(nullptr);
            }
        }
        if (!DisableShowForm) {
            TApplication::Instance().Restore();
            if (TForm* main = TApplication::Instance().MainForm()) {
                ShowWindow(main->Handle(), SW_SHOW);
                SetForegroundWindow(main->Handle());
            }
        }
    }
}

void TTaskBar::SetHideMainForm(bool v) {
    FHideMainForm = v;
    if (v) FAutoLoad = true;
}

void TTaskBar::SetAutoLoad(bool v) {
    FAutoLoad = v;
    if (!v) FHideMainForm = false;
}

void TTaskBar::SetImages(TImageList* images) {
    FImages = images;
    if (images) PostRefresh();
}

void TTaskBar::SetImageIndex(int index) {
    FImageIndex = index < 0 ? -1 : index;
    PostRefresh();
}

void TTaskBar::SetText(const std::string& text) {
    FText = text;
    PostRefresh();
}

void TTaskBar::PostRefresh() {
    if (FShown && FWindow) PostMessageW(FWindow, kRefreshMessage, 0, 0);
}

HICON TTaskBar::GetIconHandle() const {
    if (FImageIndex != -1 && FImages && FImageIndex < FImages->Count()) return FIcon;
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

TMenuItem* TTaskBar::GetDefaultMenuItem(const TPopupMenu& menu) {
    for (const auto& item : menu.Items())
        if (item && item->Default) return item.get();
    return nullptr;
}

void TTaskBar::FillRecord() {
    if (FIcon) DestroyIcon(FIcon);
    FIcon = nullptr;
    if (FImageIndex != -1 && FImages && FImageIndex < FImages->Count()) FIcon = FImages->GetIcon(FImageIndex);
    FRecord.cbSize = sizeof(NOTIFYICONDATAW);
    FRecord.hWnd = FWindow;
    FRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    FRecord.uCallbackMessage = kCallbackMessage;
    FRecord.hIcon = GetIconHandle();
    const std::wstring tip = NotifyTip(FText);
    wcsncpy(FRecord.szTip, tip.c_str(), sizeof FRecord.szTip / sizeof FRecord.szTip[0] - 1);
    FRecord.szTip[tip.size()] = L'\0';
}

void TTaskBar::Loaded() {
    FLoaded = true;
    if (FAutoLoad) Add();
    // With HideTaskBar, a minimized program leaves the taskbar and comes back on a restore.
    TApplication& app = TApplication::Instance();
    app.OnMinimize = [this] {
        if (HideTaskBar) Hide();
    };
    app.OnRestore = [this] {
        if (HideTaskBar) Show();
    };
    gMinimizeHandlersOwner = this;
}

void TTaskBar::Add() {
    if (!FShown) {
        FRecord = NOTIFYICONDATAW{};
        FRecord.uID = static_cast<UINT>(gTaskBarInstances);
        FillRecord();
        FShown = Shell_NotifyIconW(NIM_ADD, &FRecord) != FALSE;
    }
    if (FHideMainForm) {
        if (HideTaskBar) Hide();
        if (TForm* main = TApplication::Instance().MainForm())
            ShowWindow(main->Handle(), SW_HIDE);
        else
            TApplication::Instance().ShowMainForm = false;  // before start-up shows it
    }
}

void TTaskBar::Modify() {
    if (!FShown) return;
    FillRecord();
    Shell_NotifyIconW(NIM_MODIFY, &FRecord);
}

void TTaskBar::Delete() {
    if (!FShown) return;
    Shell_NotifyIconW(NIM_DELETE, &FRecord);
    FShown = false;
}

void TTaskBar::Hide() {
    if (TForm* main = TApplication::Instance().MainForm()) ShowWindow(main->Handle(), SW_HIDE);
}

void TTaskBar::Show() {
    if (TForm* main = TApplication::Instance().MainForm()) ShowWindow(main->Handle(), SW_SHOW);
}
