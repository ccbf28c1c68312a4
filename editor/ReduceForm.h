#pragma once
// TReduceColDlg: the small progress dialog in which an imported picture is reduced to a
// palette. The caller puts the 32x32 picture into Image1, sets FTargetColors and FPosterize
// and shows the dialog modally; the first paint starts the worker THReduce, the worker's end
// closes the dialog with mrOk. Afterwards, unless CheckBox1 (the cancel flag) is checked,
// Image2 holds the reduced picture with its palette and FReduceData the result record.
//
// The worker reports progress and its end by posting messages to the dialog, which sets
// the gauge and runs the end handler on the window thread. Closing the dialog (WM_CLOSE,
// Escape) while the worker runs cancels it and waits for it; so does destroying it.
#include <atomic>
#include <functional>
#include <memory>

#include "editor/Reduce.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/FirstUse.h"
#include "ui/Gauge.h"
#include "ui/Image.h"
#include "ui/Panel.h"

class TReduceColDlg : public TForm {
public:
    explicit TReduceColDlg(TForm* owner = nullptr);
    ~TReduceColDlg() override;

    int FTargetColors = 256;
    bool FPosterize = false;
    std::unique_ptr<cData> FReduceData;

    std::unique_ptr<TImage> Image1;  // the source picture
    std::unique_ptr<TImage> Image2;  // the result, stretched; shown when the reduction is done
    std::unique_ptr<TCGauge> CGauge1;
    std::unique_ptr<TLabel> Label1;
    std::unique_ptr<TButton> CancelBtn;    // hidden
    std::unique_ptr<TCheckBox> CheckBox1;  // hidden: the cancel flag

    // First paint only: starts the worker on Image1's picture.
    void FormPaint();
    // The worker's end, on the window thread.
    void ReduceDone();
    // Cancels a running reduction, waits for the worker and ends the modal run with mrCancel.
    void Cancel();
    bool Cancelled() const { return CheckBox1->Checked(); }
    // NotRun until a reduction has ended.
    TReduceStatus Status() const { return FStatus; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Posts the worker's gauge limits and counts to the dialog's window.
    class TGaugeHandOver : public IReduceProgress {
    public:
        TGaugeHandOver(HWND target, const std::atomic<bool>& cancel) : FTarget(target), FCancel(cancel) {}
        void SetLimits(int minimum, int maximum) override;
        void SetProgress(int count) override;

    private:
        HWND FTarget;
        const std::atomic<bool>& FCancel;
    };

    void RestoreCursor();

    bool FFirstPaint = true;
    bool FBusy = false;
    TReduceStatus FStatus = TReduceStatus::NotRun;
    TBitmap FSource;  // the worker's copies; the window thread leaves them alone meanwhile
    TBitmap FResult;
    std::atomic<bool> FCancel{false};
    TGaugeHandOver FHandOver;
    std::unique_ptr<THReduce> FWorker;  // last member: destroyed (cancelled, joined) first
};

// Tests hold a running reduction here: called on the worker thread after each pass has been
// reported, with the run's cancel flag. Null (the default) does nothing.
using TReductionPassHook = std::function<void(const std::atomic<bool>& cancel)>;
void SetReductionPassHook(TReductionPassHook hook);

// The dialog created at start; reductions of imported pictures use a dialog of their own.
extern TMadeOnFirstUse<TReduceColDlg> ReduceColDlg;
