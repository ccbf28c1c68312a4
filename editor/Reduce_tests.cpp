#include "editor/Reduce.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

TColor Level7(int i) {
    static const uint8_t levels[7] = {0, 42, 85, 127, 170, 212, 255};
    return MakeColor(levels[i % 7], levels[i / 7 % 7], levels[i / 49 % 7]);
}

// The 343 colours of a 7-level cube, repeated over the 1024 pixels: no two of them share
// neighbouring buckets, so no bucket pair ever qualifies.
TBitmap Cube7() {
    TBitmap b(32, 32, TPixelFormat::pf24bit);
    for (int p = 0; p < 1024; ++p) b.SetPixel(p % 32, p / 32, Level7(p % 343));
    return b;
}

// Colours with the number of pixels each gets, painted in order from the top-left.
TBitmap Painted(const std::vector<std::pair<TColor, int>>& uses) {
    TBitmap b(32, 32, TPixelFormat::pf24bit);
    int p = 0;
    for (const auto& [c, n] : uses)
        for (int j = 0; j < n && p < 1024; ++j, ++p) b.SetPixel(p % 32, p / 32, c);
    return b;
}

struct Reduction {
    cData Data;
    TBitmap Result;
    std::atomic<bool> Cancel{false};
    TReduceStatus Status = TReduceStatus::NotRun;
    int Count = 0;

    Reduction(const TBitmap& source, int target, bool posterize = false) {
        THReduce worker(source, Data, Cancel, nullptr, posterize, target, Result);
        worker.Execute();
        Status = worker.Status();
        Count = worker.ColourCount();
    }
    TColor Out(int x, int y) const { return QuadToColor(Data.Palette[Data.Pixels.At(x, y)]); }
};

// Every pixel of the record and of the result picture is the nearest palette colour of its
// source pixel, with the first of equals.
void ExpectNearestColours(const TBitmap& source, const Reduction& r, int target) {
    ASSERT_EQ(r.Result.Width(), 32);
    ASSERT_EQ(r.Result.BitCount(), target == 256 ? 8 : 4);
    ASSERT_EQ(r.Result.Colors().size(), static_cast<std::size_t>(target));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int want = NearestPaletteIndex(r.Data.Palette.data(), target, source.Pixel(x, y));
            ASSERT_EQ(r.Data.Pixels.At(x, y), want) << x << "," << y;
            ASSERT_EQ(r.Result.PixelIndex(x, y), want) << x << "," << y;
        }
    for (int j = 0; j < 256; ++j)
        ASSERT_EQ(r.Data.Palette[j], j < target ? r.Result.Colors()[j] : TRGBQuad{}) << j;
}

std::set<TColor> DistinctUsed(const Reduction& r) {
    std::set<TColor> s;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) s.insert(r.Out(x, y));
    return s;
}

} // namespace

TEST(Reduce, SevenLevelCubeReachesExactlyEachTarget) {
    const TBitmap cube = Cube7();
    for (int target : {256, 16}) {
        Reduction r(cube, target);
        ASSERT_EQ(r.Status, TReduceStatus::Reduced) << target;
        EXPECT_EQ(r.Count, target);
        ExpectNearestColours(cube, r, target);
        std::set<TColor> palette;
        for (int j = 0; j < target; ++j) palette.insert(QuadToColor(r.Data.Palette[j]));
        EXPECT_EQ(palette.size(), static_cast<std::size_t>(target)) << "palette entries distinct";
        EXPECT_EQ(DistinctUsed(r).size(), static_cast<std::size_t>(target));
    }
}

TEST(Reduce, FewColoursKeepTheirColoursBlackAndWhiteFirstThenByUse) {
    const TColor a = MakeColor(10, 200, 30), b = MakeColor(250, 5, 5), c = MakeColor(7, 7, 90);
    const TBitmap pic = Painted({{c, 100}, {a, 600}, {b, 324}});
    Reduction r(pic, 256);
    ASSERT_EQ(r.Status, TReduceStatus::Reduced);
    const TColor want[] = {clBlack, clWhite, a, b, c};
    for (int j = 0; j < 5; ++j) EXPECT_EQ(QuadToColor(r.Data.Palette[j]), want[j]) << j;
    for (int j = 5; j < 256; ++j) EXPECT_EQ(r.Data.Palette[j], TRGBQuad{}) << j;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(r.Out(x, y), pic.Pixel(x, y));

    Reduction uniform(Painted({{c, 1024}}), 256);
    EXPECT_EQ(uniform.Count, 3);
    EXPECT_EQ(QuadToColor(uniform.Data.Palette[2]), c);
}

// Eighteen table entries, two close pairs: B/B' (brightness 93 and 96) is merged first, then
// A/A' (100 and 104). The 16-colour pick drops white, which no pixel is nearest to, and
// keeps black, which four pixels use.
TEST(Reduce, SixteenColoursMergeTheClosePairsAndKeepOnlyUsedEntries) {
    const TColor A = MakeColor(100, 100, 100), A2 = MakeColor(104, 104, 104);
    const TColor B = MakeColor(200, 40, 40), B2 = MakeColor(210, 40, 40);
    std::vector<std::pair<TColor, int>> uses{{A, 200}, {B, 150}, {A2, 100}, {B2, 90}};
    std::vector<TColor> others;
    const uint8_t lv[3] = {32, 96, 160};  // buckets 2, 6 and 10: never neighbours
    for (int i = 0; i < 27 && others.size() < 12; ++i) {
        TColor c = MakeColor(lv[i % 3], lv[i / 3 % 3], lv[i / 9]);
        if (c != MakeColor(96, 96, 96)) others.push_back(c);  // that one would neighbour A
    }
    for (TColor c : others) uses.push_back({c, 40});
    uses.push_back({clBlack, 4});
    const TBitmap pic = Painted(uses);

    Reduction r(pic, 16);
    ASSERT_EQ(r.Status, TReduceStatus::Reduced);
    ExpectNearestColours(pic, r, 16);
    EXPECT_EQ(QuadToColor(r.Data.Palette[0]), A);
    EXPECT_EQ(QuadToColor(r.Data.Palette[1]), B);
    for (int j = 0; j < 12; ++j) EXPECT_EQ(QuadToColor(r.Data.Palette[2 + j]), others[j]) << j;
    EXPECT_EQ(QuadToColor(r.Data.Palette[14]), clBlack);
    for (int j = 0; j < 16; ++j) EXPECT_NE(QuadToColor(r.Data.Palette[j]), clWhite) << j;

    const struct {
        int x, y;
        TColor in, out;
    } pixels[] = {
        {0, 0, A, A},   {8, 6, B, B},   {0, 11, A2, A},  {2, 14, B2, B},  {28, 21, others[4], others[4]},
        {31, 31, clBlack, clBlack},
    };
    for (const auto& p : pixels) {
        ASSERT_EQ(pic.Pixel(p.x, p.y), p.in) << p.x << "," << p.y;
        EXPECT_EQ(r.Out(p.x, p.y), p.out) << p.x << "," << p.y;
    }
}

TEST(Reduce, PosterizesManyColoursToMultiplesOfEightOnlyWhenAsked) {
    TBitmap many(32, 32, TPixelFormat::pf24bit);
    for (int p = 0; p < 1024; ++p) many.SetPixel(p % 32, p / 32, MakeColor(uint8_t(p * 3), uint8_t(p * 5 + 1), uint8_t(p / 4)));
    Reduction on(many, 256, true), off(many, 256, false);
    ASSERT_EQ(on.Status, TReduceStatus::Reduced);
    bool offHasOthers = false;
    for (int j = 0; j < 256; ++j) {
        const TRGBQuad q = on.Data.Palette[j];
        EXPECT_TRUE(q.Red % 8 == 0 && q.Green % 8 == 0 && q.Blue % 8 == 0) << j;
        const TRGBQuad o = off.Data.Palette[j];
        offHasOthers |= o.Red % 8 || o.Green % 8 || o.Blue % 8;
    }
    EXPECT_EQ(QuadToColor(on.Data.Palette[1]), MakeColor(248, 248, 248));
    EXPECT_TRUE(offHasOthers);
}

TEST(Reduce, PairSearchTakesEqualBrightnessOnlyAfterAnotherPair) {
    const TColor X = MakeColor(100, 100, 100), Y = MakeColor(101, 99, 100);    // same bucket, d = 0
    const TColor Z = MakeColor(150, 150, 150), W = MakeColor(155, 150, 150);   // d = 1
    const struct {
        std::vector<TColor> table;
        bool found;
        int i, k;
    } cases[] = {
        {{clBlack, clWhite, X, Y, Z, W}, true, 4, 5},  // X/Y passed over before any pair is taken
        {{clBlack, clWhite, Z, W, X, Y}, true, 4, 5},     // after Z/W, the d = 0 pair wins
        {{clBlack, clWhite, X, Y}, false, -1, -1},
    };
    for (const auto& c : cases) {
        TColourTable t(c.table);
        int i = -1, k = -1;
        EXPECT_EQ(t.FindClosestPair(i, k), c.found);
        EXPECT_EQ(i, c.i);
        EXPECT_EQ(k, c.k);
    }
    // Where no bucket pair qualifies, the nearest pair is merged: the less used one goes.
    TColourTable t({clBlack, clWhite, X, Y});
    std::atomic<bool> cancel{false};
    t.MergeDownTo(3, cancel, nullptr);
    EXPECT_EQ(t.Colours(), (std::vector<TColor>{clBlack, clWhite, X}));
}

TEST(Reduce, OtherTargetsAndSizesDoNothing) {
    for (auto [size, target] : {std::pair{32, 64}, {32, 0}, {31, 256}, {64, 16}}) {
        TBitmap pic(size, size, TPixelFormat::pf24bit);
        Reduction r(pic, target);
        EXPECT_EQ(r.Status, TReduceStatus::Unsupported);
        EXPECT_TRUE(r.Result.Empty());
    }
}

// ---- the worker thread (also run under ThreadSanitizer: scripts/tsan.sh)

namespace {

// Records the limits; on the first count it holds the worker until the run is cancelled.
class THoldingGauge : public IReduceProgress {
public:
    explicit THoldingGauge(const std::atomic<bool>& cancel, bool hold) : FCancel(cancel), FHold(hold) {}
    void SetLimits(int minimum, int maximum) override {
        Min = minimum;
        Max = maximum;
    }
    void SetProgress(int count) override {
        Last = count;
        ++Reports;
        Reached = true;
        while (FHold && !FCancel.load()) std::this_thread::yield();
    }
    int Min = 0, Max = 0, Last = 0, Reports = 0;
    std::atomic<bool> Reached{false};

private:
    const std::atomic<bool>& FCancel;
    bool FHold;
};

} // namespace

TEST(ReduceThread, RunsOnItsOwnThreadAndReportsProgressAndItsEnd) {
    const TBitmap cube = Cube7();
    cData data;
    TBitmap result;
    std::atomic<bool> cancel{false};
    THoldingGauge gauge(cancel, false);
    THReduce worker(cube, data, cancel, &gauge, false, 256, result);
    std::thread::id started, ended;
    worker.OnStart = [&] { started = std::this_thread::get_id(); };
    worker.OnTerminate = [&] { ended = std::this_thread::get_id(); };
    worker.Resume();
    worker.WaitFor();
    EXPECT_TRUE(worker.Finished());
    EXPECT_EQ(worker.Status(), TReduceStatus::Reduced);
    EXPECT_NE(started, std::this_thread::get_id());
    EXPECT_EQ(started, ended);
    EXPECT_EQ(gauge.Min, 256);
    EXPECT_EQ(gauge.Max, 343);
    EXPECT_EQ(gauge.Last, 256);
    EXPECT_EQ(gauge.Reports, 343 - 256);

    Reduction same(cube, 256);  // the same result as on the calling thread
    EXPECT_EQ(data.Pixels, same.Data.Pixels);
    EXPECT_EQ(data.Palette, same.Data.Palette);
}

TEST(ReduceThread, CancelStopsTheRunAndTheTo256PathWritesNothing) {
    const TBitmap cube = Cube7();
    cData data;
    data.Pixels.Bytes[0] = 77;
    TBitmap result;
    std::atomic<bool> cancel{false};
    THoldingGauge gauge(cancel, true);
    THReduce worker(cube, data, cancel, &gauge, false, 256, result);
    worker.Resume();
    while (!gauge.Reached.load()) std::this_thread::yield();
    cancel = true;
    worker.WaitFor();
    EXPECT_EQ(worker.Status(), TReduceStatus::Cancelled);
    EXPECT_EQ(gauge.Reports, 1);
    EXPECT_GT(worker.ColourCount(), 256);
    EXPECT_EQ(data.Pixels.Bytes[0], 77);
    EXPECT_TRUE(result.Empty());
}

TEST(ReduceThread, DestroyingARunningWorkerCancelsAndWaits) {
    const TBitmap cube = Cube7();
    auto data = std::make_unique<cData>();
    TBitmap result;
    std::atomic<bool> cancel{false};
    THoldingGauge gauge(cancel, true);
    bool terminated = false;
    {
        THReduce worker(cube, *data, cancel, &gauge, false, 16, result);
        worker.OnTerminate = [&] { terminated = true; };
        worker.Resume();
        while (!gauge.Reached.load()) std::this_thread::yield();
    }
    EXPECT_TRUE(cancel.load());
    EXPECT_TRUE(terminated);
}
