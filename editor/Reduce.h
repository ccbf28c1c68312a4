#pragma once
// Colour reduction of one 32x32 picture to at most 256 or to 16 colours by repeatedly
// merging the two most similar colours of its colour table.
//
// THReduce runs the reduction once, either on the calling thread (Execute) or on a worker
// thread of its own (Resume, then WaitFor). The worker touches nothing but the source
// picture (read only), the result picture, the result record and the progress sink; the
// starter leaves all of them alone until the run has ended. Progress and the end are
// reported on the worker thread: window code posts them on to its own thread.
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "base/Bitmap.h"
#include "formats/ImageRecord.h"

// The result of one reduction: palette indices (bottom row first, mask area zero) and the
// palette (blue, green, red, 0; entries past the target black).
struct cData {
    PixelBlock Pixels;
    ImagePalette Palette{};
};

enum class TReduceStatus {
    NotRun,       // Execute has not finished yet
    Reduced,      // the result picture and the record hold the reduction
    Cancelled,    // the cancel flag was set; the result, if any, is to be skipped
    Unsupported,  // the target is neither 256 nor 16, or the source is not 32x32
};

// Where the worker reports progress; called on the worker thread.
class IReduceProgress {
public:
    virtual ~IReduceProgress() = default;
    // The gauge's limits: the colour count at the start and the target.
    virtual void SetLimits(int minimum, int maximum) = 0;
    // The colour count after each merge pass.
    virtual void SetProgress(int count) = 0;
};

// The colour table of one reduction, most used colours first, and its operations.
class TColourTable {
public:
    static constexpr int kMaxColours = 1026;  // 1024 pixels, black and white

    TColourTable() = default;
    explicit TColourTable(std::vector<TColor> colours) : FColours(std::move(colours)) { RemoveDuplicateColours(); }

    const std::vector<TColor>& Colours() const { return FColours; }
    int Count() const { return static_cast<int>(FColours.size()); }
    // Entry i, or black past the live entries.
    TColor At(int i) const { return i >= 0 && i < Count() ? FColours[static_cast<std::size_t>(i)] : clBlack; }

    // Black and white (each counted as fully used, so that both lead the table and survive
    // every merge), then the picture's colours by use count, ties in order of first appearance.
    void CountColours(const TBitmap& source);
    // Keeps the first occurrence of each colour, in order.
    void RemoveDuplicateColours();
    // Rounds every channel down to a multiple of step, then removes duplicates.
    void Posterize(int step);
    // The pair to merge: for each entry i, the first other entry k whose 16-level buckets
    // differ by at most 1 per channel; of those pairs the one with the smallest difference of
    // average brightness, the earliest on ties. The first pair taken must differ (d != 0).
    // False when no pair qualifies.
    bool FindClosestPair(int& i, int& k) const;
    // The two entries at the smallest squared RGB distance, the earliest on ties.
    // False with fewer than two entries.
    bool FindNearestPair(int& i, int& k) const;
    // The entry at the larger position takes the colour of the one at the smaller position
    // and, now a duplicate, leaves the table.
    void Merge(int i, int k);
    // Merges until at most target colours remain or cancel is set; reports each count.
    // Always reaches the target unless cancelled: where no bucket pair qualifies the nearest
    // pair is merged.
    void MergeDownTo(int target, const std::atomic<bool>& cancel, IReduceProgress* progress);
    // The 16 entries (among the first 256) that are nearest to the most pixels of the
    // picture, most used first; entries no pixel is nearest to are dropped; black fills up.
    void KeepMostUsed16(const TBitmap& source);

private:
    class TNearestPairs;
    std::vector<TColor> FColours;
};

class THReduce {
public:
    // The result picture becomes a 32x32 8-bit (target 256) or 4-bit (target 16) picture
    // with the reduced palette. progress may be null. Nothing runs until Execute or Resume.
    THReduce(const TBitmap& source, cData& data, std::atomic<bool>& cancel, IReduceProgress* progress, bool posterize,
             int target, TBitmap& result);
    // A worker that is still running is cancelled and waited for.
    ~THReduce();
    THReduce(const THReduce&) = delete;
    THReduce& operator=(const THReduce&) = delete;

    // Runs the reduction on the calling thread.
    void Execute();
    // Starts the worker thread (once): OnStart, Execute, then OnTerminate, all on that thread.
    void Resume();
    // Waits until the worker thread has ended; returns at once when none runs.
    void WaitFor();
    bool Finished() const { return FFinished.load(); }
    // Valid once Finished (or after Execute).
    TReduceStatus Status() const { return FStatus; }
    int ColourCount() const { return FTable.Count(); }

    // Run on the worker thread before the reduction (for example to raise its priority).
    std::function<void()> OnStart;
    // Run on the worker thread when the reduction has ended.
    std::function<void()> OnTerminate;

private:
    bool ReduceTo256();
    void ReduceTo16();
    void WriteReduction();

    const TBitmap& FSource;
    cData& FData;
    std::atomic<bool>& FCancel;
    IReduceProgress* FGauge;  // not owned; may be null
    bool FPosterize;
    int FTarget;
    TBitmap& FResult;
    TColourTable FTable;
    TReduceStatus FStatus = TReduceStatus::NotRun;
    std::atomic<bool> FFinished{false};
    std::thread FThread;
};
