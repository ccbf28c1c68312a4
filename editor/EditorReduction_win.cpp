#include "editor/EditorReduction_win.h"

namespace {
constexpr UINT kReductionEnded = WM_APP + 15;
constexpr UINT kGaugeLimits = WM_APP + 16;  // wParam minimum, lParam maximum
constexpr UINT kGaugeCount = WM_APP + 17;   // wParam the colour count
constexpr wchar_t kWindowClass[] = L"TamsoloEditorReduction";
}  // namespace

void TEditorReduction::TProgressPost::SetLimits(int minimum, int maximum) {
    PostMessageW(FTarget, kGaugeLimits, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
}

void TEditorReduction::TProgressPost::SetProgress(int count) {
    PostMessageW(FTarget, kGaugeCount, static_cast<WPARAM>(count), 0);
}

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
    FWorker = std::make_unique<THReduce>(FSource, FData, FCancel, &FProgress, false, colours, FResult);
    if (FGauge) {
        FGauge->Show();
    }
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
    while (PeekMessageW(&m, FWindow, kReductionEnded, kGaugeCount, PM_REMOVE)) {
    }
    if (FGauge) FGauge->Hide();
}

void TEditorReduction::Finish() {
    if (!FWorker) return;
    FWorker->WaitFor();
    const bool reduced = FWorker->Status() == TReduceStatus::Reduced;
    FWorker.reset();
    if (FGauge) FGauge->Hide();
    TReductionDone done = std::move(FDone);
    FDone = nullptr;
    if (done) done(reduced ? std::optional<ImagePalette>(FData.Palette) : std::nullopt);
}

LRESULT CALLBACK TEditorReduction::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TEditorReduction*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg == kReductionEnded) {
        self->Finish();
        return 0;
    }
    if (self && self->FGauge && self->FWorker && (msg == kGaugeLimits || msg == kGaugeCount)) {
        // The gauge runs from the target to the colour count at the start and shows the count.
        if (msg == kGaugeLimits) {
            self->FGauge->SetMinValue(static_cast<int>(wp));
            self->FGauge->SetMaxValue(static_cast<int>(lp));
        } else {
            self->FGauge->SetProgress(static_cast<int>(wp));
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
