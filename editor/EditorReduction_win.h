#pragma once
// The colour reduction as the editor runs it: the reduction worker reduces the picture on
// its own thread while the editor stays open, and its end reaches the window thread through
// a message-only window, where `done` receives the reduced palette (or none when the worker
// produced no result).
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "base/Bitmap.h"
#include "editor/PaletteEdit.h"
#include "editor/Reduce.h"
#include "ui/Gauge.h"
#include "ui/Win.h"

using TReductionDone = std::function<void(std::optional<ImagePalette> palette)>;

class TEditorReduction {
public:
    TEditorReduction();
    // A running worker is cancelled and waited for; its result is dropped.
    ~TEditorReduction();
    TEditorReduction(const TEditorReduction&) = delete;
    TEditorReduction& operator=(const TEditorReduction&) = delete;

    // Starts reducing the picture (as shown) to `colours` (16 or 256); false when one runs already.
    bool Start(const TPaletteView& picture, int colours, TReductionDone done);
    bool Running() const { return FWorker != nullptr; }
    // Cancels a running worker and waits for it; `done` is not called.
    void Cancel();
    // The gauge that shows the colour count while a reduction runs (not owned; may be null).
    void SetGauge(TCGauge* gauge) { FGauge = gauge; }

private:
    // Posts the worker's limits and counts to the window thread.
    class TProgressPost : public IReduceProgress {
    public:
        explicit TProgressPost(HWND& target) : FTarget(target) {}
        void SetLimits(int minimum, int maximum) override;
        void SetProgress(int count) override;

    private:
        HWND& FTarget;
    };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Finish();

    HWND FWindow = nullptr;
    TCGauge* FGauge = nullptr;  // not owned
    TProgressPost FProgress{FWindow};
    TBitmap FSource, FResult;
    cData FData;
    std::atomic<bool> FCancel{false};
    std::unique_ptr<THReduce> FWorker;
    TReductionDone FDone;
};
