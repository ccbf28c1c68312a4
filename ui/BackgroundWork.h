#pragma once
// TBackgroundWork: the long part of a window command (reading and decoding files, waiting for
// the reader helper) run on a worker thread while the window thread keeps painting and
// answering in a modal loop of its own. The windows of the thread are disabled meanwhile, so no
// command comes in again. When the work (a whole batch of runs, the steps it hands to the window
// thread left out) lasts longer than kProgressDelayMs a progress box shows what is done ("i / n") with a cancel
// button; that button, Escape in the box or closing it sets the cancel flag, which the work
// reads between its steps: a cancelled batch runs nothing more.
//
// What must happen on the window thread (a question, a dialog, a message, the store into the
// document) the work hands over with OnWindowThread: the worker waits while the window thread
// runs the step inside the loop, and an exception of the step travels back to the worker.
// Called on the window thread itself (outside any work), OnWindowThread simply runs the step,
// so code that may run on either side calls it without asking.
//
// An exception of the work ends Run on the window thread: one of ours (Exception) as it was
// thrown, any other as an Exception with the run's failure text, never the library's own text.
// One worker thread serves every run of a batch; the destructor ends it and waits for it.
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>

#include "ui/Win.h"

class TProgressBox;

class TBackgroundWork {
public:
    // owner: the window of the command, above which the progress box shows.
    explicit TBackgroundWork(HWND owner);
    // Destroys the progress box. Call it on the window thread, after the last Run.
    ~TBackgroundWork();
    TBackgroundWork(const TBackgroundWork&) = delete;
    TBackgroundWork& operator=(const TBackgroundWork&) = delete;

    // The time a batch may take before the progress box shows.
    static constexpr unsigned kProgressDelayMs = 400;

    // Runs work on a worker thread and returns when it has ended (window thread only; one run
    // at a time). False, with nothing run, once the batch is cancelled. failureText: the
    // message an exception other than ours ends the command with.
    bool Run(const std::function<void()>& work, const std::string& failureText);

    // The progress shown: done of total, with an optional line above the gauge. Any thread.
    void SetProgress(int done, int total, const std::string& text = {});
    // Set by the progress box's cancel, Escape or close, or by Cancel. Any thread.
    bool Cancelled() const { return FCancel.load(); }
    void Cancel();

    // The progress box once it has shown (tests look for it), else null.
    HWND ProgressBox() const;

    // The work whose worker is the calling thread, else null.
    static TBackgroundWork* OfThisThread();
    // Runs step on the window thread and waits for it (see above).
    void RunStep(const std::function<void()>& step);

private:
    friend class TProgressBox;
    // The window thread's loop until the worker has ended; true when it took a WM_QUIT.
    bool Loop(HANDLE ended);
    // The worker's loop: each job handed over by Run, until a null one.
    void Serve();
    void ServeStep();
    void ShowProgressBox();
    bool PumpMessages();
    void UpdateBoxFromWindowThread();

    HWND FOwner;
    std::atomic<bool> FCancel{false};
    // The time the batch's work has taken, steps on the window thread left out.
    ULONGLONG FWorkedMs = 0, FRunningSince = 0;
    bool FNoBox = false;     // the box could not be made: the work goes on without one
    std::unique_ptr<TProgressBox> FBox;
    std::atomic<HWND> FBoxHandle{nullptr};

    // The run's job: set by the window thread before FJobReady, read by the worker; the
    // failure set by the worker before FJobEnded. The worker is joined by the destructor.
    HANDLE FJobReady = nullptr, FJobEnded = nullptr;  // auto-reset events
    const std::function<void()>* FJob = nullptr;
    std::exception_ptr FJobFailure;

    // The hand-over of a step: the worker fills FStep and signals FStepReady; the window
    // thread runs it, sets FStepDone and notifies.
    HANDLE FStepReady = nullptr;  // auto-reset event, waited for by the window thread
    std::mutex FStepLock;
    std::condition_variable FStepEnded;
    const std::function<void()>* FStep = nullptr;
    std::exception_ptr FStepFailure;
    bool FStepDone = false;

    struct TProgress {
        int Done = 0, Total = 0;
        std::string Text;
    };
    TProgress Progress() const;
    mutable std::mutex FProgressLock;
    TProgress FProgress;

    std::thread FWorker;  // started by the first run
};

// Runs f on the window thread: handed over when the calling thread is a work's worker, called
// at once otherwise. Gives f's result; f's exception is thrown here.
template <typename F>
auto OnWindowThread(F&& f) -> std::invoke_result_t<F&> {
    TBackgroundWork* work = TBackgroundWork::OfThisThread();
    if (!work) return f();
    using R = std::invoke_result_t<F&>;
    if constexpr (std::is_void_v<R>) {
        work->RunStep([&] { f(); });
    } else {
        std::optional<R> result;
        work->RunStep([&] { result.emplace(f()); });
        return std::move(*result);
    }
}

// Whether the calling thread's work (if it runs on one) has been cancelled.
inline bool BackgroundWorkCancelled() {
    const TBackgroundWork* work = TBackgroundWork::OfThisThread();
    return work && work->Cancelled();
}

// Runs work off the window thread: here when the calling thread is already a work's worker,
// else in a work of its own above owner (a progress box if it lasts). False when the work was
// cancelled, before or while it ran.
bool RunOffWindowThread(HWND owner, const std::function<void()>& work, const std::string& failureText);
