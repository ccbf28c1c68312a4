#include "ui/Application.h"

#include "base/Exception.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/HelpForm.h"
#include "ui/Resource.h"

TApplication::TApplication() = default;
TApplication::~TApplication() = default;

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
        if (TForm::RouteMessage(msg)) continue;
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
        if (TForm::RouteMessage(msg)) continue;
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
    if (f != FMainForm) FHelpForm.reset();  // it belongs to the main form that goes
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

void TApplication::SetHelpFile(const std::string& f) {
    if (f != FHelpFile) FHelpForm.reset();
    FHelpFile = f;
}

bool TApplication::HelpCommand(UINT command, ULONG_PTR data) {
    if (command == HELP_QUIT) {
        FHelpForm.reset();
        return true;
    }
    if (FHelpFile.empty()) return false;
    HWND owner = FMainForm ? FMainForm->Handle() : nullptr;
    if (!FHelpForm) {
        std::string problem;
        try {
            TResourceStream stream(FInstance ? FInstance : GetModuleHandleW(nullptr), FHelpFile, "HELPTEXT");
            std::string text(static_cast<std::size_t>(stream.Size()), '\0');
            stream.ReadBuffer(text.data(), stream.Size());
            FHelpForm = std::make_unique<THelpForm>(FTitle.empty() ? "ヘルプ" : FTitle + " ヘルプ",
                                                    THelpDocument::Parse(text), FMainForm);
        } catch (const EFOpenError&) {
            problem = "'" + FHelpFile + "' が見つかりません。";
        } catch (const std::exception& e) {
            problem = "'" + FHelpFile + "' を読めません。\n" + e.what();
        }
        if (!FHelpForm) {
            ShowMessageBox(owner, "ヘルプを開けません。\n" + problem, FTitle, MB_OK | MB_ICONWARNING);
            return false;
        }
    }
    const bool atContext = command == HELP_CONTEXT || command == HELP_CONTEXTPOPUP;
    if (atContext)
        FHelpForm->ShowContext(static_cast<int>(data));
    else
        FHelpForm->ShowTopic(0);
    HWND help = FHelpForm->Handle();
    if (IsIconic(help)) ShowWindow(help, SW_RESTORE);
    FHelpForm->ShowForm();
    SetForegroundWindow(help);
    FHelpForm->HelpTopics->SetFocus();  // the arrow keys go through the topics
    return true;
}
