#include "editor/EditorReduction_win.h"

namespace {
constexpr UINT kReductionEnded = WM_APP + 15;
constexpr wchar_t kWindowClass[] = L"TamsoloEditorReduction";
}  // namespace

TEditorReduction::TEditorReduction() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TEditorReduction::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);  // fails harmlessly when registered already
    FWindow = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TEditorReduction::~TEditorReduction() {
    Cancel();
    if (FWindow) DestroyWindow(FWindow);
}

bool TEditorReduction::Start(const TPaletteView& picture, int colours, TReductionDone done) {
    if (FWorker || !FWindow) return false;
    FSource = TBitmap(kImageSize, kImageSize, TPixelFormat::pf24bit);
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) FSource.SetPixel(x, y, picture[static_cast<std::size_t>(PixelBlock::Offset(x, y))]);
    FResult = FSource;
    FData = cData{};
    FCancel = false;
    FDone = std::move(done);
    FWorker = std::make_unique<THReduce>(FSource, FData, FCancel, nullptr, false, colours, FResult);
    FWorker->OnStart = [] { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL); };
    HWND window = FWindow;
    FWorker->OnTerminate = [window] { PostMessageW(window, kReductionEnded, 0, 0); };
    FWorker->Resume();
    return true;
}

void TEditorReduction::Cancel() {
    if (!FWorker) return;
    FCancel = true;
    FWorker->WaitFor();
    FWorker.reset();
    FDone = nullptr;
    MSG m;
    while (PeekMessageW(&m, FWindow, kReductionEnded, kReductionEnded, PM_REMOVE)) {
    }
}

void TEditorReduction::Finish() {
    if (!FWorker) return;
    FWorker->WaitFor();
    const bool reduced = FWorker->Status() == TReduceStatus::Reduced;
    FWorker.reset();
    TReductionDone done = std::move(FDone);
    FDone = nullptr;
    if (done) done(reduced ? std::optional<ImagePalette>(FData.Palette) : std::nullopt);
}

LRESULT CALLBACK TEditorReduction::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kReductionEnded) {
        if (auto* self = reinterpret_cast<TEditorReduction*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) self->Finish();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
