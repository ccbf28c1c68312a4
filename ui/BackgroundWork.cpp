#include "ui/BackgroundWork.h"

#include <thread>
#include <utility>

#include "base/Exception.h"
#include "base/Format.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Gauge.h"
#include "ui/Panel.h"

namespace {

thread_local TBackgroundWork* tWork = nullptr;

// Posted to the progress box when the work's progress or its cancel flag changed.
constexpr UINT kProgressChanged = WM_APP + 70;

const char* const kWorking = "読み込んでいます…";
const char* const kCancelling = "キャンセルしています…";

} // namespace

// The box: what is done, the gauge and the cancel button. Escape, the button and the close box
// cancel the work.
class TProgressBox : public TForm {
public:
    TProgressBox(TBackgroundWork& work, HWND owner)
        : TForm("ProgressBox", TApplication::Instance().Title(), 260, 82, TFormBorder::bsDialog), FWork(work) {
        if (owner) SetWindowLongPtrW(FHandle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
        Label1 = std::make_unique<TLabel>(this, "Label1", kWorking, 12, 10);
        Label1->SetBounds(12, 10, 236, 16);
        CGauge1 = std::make_unique<TCGauge>(this, "CGauge1");
        CGauge1->SetBounds(12, 30, 236, 17);
        CGauge1->SetForeColor(clBlue);
        CancelBtn = std::make_unique<TButton>(this, "CancelBtn", "キャンセル");
        CancelBtn->SetBounds(94, 54, 72, 22);
        CancelBtn->OnClick = [this](TControl*) { FWork.Cancel(); };
    }

    void Show(const TBackgroundWork::TProgress& progress, bool cancelled) {
        Refresh(progress, cancelled);
        ShowWindow(FHandle, SW_SHOW);
        SetForegroundWindow(FHandle);
        CancelBtn->SetFocus();
        UpdateWindow(FHandle);
    }

    void Refresh(const TBackgroundWork::TProgress& progress, bool cancelled) {
        const int done = progress.Done, total = progress.Total;
        std::string line = cancelled ? kCancelling : progress.Text.empty() ? kWorking : progress.Text;
        if (total > 0) line += Format(" (%d / %d)", done, total);
        Label1->SetCaption(line);
        CGauge1->SetMaxValue(total > 0 ? total : 1);
        CGauge1->SetProgress(total > 0 ? done : 0);
        CancelBtn->SetEnabled(!cancelled);
    }

    std::unique_ptr<TLabel> Label1;
    std::unique_ptr<TCGauge> CGauge1;
    std::unique_ptr<TButton> CancelBtn;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case kProgressChanged: FWork.UpdateBoxFromWindowThread(); return 0;
        case WM_CLOSE: FWork.Cancel(); return 0;
        case WM_KEYDOWN:
            if (wp == VK_ESCAPE) {
                FWork.Cancel();
                return 0;
            }
            break;
        case WM_COMMAND:
            // Escape through the dialog manager arrives as IDCANCEL from no control.
            if (lp == 0 && LOWORD(wp) == IDCANCEL) {
                FWork.Cancel();
                return 0;
            }
            break;
        default: break;
        }
        return TForm::WndProc(msg, wp, lp);
    }

private:
    TBackgroundWork& FWork;
};

TBackgroundWork::TBackgroundWork(HWND owner)
    : FOwner(owner), FJobReady(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      FJobEnded(CreateEventW(nullptr, FALSE, FALSE, nullptr)), FStepReady(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

TBackgroundWork::~TBackgroundWork() {
    if (FWorker.joinable()) {
        FJob = nullptr;  // no job: the worker ends
        SetEvent(FJobReady);
        FWorker.join();
    }
    FBoxHandle = nullptr;
    FBox.reset();
    for (HANDLE h : {FStepReady, FJobReady, FJobEnded})
        if (h) CloseHandle(h);
}

void TBackgroundWork::Serve() {
    tWork = this;
    for (;;) {
        WaitForSingleObject(FJobReady, INFINITE);
        if (!FJob) break;
        try {
            (*FJob)();
        } catch (...) {
            FJobFailure = std::current_exception();
        }
        SetEvent(FJobEnded);
    }
    tWork = nullptr;
}

TBackgroundWork* TBackgroundWork::OfThisThread() { return tWork; }

HWND TBackgroundWork::ProgressBox() const { return FBox ? FBox->Handle() : nullptr; }

void TBackgroundWork::SetProgress(int done, int total, const std::string& text) {
    {
        std::lock_guard lock(FProgressLock);
        FProgress = TProgress{done, total, text};
    }
    if (HWND box = FBoxHandle.load()) PostMessageW(box, kProgressChanged, 0, 0);
}

void TBackgroundWork::Cancel() {
    FCancel = true;
    if (HWND box = FBoxHandle.load()) PostMessageW(box, kProgressChanged, 0, 0);
}

void TBackgroundWork::UpdateBoxFromWindowThread() {
    if (FBox) FBox->Refresh(Progress(), Cancelled());
}

TBackgroundWork::TProgress TBackgroundWork::Progress() const {
    std::lock_guard lock(FProgressLock);
    return FProgress;
}

bool TBackgroundWork::Run(const std::function<void()>& work, const std::string& failureText) {
    if (Cancelled()) return false;
    if (!FStepReady || !FJobReady || !FJobEnded) throw Exception(failureText);
    // One worker serves every run of the batch.
    if (!FWorker.joinable()) FWorker = std::thread([this] { Serve(); });
    FJob = &work;
    FJobFailure = nullptr;
    SetEvent(FJobReady);
    bool quit = false;
    const HWND active = GetActiveWindow();
    FRunningSince = GetTickCount64();
    {
        // The command's windows wait; the box (once shown) stays usable.
        TThreadWindowsDisabled disabled(ProgressBox());
        quit = Loop(FJobEnded);
    }
    FWorkedMs += GetTickCount64() - FRunningSince;
    // A dialog of a step that closed while its owner waited left no window active: the window
    // that was active takes input again, unless the box has it.
    const HWND now = GetActiveWindow();
    if (active && IsWindow(active) && now != active && (!FBox || now != FBox->Handle())) SetForegroundWindow(active);
    if (quit) PostQuitMessage(0);  // for the loop that waits for it
    if (const std::exception_ptr failure = std::exchange(FJobFailure, nullptr)) {
        try {
            std::rethrow_exception(failure);
        } catch (const Exception&) {
            throw;
        } catch (...) {
            throw Exception(failureText);
        }
    }
    return true;
}

bool TBackgroundWork::Loop(HANDLE ended) {
    bool quit = false;
    const HANDLE handles[2] = {ended, FStepReady};
    for (;;) {
        DWORD timeout = INFINITE;
        if (!FBox && !FNoBox) {
            const ULONGLONG waited = FWorkedMs + (GetTickCount64() - FRunningSince);
            timeout = waited >= kProgressDelayMs ? 0 : static_cast<DWORD>(kProgressDelayMs - waited);
        }
        const DWORD r = MsgWaitForMultipleObjectsEx(2, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) return quit;
        if (r == WAIT_OBJECT_0 + 1) {
            ServeStep();
        } else if (r == WAIT_TIMEOUT) {
            ShowProgressBox();
        } else if (r == WAIT_OBJECT_0 + 2) {
            quit = PumpMessages() || quit;
        } else {
            // The wait itself failed: the worker is still waited for, a little at a time.
            if (WaitForSingleObject(ended, 10) == WAIT_OBJECT_0) return quit;
        }
    }
}

void TBackgroundWork::ServeStep() {
    const std::function<void()>* step = nullptr;
    {
        std::lock_guard lock(FStepLock);
        step = FStep;
    }
    if (!step) return;
    // The time a step takes (a question waiting for its answer) is not the work's.
    FWorkedMs += GetTickCount64() - FRunningSince;
    std::exception_ptr failure;
    try {
        (*step)();
    } catch (...) {
        failure = std::current_exception();
    }
    FRunningSince = GetTickCount64();
    {
        std::lock_guard lock(FStepLock);
        FStepFailure = failure;
        FStepDone = true;
    }
    FStepEnded.notify_all();
}

void TBackgroundWork::RunStep(const std::function<void()>& step) {
    std::unique_lock lock(FStepLock);
    FStep = &step;
    FStepDone = false;
    FStepFailure = nullptr;
    SetEvent(FStepReady);
    FStepEnded.wait(lock, [this] { return FStepDone; });
    FStep = nullptr;
    if (std::exception_ptr failure = std::exchange(FStepFailure, nullptr)) std::rethrow_exception(failure);
}

void TBackgroundWork::ShowProgressBox() {
    if (FBox) return;
    try {
        FBox = std::make_unique<TProgressBox>(*this, FOwner);
    } catch (const std::exception&) {
        FNoBox = true;
        return;
    }
    FBoxHandle = FBox->Handle();
    FBox->Show(Progress(), Cancelled());
}

bool TBackgroundWork::PumpMessages() {
    bool quit = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            Cancel();
            continue;
        }
        HWND box = ProgressBox();
        if (box && (msg.hwnd == box || IsChild(box, msg.hwnd))) {
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
                Cancel();
                continue;
            }
            if (IsDialogMessageW(box, &msg)) continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return quit;
}

bool RunOffWindowThread(HWND owner, const std::function<void()>& work, const std::string& failureText) {
    if (TBackgroundWork* running = TBackgroundWork::OfThisThread()) {
        if (running->Cancelled()) return false;
        work();
        return !running->Cancelled();
    }
    TBackgroundWork own(owner);
    return own.Run(work, failureText) && !own.Cancelled();
}
