#include "ui/Application.h"

#include "ui/Dialogs.h"
#include "ui/Form.h"

TApplication& TApplication::Instance() {
    static TApplication app;
    return app;
}

void TApplication::Initialize(HINSTANCE instance) {
    FInstance = instance ? instance : GetModuleHandleW(nullptr);
    FMinimized = false;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    FTerminated = false;
}

HFONT TApplication::DefaultFont() {
    static HFONT font = [] {
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpyW(lf.lfFaceName, L"MS UI Gothic");
        return CreateFontIndirectW(&lf);
    }();
    return font;
}

void TApplication::Run() {
    MSG msg;
    while (!FTerminated && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    FTerminated = true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            FTerminated = true;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void TApplication::Terminate() {
    FTerminated = true;
    PostQuitMessage(0);
}

void TApplication::HandleException(const std::exception& e) {
    std::string text = e.what();
    const bool ended = text.ends_with('.') || text.ends_with("。");
    if (!text.empty() && !ended) text += '.';
    ShowMessageBox(FMainForm ? FMainForm->Handle() : nullptr, text, FTitle, MB_OK | MB_ICONSTOP);
}

void TApplication::SetMainForm(TForm* f) {
    FMainForm = f;
    FMinimized = f && IsIconic(f->Handle());
}

void TApplication::Minimize() {
    if (FMainForm) ShowWindow(FMainForm->Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
    if (FMainForm && IsIconic(FMainForm->Handle())) ShowWindow(FMainForm->Handle(), SW_RESTORE);
}

void TApplication::MainFormSized(WPARAM kind) {
    if (kind == SIZE_MINIMIZED && !FMinimized) {
        FMinimized = true;
        if (OnMinimize) OnMinimize();
    } else if ((kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED) && FMinimized) {
        FMinimized = false;
        if (OnRestore) OnRestore();
    }
}

bool TApplication::HelpCommand(UINT command, ULONG_PTR data) {
    if (FHelpFile.empty()) return false;
    HWND owner = FMainForm ? FMainForm->Handle() : nullptr;
    return WinHelpW(owner, W(FHelpFile).c_str(), command, data) != FALSE;
}
