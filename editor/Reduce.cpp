#include "editor/Reduce.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_set>

namespace {

constexpr int kPixels = kImageSize * kImageSize;
constexpr int kPosterizeAbove = 512;  // posterizing pays off only for many colours
constexpr int kPosterizeStep = 8;

int Brightness(TColor c) { return (RedOf(c) + GreenOf(c) + BlueOf(c)) / 3; }

// The first `size` entries of the table as a palette; black past the live entries.
std::vector<TRGBQuad> PaletteOf(const TColourTable& table, int size) {
    std::vector<TRGBQuad> pal(static_cast<std::size_t>(size));
    for (int j = 0; j < size; ++j) pal[static_cast<std::size_t>(j)] = ColorToQuad(table.At(j));
    return pal;
}

bool IsReducible(const TBitmap& source) { return source.Width() == kImageSize && source.Height() == kImageSize; }

} // namespace

// ---- the colour table

void TColourTable::CountColours(const TBitmap& source) {
    struct Entry {
        TColor Colour;
        int Uses;
    };
    std::vector<Entry> entries{{clBlack, kPixels}, {clWhite, kPixels}};
    entries.reserve(kMaxColours);
    for (int y = 0; y < kImageSize && y < source.Height(); ++y)
        for (int x = 0; x < kImageSize && x < source.Width(); ++x) {
            const TColor c = source.Pixel(x, y);
            auto it = std::find_if(entries.begin(), entries.end(), [c](const Entry& e) { return e.Colour == c; });
            if (it == entries.end())
                entries.push_back({c, 1});
            else
                it->Uses = std::min(it->Uses + 1, kPixels);
        }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.Uses > b.Uses; });
    FColours.clear();
    for (const Entry& e : entries) FColours.push_back(e.Colour);
}

void TColourTable::RemoveDuplicateColours() {
    std::vector<TColor> kept;
    kept.reserve(FColours.size());
    std::unordered_set<TColor> seen;
    for (TColor c : FColours)
        if (seen.insert(c).second) kept.push_back(c);
    FColours = std::move(kept);
}

void TColourTable::Posterize(int step) {
    const auto down = [step](uint8_t v) { return static_cast<uint8_t>(v - v % step); };
    for (TColor& c : FColours) c = MakeColor(down(RedOf(c)), down(GreenOf(c)), down(BlueOf(c)));
    RemoveDuplicateColours();
}

bool TColourTable::FindClosestPair(int& i, int& k) const {
    const int n = Count();
    // Positions by bucket as lists in table order: the first neighbour of an entry is the
    // smallest other position among the heads of the 27 buckets around its own.
    std::vector<int> head(16 * 16 * 16, -1), next(static_cast<std::size_t>(n), -1);
    const auto cell = [](int r, int g, int b) { return static_cast<std::size_t>((r * 16 + g) * 16 + b); };
    for (int a = n - 1; a >= 0; --a) {
        const TColor c = FColours[static_cast<std::size_t>(a)];
        int& h = head[cell(RedOf(c) >> 4, GreenOf(c) >> 4, BlueOf(c) >> 4)];
        next[static_cast<std::size_t>(a)] = h;
        h = a;
    }
    bool accepted = false;
    int bestI = 0, bestK = 0, bestD = 0;
    for (int a = 0; a < n; ++a) {
        const TColor ca = FColours[static_cast<std::size_t>(a)];
        const int r = RedOf(ca) >> 4, g = GreenOf(ca) >> 4, b = BlueOf(ca) >> 4;
        int first = n;
        for (int cr = std::max(r - 1, 0); cr <= std::min(r + 1, 15); ++cr)
            for (int cg = std::max(g - 1, 0); cg <= std::min(g + 1, 15); ++cg)
                for (int cb = std::max(b - 1, 0); cb <= std::min(b + 1, 15); ++cb) {
                    int p = head[cell(cr, cg, cb)];
                    if (p == a) p = next[static_cast<std::size_t>(p)];
                    if (p >= 0) first = std::min(first, p);
                }
        if (first == n) continue;
        const int d = std::abs(Brightness(ca) - Brightness(FColours[static_cast<std::size_t>(first)]));
        if (accepted ? d < bestD : d != 0) {
            accepted = true;
            bestI = a;
            bestK = first;
            bestD = d;
        }
    }
    if (accepted) {
        i = bestI;
        k = bestK;
    }
    return accepted;
}

// For each entry the first later entry at the smallest squared distance, kept up to date
// while entries leave the table, so that the nearest pair costs one scan per merge.
class TColourTable::TNearestPairs {
public:
    explicit TNearestPairs(const std::vector<TColor>& colours) : FColours(colours) {
        const int n = static_cast<int>(colours.size());
        FNext.assign(static_cast<std::size_t>(n), -1);
        FDist.assign(static_cast<std::size_t>(n), -1);
        for (int a = 0; a < n; ++a) Recompute(a);
    }
    // The first pair at the smallest distance.
    bool Find(int& i, int& k) const {
        int best = -1;
        for (std::size_t a = 0; a < FNext.size(); ++a)
            if (FNext[a] >= 0 && (best < 0 || FDist[a] < FDist[static_cast<std::size_t>(best)])) best = static_cast<int>(a);
        if (best < 0) return false;
        i = best;
        k = FNext[static_cast<std::size_t>(best)];
        return true;
    }
    // The entry at position hi has left the table (FColours already without it).
    void Erased(int hi) {
        FNext.erase(FNext.begin() + hi);
        FDist.erase(FDist.begin() + hi);
        for (std::size_t a = 0; a < FNext.size(); ++a) {
            if (FNext[a] == hi) Recompute(static_cast<int>(a));
            else if (FNext[a] > hi) --FNext[a];
        }
    }

private:
    void Recompute(int a) {
        const int n = static_cast<int>(FColours.size());
        int best = -1, bestD = -1;
        for (int b = a + 1; b < n; ++b) {
            const int d = SquaredRgbDistance(FColours[static_cast<std::size_t>(a)], FColours[static_cast<std::size_t>(b)]);
            if (bestD < 0 || d < bestD) {
                bestD = d;
                best = b;
            }
        }
        FNext[static_cast<std::size_t>(a)] = best;
        FDist[static_cast<std::size_t>(a)] = bestD;
    }

    const std::vector<TColor>& FColours;  // the table's entries; not owned
    std::vector<int> FNext;
    std::vector<int> FDist;
};

bool TColourTable::FindNearestPair(int& i, int& k) const { return TNearestPairs(FColours).Find(i, k); }

void TColourTable::Merge(int i, int k) {
    const int lo = std::min(i, k), hi = std::max(i, k);
    if (lo == hi || lo < 0 || hi >= Count()) return;
    // The entries are distinct, so the one that took the other's colour is the only duplicate.
    FColours.erase(FColours.begin() + hi);
}

void TColourTable::MergeDownTo(int target, const std::atomic<bool>& cancel, IReduceProgress* progress) {
    std::unique_ptr<TNearestPairs> nearest;  // made when first needed
    while (Count() > target && !cancel.load()) {
        const int before = Count();
        int i = 0, k = 0;
        if (!FindClosestPair(i, k)) {
            if (!nearest) nearest = std::make_unique<TNearestPairs>(FColours);
            if (!nearest->Find(i, k)) break;
        }
        Merge(i, k);
        if (Count() == before) break;  // entries are distinct, so a merge always removes one
        if (nearest) nearest->Erased(std::max(i, k));
        if (progress) progress->SetProgress(Count());
    }
}

void TColourTable::KeepMostUsed16(const TBitmap& source) {
    const std::vector<TRGBQuad> pal = PaletteOf(*this, 256);
    int uses[256] = {};
    for (int y = 0; y < kImageSize && y < source.Height(); ++y)
        for (int x = 0; x < kImageSize && x < source.Width(); ++x) ++uses[NearestPaletteIndex(pal, source.Pixel(x, y))];
    int order[256];
    for (int j = 0; j < 256; ++j) order[j] = j;
    std::stable_sort(order, order + 256, [&uses](int a, int b) { return uses[a] > uses[b]; });
    std::vector<TColor> picked;
    for (int j = 0; j < 256 && picked.size() < 16 && uses[order[j]] > 0; ++j) picked.push_back(QuadToColor(pal[order[j]]));
    picked.resize(16, clBlack);
    FColours = std::move(picked);
}

// ---- the worker

THReduce::THReduce(const TBitmap& source, cData& data, std::atomic<bool>& cancel, IReduceProgress* progress,
                   bool posterize, int target, TBitmap& result)
    : FSource(source), FData(data), FCancel(cancel), FGauge(progress), FPosterize(posterize), FTarget(target),
      FResult(result) {}

THReduce::~THReduce() {
    if (FThread.joinable()) {
        FCancel = true;
        FThread.join();
    }
}

void THReduce::Resume() {
    if (FThread.joinable() || FFinished) return;
    FThread = std::thread([this] {
        if (OnStart) OnStart();
        Execute();
        if (OnTerminate) OnTerminate();
    });
}

void THReduce::WaitFor() {
    if (FThread.joinable()) FThread.join();
}

void THReduce::Execute() {
    FStatus = TReduceStatus::Unsupported;
    if ((FTarget == 256 || FTarget == 16) && IsReducible(FSource)) {
        if (FTarget == 256) {
            if (ReduceTo256()) WriteReduction();
        } else {
            ReduceTo16();
            WriteReduction();
        }
        FStatus = FCancel.load() ? TReduceStatus::Cancelled : TReduceStatus::Reduced;
    }
    FFinished = true;
}

bool THReduce::ReduceTo256() {
    FTable.CountColours(FSource);
    if (FTable.Count() > kPosterizeAbove && FPosterize) FTable.Posterize(kPosterizeStep);
    if (FTable.Count() > 256) {
        if (FGauge) FGauge->SetLimits(256, FTable.Count());
        FTable.MergeDownTo(256, FCancel, FGauge);
    }
    return FTable.Count() <= 256;
}

void THReduce::ReduceTo16() {
    FTable.CountColours(FSource);
    if (FTable.Count() > 16) {
        if (FGauge) FGauge->SetLimits(16, FTable.Count());
        FTable.MergeDownTo(16, FCancel, FGauge);
    }
    FTable.KeepMostUsed16(FSource);
}

void THReduce::WriteReduction() {
    const std::vector<TRGBQuad> pal = PaletteOf(FTable, FTarget);
    FResult = TBitmap(kImageSize, kImageSize, FTarget == 256 ? TPixelFormat::pf8bit : TPixelFormat::pf4bit);
    FResult.Colors() = pal;
    FData = cData{};
    for (int j = 0; j < FTarget; ++j) FData.Palette[static_cast<std::size_t>(j)] = pal[static_cast<std::size_t>(j)];
    // One nearest-colour rule for the picture and the record: each pixel takes the first
    // palette entry at the smallest squared distance.
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) {
            const int index = NearestPaletteIndex(pal, FSource.Pixel(x, y));
            FResult.SetPixelIndex(x, y, index);
            FData.Pixels.At(x, y) = static_cast<uint8_t>(index);
        }
}
