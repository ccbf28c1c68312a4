// The GIF picture drawn on real device contexts, and the animation painter's timing and stop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>
#include <thread>

#include "base/Text.h"
#include "gif/GIFDIB_win.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFPainter_win.h"
#include "png/PngPicture_win.h"
#include "ui/Clipboard.h"

#include <tlhelp32.h>

// The test program's allocator: plain malloc and free, except that while a test arms it,
// freed blocks of one size are zeroed and kept from reuse, so that reading a freed object
// gives zeros every time instead of whatever the heap left there.
namespace {
std::atomic<std::size_t> PoisonedSize{0};
void* Quarantine[1024];
std::atomic<int> Quarantined{0};

void ReleaseQuarantine() {
    PoisonedSize = 0;
    const int n = std::min<int>(Quarantined.exchange(0), 1024);
    for (int i = 0; i < n; ++i) std::free(Quarantine[i]);
}
}  // namespace

void* operator new(std::size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    if (!p) return;
    const std::size_t poisoned = PoisonedSize;
    if (poisoned && _msize(p) == poisoned) {
        const int slot = Quarantined++;
        if (slot < 1024) {
            std::memset(p, 0, poisoned);
            Quarantine[slot] = p;
            return;
        }
    }
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

// A frame of width x height whose pixel (x, y) has index pixels[y * width + x] in a table of
// pure colours: 0 red, 1 green, 2 blue, 3 white.
TGIFSubImage& AddFrame(TGIFImage& image, int width, int height, std::vector<uint8_t> pixels, int delay = -1) {
    auto frame = std::make_unique<TGIFSubImage>(&image);
    const TGIFColor colors[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    frame->ColorMap().ImportColorMap(colors, 4);
    frame->DoSetBounds(0, 0, width, height);
    std::copy(pixels.begin(), pixels.end(), frame->Pixels().begin());
    TGIFSubImage& ref = *frame;
    image.Images().Add(std::move(frame));
    if (delay >= 0) {
        auto gce = std::make_unique<TGIFGraphicControlExtension>(ref);
        gce->SetDelay(delay);
        ref.Extensions().Add(std::move(gce));
    }
    return ref;
}

void MakeTransparent(TGIFSubImage& frame, int index) {
    TGIFGraphicControlExtension* gce = frame.GraphicControlExtension();
    if (!gce) {
        auto extension = std::make_unique<TGIFGraphicControlExtension>(frame);
        gce = extension.get();
        frame.Extensions().Add(std::move(extension));
    }
    gce->SetTransparentColorIndex(index);
    gce->SetTransparent(true);
}

void Fill(TDibSection& dib, COLORREF c) {
    TCanvas(dib.DC()).FillRect(RECT{0, 0, dib.Width(), dib.Height()}, static_cast<TColor>(c));
}

int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

}  // namespace

TEST(GIFPictureDraw, OneFrameStretchedAndTransparentOnACanvas) {
    TGIFGraphic gif;
    gif.SetDrawOptions(GIFOption(goTransparent));
    TGIFSubImage& frame = AddFrame(gif, 2, 2, {0, 1, 2, 3});
    TDibSection dib(4, 4);
    Fill(dib, RGB(9, 9, 9));
    TCanvas canvas(dib.DC());
    gif.Draw(canvas, RECT{0, 0, 4, 4});
    EXPECT_EQ(dib.PixelAt(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(dib.PixelAt(3, 0), RGB(0, 255, 0));
    EXPECT_EQ(dib.PixelAt(0, 3), RGB(0, 0, 255));
    EXPECT_EQ(dib.PixelAt(3, 3), RGB(255, 255, 255));

    MakeTransparent(frame, 1);
    Fill(dib, RGB(9, 9, 9));
    gif.Draw(canvas, RECT{0, 0, 4, 4});
    EXPECT_EQ(dib.PixelAt(3, 0), RGB(9, 9, 9));  // transparent: the canvas shows through
    EXPECT_EQ(dib.PixelAt(0, 0), RGB(255, 0, 0));

    // Tiled: the frame repeats unstretched from the corner.
    gif.SetDrawOptions(GIFOption(goTile));
    Fill(dib, RGB(9, 9, 9));
    gif.Draw(canvas, RECT{0, 0, 4, 4});
    EXPECT_EQ(dib.PixelAt(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(dib.PixelAt(3, 2), RGB(0, 255, 0));
}

TEST(GIFPictureDraw, RegisteredAsAPictureFormat) {
    RegisterGIFPicture();
    const TPicture::TFileFormat* format = TPicture::FindFileFormat("gif");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->Description, "GIF Image");
    EXPECT_NE(CF_GIF, 0u);
    EXPECT_NE(TPicture::FindClipboardFormat(CF_GIF), nullptr);
    std::unique_ptr<TGraphic> graphic = format->Create();
    EXPECT_TRUE(graphic->Empty());
}

namespace {
// A clock that never waits: it records every wait and moves time on by it.
struct TFakeClock {
    uint32_t Time = 1000;
    std::vector<int> Sleeps;
    TGIFPainterClock Clock() {
        return {[this] { return Time; },
                [this](int ms) {
                    Sleeps.push_back(ms);
                    Time += static_cast<uint32_t>(std::max(ms, 0));
                    return false;
                }};
    }
};
}  // namespace

TEST(GIFPainter, SynchronousWaitsFollowTheDelays) {
    TGIFGraphic gif;
    AddFrame(gif, 2, 1, {0, 1}, 1);
    AddFrame(gif, 2, 1, {1, 2}, 0);
    AddFrame(gif, 2, 1, {2, 3}, 5000);
    AddFrame(gif, 2, 1, {3, 0});
    TFakeClock clock;
    gif.PainterClock = clock.Clock();
    std::vector<int> waits;
    std::vector<int> frames;
    gif.OnFrameStart = [&](TGIFPainter& p) {
        int total = 0;
        for (int s : clock.Sleeps) total += s;
        clock.Sleeps.clear();
        waits.push_back(total);
        frames.push_back(p.ActiveImage());
    };
    TDibSection dib(2, 1);
    TCanvas canvas(dib.DC());
    EXPECT_EQ(gif.Paint(canvas, RECT{0, 0, 2, 1}, GIFOption(goAnimate) | GIFOption(goLoop)), nullptr);
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3}));
    // 1 unit before the first frame; delay 1 becomes 3 units (36 ms), 0 the default 10
    // (120 ms), and 5000 is cut to 1000 (12 s) when synchronous.
    EXPECT_EQ(waits, (std::vector<int>{12, 36, 120, 12000}));
    EXPECT_EQ(dib.PixelAt(0, 0), RGB(255, 255, 255));  // the last frame stays on the canvas
    EXPECT_EQ(gif.PainterCount(), 0);

    // At speed 200 the waits are halved.
    gif.SetAnimationSpeed(200);
    waits.clear();
    frames.clear();
    gif.Paint(canvas, RECT{0, 0, 2, 1}, GIFOption(goAnimate));
    EXPECT_EQ(waits, (std::vector<int>{6, 18, 60, 6000}));
}

TEST(GIFPainter, AsynchronousPainterPaintsAndStopsPromptly) {
    const int threadsBefore = ThreadCount();
    {
        TGIFGraphic gif;
        AddFrame(gif, 2, 1, {0, 0}, 10000);
        AddFrame(gif, 2, 1, {2, 2}, 10000);
        TDibSection dib(2, 1);
        TCanvas canvas(dib.DC());
        TGIFPainter* painter = gif.Paint(canvas, RECT{0, 0, 2, 1},
                                         GIFOption(goAsync) | GIFOption(goAnimate) | GIFOption(goLoop) | GIFOption(goLoopContinously));
        ASSERT_NE(painter, nullptr);
        auto start = std::chrono::steady_clock::now();
        while (!painter->Painted() && std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
            gif.ServicePainters();
            Sleep(1);
        }
        ASSERT_TRUE(painter->Painted());
        EXPECT_EQ(dib.PixelAt(0, 0), RGB(255, 0, 0));
        EXPECT_EQ(gif.PainterCount(), 1);
        // The painter now waits 120 s for the next frame: stopping must not wait for that.
        // A stop takes milliseconds; the bound only tells a woken painter from one that
        // waited out its delay, however loaded the machine.
        auto stopStart = std::chrono::steady_clock::now();
        gif.StopAllPainters();
        auto took = std::chrono::steady_clock::now() - stopStart;
        EXPECT_LT(took, std::chrono::seconds(20));
        EXPECT_EQ(gif.PainterCount(), 0);
    }
    EXPECT_LE(ThreadCount(), threadsBefore);
}

TEST(GIFPainter, AnimatedDrawPutsTheCachedBitmapOnTheCanvas) {
    TGIFGraphic gif;
    gif.SetDrawOptions(GIFOption(goAnimate) | GIFOption(goLoop));
    AddFrame(gif, 2, 1, {0, 0}, 1);
    AddFrame(gif, 2, 1, {1, 2}, 1);
    TFakeClock clock;
    gif.PainterClock = clock.Clock();
    TDibSection dib(4, 2);
    Fill(dib, RGB(9, 9, 9));
    TCanvas canvas(dib.DC());
    gif.Draw(canvas, RECT{0, 0, 4, 2});
    ASSERT_TRUE(gif.GetHasBitmap());
    EXPECT_EQ(dib.PixelAt(0, 0), RGB(0, 255, 0));  // the last frame, stretched to the rectangle
    EXPECT_EQ(dib.PixelAt(3, 1), RGB(0, 0, 255));
}

namespace {
// The colours of a canvas row as letters: R, G, B, W for the frames' colours, '.' for
// the grey the canvas started with, '?' for anything else.
std::string RowOf(const TDibSection& dib) {
    GdiFlush();
    std::string row;
    for (int x = 0; x < dib.Width(); ++x) {
        switch (dib.PixelAt(x, 0)) {
        case RGB(255, 0, 0): row += 'R'; break;
        case RGB(0, 255, 0): row += 'G'; break;
        case RGB(0, 0, 255): row += 'B'; break;
        case RGB(255, 255, 255): row += 'W'; break;
        case RGB(9, 9, 9): row += '.'; break;
        default: row += '?';
        }
    }
    return row;
}

struct TFrameSpec {
    std::vector<uint8_t> Pixels;  // 3 is transparent
    TDisposalMethod Disposal;
};

// Plays the frames once, synchronously, on a grey canvas and gives the canvas after each.
std::vector<std::string> PlayFrames(const std::vector<TFrameSpec>& frames, TGIFDrawOptions extra = 0, int canvasWidth = 0) {
    TGIFGraphic gif;
    for (const TFrameSpec& f : frames) {
        TGIFSubImage& frame = AddFrame(gif, static_cast<int>(f.Pixels.size()), 1, f.Pixels, 1);
        frame.GraphicControlExtension()->SetDisposal(f.Disposal);
        MakeTransparent(frame, 3);
    }
    TFakeClock clock;
    gif.PainterClock = clock.Clock();
    TDibSection dib(canvasWidth ? canvasWidth : gif.GetWidth(), 1);
    Fill(dib, RGB(9, 9, 9));
    std::vector<std::string> shown;
    gif.OnFrameEnd = [&](TGIFPainter&) { shown.push_back(RowOf(dib)); };
    TCanvas canvas(dib.DC());
    gif.Paint(canvas, RECT{0, 0, dib.Width(), 1}, GIFOption(goAnimate) | GIFOption(goTransparent) | extra);
    return shown;
}
}  // namespace

TEST(GIFPainter, FramesAreComposedByTheirDisposal) {
    struct TCase {
        const char* Name;
        std::vector<TFrameSpec> Frames;
        std::vector<std::string> Shown;
    };
    const TCase cases[] = {
        // The frame after dmPrevious sees the picture from before it.
        {"previous", {{{0, 1}, dmNone}, {{2, 3}, dmPrevious}, {{3, 3}, dmNone}}, {"RG", "BG", "RG"}},
        // dmBackground gives the frame's area back to what the canvas showed.
        {"background", {{{0, 1}, dmBackground}, {{3, 2}, dmNone}}, {"RG", ".B"}},
        // dmPrevious after dmPrevious goes through the saved state.
        {"previous twice", {{{0, 1}, dmNone}, {{2, 3}, dmPrevious}, {{3, 2}, dmPrevious}, {{3, 3}, dmNone}},
         {"RG", "BG", "RB", "RG"}},
        // dmPrevious after dmBackground: the cleared buffer under the frame.
        {"background then previous", {{{0, 1}, dmBackground}, {{3, 2}, dmPrevious}, {{3, 3}, dmNone}},
         {"RG", ".B", ".."}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PlayFrames(c.Frames), c.Shown);
    }
}

TEST(GIFPainter, BackgroundDisposalClearsTheFrameInEveryTile) {
    // A screen of 2 pixels tiled twice across 4; the frame of 1 pixel at its left repeats
    // unstretched, and its place is cleared in both tiles of the screen.
    EXPECT_EQ(PlayFrames({{{3, 3}, dmNone}, {{0}, dmBackground}, {{3, 3}, dmNone}}, GIFOption(goTile), 4),
              (std::vector<std::string>{"....", "RRRR", ".R.R"}));
}

TEST(GIFPainter, LoopExtensionSetsHowOftenTheFramesPlay) {
    // N loops in all, the later ones from the frame that carries the extension; 0 plays
    // once when synchronous.
    const std::pair<int, std::vector<int>> cases[] = {
        {1, {0, 1, 2}}, {2, {0, 1, 2, 1, 2}}, {3, {0, 1, 2, 1, 2, 1, 2}}, {0, {0, 1, 2}}};
    for (const auto& [loops, expected] : cases) {
        SCOPED_TRACE(loops);
        TGIFGraphic gif;
        AddFrame(gif, 1, 1, {0}, 1);
        TGIFSubImage& second = AddFrame(gif, 1, 1, {1}, 1);
        AddFrame(gif, 1, 1, {2}, 1);
        auto loop = std::make_unique<TGIFAppExtNSLoop>(second);
        loop->Loops = static_cast<uint16_t>(loops);
        second.Extensions().Add(std::move(loop));
        TFakeClock clock;
        gif.PainterClock = clock.Clock();
        std::vector<int> frames;
        int loopEvents = 0;
        gif.OnFrameStart = [&](TGIFPainter& p) { frames.push_back(p.ActiveImage()); };
        gif.OnAnimationLoop = [&](TGIFPainter&) { ++loopEvents; };
        TDibSection dib(1, 1);
        TCanvas canvas(dib.DC());
        gif.Paint(canvas, RECT{0, 0, 1, 1}, GIFOption(goAnimate) | GIFOption(goLoop));
        EXPECT_EQ(frames, expected);
        EXPECT_EQ(loopEvents, std::max(loops, 1) - 1);
    }
}

TEST(GIFPainter, EventsSteerThePlayingLoop) {
    TGIFGraphic gif;
    AddFrame(gif, 1, 1, {0}, 1);
    AddFrame(gif, 1, 1, {1}, 1);
    AddFrame(gif, 1, 1, {2}, 1);
    TFakeClock clock;
    gif.PainterClock = clock.Clock();
    TDibSection dib(1, 1);
    TCanvas canvas(dib.DC());
    std::vector<int> frames;
    int starts = 0;
    gif.OnAnimationStart = [&](TGIFPainter&) { ++starts; };
    gif.OnFrameStart = [&](TGIFPainter& p) { frames.push_back(p.ActiveImage()); };

    // SetActiveImage from OnFrameEnd: back to frame 0 twice from the last frame; a frame
    // number out of range is ignored.
    int jumps = 0;
    gif.OnFrameEnd = [&](TGIFPainter& p) {
        p.SetActiveImage(7);
        if (p.ActiveImage() == 2 && jumps < 2) {
            ++jumps;
            p.SetActiveImage(0);
        }
    };
    gif.Paint(canvas, RECT{0, 0, 1, 1}, GIFOption(goAnimate));
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(starts, 1);

    // A synchronous painter has no wake-up event: a new speed starts again from frame 0.
    frames.clear();
    starts = 0;
    bool changed = false;
    gif.OnFrameEnd = [&](TGIFPainter& p) {
        if (p.ActiveImage() == 1 && !changed) {
            changed = true;
            p.SetAnimationSpeed(200);
            p.SetAnimationSpeed(200);  // the same speed again changes nothing
        }
    };
    gif.Paint(canvas, RECT{0, 0, 1, 1}, GIFOption(goAnimate));
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 0, 1, 2}));
    EXPECT_EQ(starts, 2);
}

namespace {
// Runs the painters' steps until done() or 5 s have passed.
template <class F>
bool ServiceUntil(TGIFGraphic& gif, F done) {
    auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) return false;
        gif.ServicePainters();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(1);
    }
    return true;
}
}  // namespace

TEST(GIFPainter, AHandlerMayStopEveryPainterWhileItsStepRuns) {
    for (bool stopAll : {true, false}) {
        SCOPED_TRACE(stopAll ? "StopAllPainters" : "StopDraw");
        TGIFGraphic gif;
        gif.SetDrawOptions(GIFOption(goAsync) | GIFOption(goAnimate) | GIFOption(goLoop) | GIFOption(goDirectDraw));
        AddFrame(gif, 2, 1, {0, 0}, 1);
        AddFrame(gif, 2, 1, {2, 2}, 1);
        TDibSection dib(2, 1);
        TCanvas canvas(dib.DC());
        int ends = 0;
        std::string after;  // written by the handler after the painter went
        std::vector<std::unique_ptr<std::vector<uint8_t>>> reuse;
        gif.OnFrameEnd = [&](TGIFPainter&) {
            ++ends;
            if (stopAll) gif.StopAllPainters();
            else gif.StopDraw();
            // Blocks of the painter's size, filled, so that freed memory would be reused.
            for (int i = 0; i < 64; ++i) reuse.push_back(std::make_unique<std::vector<uint8_t>>(sizeof(TGIFPainter), 0xCD));
            after = "handler finished";  // the handler's own state is still there
        };
        gif.Draw(canvas, RECT{0, 0, 2, 1});
        ASSERT_NE(gif.DrawPainter(), nullptr);
        ASSERT_TRUE(ServiceUntil(gif, [&] { return ends > 0; }));
        EXPECT_EQ(after, "handler finished");
        EXPECT_EQ(gif.PainterCount(), 0);
        EXPECT_EQ(gif.DrawPainter(), nullptr);
        EXPECT_EQ(dib.PixelAt(0, 0), RGB(255, 0, 0));
        // Nothing more happens: no further frame, and the messages left find no painter.
        Sleep(50);
        ServiceUntil(gif, [] { return true; });
        gif.ServicePainters();
        EXPECT_EQ(ends, 1);
    }
}

TEST(GIFPainter, DrawGoesOnWhenAHandlerStopsThePainterBeforeItsFirstFrame) {
    // Without goDirectDraw, Draw waits for the first frame; the handler's StopDraw frees the
    // painter meanwhile. Freed painters read as zeros here (neither painted nor ended), so a
    // wait that looked at the freed painter would never end: a watchdog ends it with WM_QUIT.
    TGIFGraphic gif;
    gif.SetDrawOptions(GIFOption(goAsync) | GIFOption(goAnimate) | GIFOption(goLoop));
    AddFrame(gif, 2, 1, {0, 0}, 1);
    AddFrame(gif, 2, 1, {2, 2}, 1);
    TDibSection dib(2, 1);
    Fill(dib, RGB(9, 9, 9));
    TCanvas canvas(dib.DC());
    int starts = 0;
    gif.OnFrameStart = [&](TGIFPainter&) {
        ++starts;
        gif.StopDraw();
    };
    const DWORD mainThread = GetCurrentThreadId();
    std::atomic<bool> drawn{false}, fired{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 300 && !drawn; ++i) Sleep(10);
        if (!drawn) {
            fired = true;
            PostThreadMessageW(mainThread, WM_QUIT, 7, 0);
        }
    });
    PoisonedSize = sizeof(TGIFPainter);
    gif.Draw(canvas, RECT{0, 0, 2, 1});
    drawn = true;
    watchdog.join();
    ReleaseQuarantine();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    EXPECT_FALSE(fired) << "Draw kept waiting on the freed painter";
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(gif.DrawPainter(), nullptr);
    EXPECT_EQ(gif.PainterCount(), 0);
    EXPECT_EQ(RowOf(dib), "RR");  // the image's own picture, its first frame
}

namespace {
// Runs the painters' steps for the time given.
void ServiceFor(TGIFGraphic& gif, std::chrono::milliseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    ServiceUntil(gif, [&] { return std::chrono::steady_clock::now() >= end; });
}

// Three frames of 300 ms each (delay 25) unless told otherwise, played endlessly on its own thread.
struct TPlayingGif {
    TGIFGraphic Gif;
    TDibSection Dib{1, 1};
    TCanvas Canvas{Dib.DC()};
    std::vector<int> Painted;  // the frames in the order they were painted
    std::string Log;           // 'S' for every start of the animation, then the frames painted
    explicit TPlayingGif(int delay = 25) {
        for (uint8_t i = 0; i < 3; ++i) AddFrame(Gif, 1, 1, {i}, delay);
        Gif.OnFrameEnd = [this](TGIFPainter& p) {
            Painted.push_back(p.ActiveImage());
            Log += static_cast<char>('0' + p.ActiveImage());
        };
        Gif.OnAnimationStart = [this](TGIFPainter&) { Log += 'S'; };
    }
    TGIFPainter* Play() {
        return Gif.Paint(Canvas, RECT{0, 0, 1, 1},
                         GIFOption(goAsync) | GIFOption(goAnimate) | GIFOption(goLoop) | GIFOption(goLoopContinously));
    }
};
}  // namespace

TEST(GIFPainter, APausedPainterPaintsNothingUntilResumed) {
    TPlayingGif play(84);  // frames of 1 s: the pause below comes well inside the first
    ASSERT_NE(play.Play(), nullptr);
    ASSERT_TRUE(ServiceUntil(play.Gif, [&] { return !play.Painted.empty(); }));
    // Paused during the delay before the second frame: the delay does not run out.
    play.Gif.PaintPause();
    ServiceFor(play.Gif, std::chrono::milliseconds(2500));
    EXPECT_EQ(play.Painted, (std::vector<int>{0}));
    EXPECT_EQ(play.Gif.PainterCount(), 1);
    // Resumed, it goes on with the next frame.
    play.Gif.PaintResume();
    ASSERT_TRUE(ServiceUntil(play.Gif, [&] { return play.Painted.size() >= 2; }));
    EXPECT_EQ(play.Painted[1], 1);
    play.Gif.StopAllPainters();
}

TEST(GIFPainter, RestartPlaysFromTheFirstFrameAndWakesAPausedPainter) {
    TPlayingGif play;
    ASSERT_NE(play.Play(), nullptr);
    ASSERT_TRUE(ServiceUntil(play.Gif, [&] { return play.Painted.size() >= 2; }));
    play.Gif.PaintPause();
    ServiceFor(play.Gif, std::chrono::milliseconds(50));
    const std::size_t before = play.Log.size();
    play.Gif.PaintRestart();
    ASSERT_TRUE(ServiceUntil(play.Gif, [&] {
        const std::size_t s = play.Log.find('S', before);
        return s != std::string::npos && s + 1 < play.Log.size();
    }));
    // At most the frame whose delay was running is painted before the new pass starts.
    const std::string after = play.Log.substr(before, play.Log.find('S', before) + 2 - before);
    EXPECT_TRUE(after == "S0" || (after.size() == 3 && after.substr(1) == "S0")) << after;
    play.Gif.StopAllPainters();
}

TEST(GIFPainter, ChangesOfTheDrawingStopTheDrawPainter) {
    // New draw options and a freed bitmap each tell the draw painter to stop.
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way);
        TGIFGraphic gif;
        gif.SetDrawOptions(GIFOption(goAsync) | GIFOption(goAnimate) | GIFOption(goLoop) | GIFOption(goLoopContinously) |
                           GIFOption(goDirectDraw));
        AddFrame(gif, 1, 1, {0}, 100);
        AddFrame(gif, 1, 1, {1}, 100);
        TDibSection dib(1, 1);
        TCanvas canvas(dib.DC());
        gif.Draw(canvas, RECT{0, 0, 1, 1});
        TGIFPainter* painter = gif.DrawPainter();
        ASSERT_NE(painter, nullptr);
        EXPECT_FALSE(painter->Terminated());
        if (way == 0) gif.SetDrawOptions(gif.GetDrawOptions() | GIFOption(goTile));
        else gif.FreeBitmap();
        EXPECT_TRUE(painter->Terminated());
        EXPECT_TRUE(ServiceUntil(gif, [&] { return gif.PainterCount() == 0; }));
    }
}

TEST(GIFPainter, PainterThreadsRunAtTheImagesPriority) {
    TGIFGraphic gif;
    AddFrame(gif, 1, 1, {0}, 1);
    AddFrame(gif, 1, 1, {1}, 1);
    gif.SetThreadPriority(THREAD_PRIORITY_BELOW_NORMAL);
    std::atomic<int> seen{THREAD_PRIORITY_ERROR_RETURN};
    gif.PainterClock = {[&] {
                            seen = GetThreadPriority(GetCurrentThread());
                            return GetTickCount();
                        },
                        [](int) { return false; }};
    TDibSection dib(1, 1);
    TCanvas canvas(dib.DC());
    TGIFPainter* painter = gif.Paint(canvas, RECT{0, 0, 1, 1}, GIFOption(goAsync) | GIFOption(goAnimate));
    ASSERT_NE(painter, nullptr);
    ASSERT_TRUE(ServiceUntil(gif, [&] { return seen != THREAD_PRIORITY_ERROR_RETURN; }));
    EXPECT_EQ(seen, THREAD_PRIORITY_BELOW_NORMAL);
    gif.StopAllPainters();
}

TEST(GIFPictureClipboard, TheGifAndItsBitmapGoOnTheClipboardAndComeBack) {
    RegisterGIFPicture();
    TGIFGraphic gif;
    AddFrame(gif, 3, 2, {0, 1, 2, 3, 2, 1});
    AddFrame(gif, 3, 2, {3, 3, 3, 3, 3, 3}, 10);
    ASSERT_TRUE(PutGraphicOnClipboard(nullptr, gif));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_GIF));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));

    // The bitmap is the first frame; the GIF keeps both frames.
    TBitmap bitmap;
    ASSERT_TRUE(ReadClipboardBitmap(nullptr, bitmap));
    const TColor expected[2][3] = {{clRed, clLime, clBlue}, {clWhite, clBlue, clLime}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(bitmap.Pixel(x, y) & 0xFFFFFF, expected[y][x]) << x << "," << y;

    TGIFGraphic back;
    ASSERT_TRUE(LoadGraphicFromClipboard(nullptr, back, CF_GIF));
    ASSERT_EQ(back.Images().GetCount(), 2);
    auto a = back.Images().GetImage(0)->Pixels(), b = gif.Images().GetImage(0)->Pixels();
    EXPECT_EQ(std::vector<uint8_t>(a.begin(), a.end()), std::vector<uint8_t>(b.begin(), b.end()));
    EXPECT_EQ(back.Images().GetImage(1)->GraphicControlExtension()->GetDelay(), 10);

    // From the bitmap alone: one frame of the same pixels.
    TGIFGraphic fromBitmap;
    ASSERT_TRUE(LoadGraphicFromClipboard(nullptr, fromBitmap, CF_DIB));
    ASSERT_EQ(fromBitmap.Images().GetCount(), 1);
    const TBitmap* rendered = fromBitmap.GetBitmap();
    ASSERT_NE(rendered, nullptr);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(rendered->Pixel(x, y) & 0xFFFFFF, expected[y][x]) << x << "," << y;

    EXPECT_THROW(fromBitmap.LoadFromClipboardFormat(CF_TEXT, nullptr, nullptr), GIFException);
}

TEST(PictureClipboard, BothPicturesTakeTheStandardBitmapFormat) {
    // A window puts on the clipboard only a bitmap handle (CF_BITMAP): a device bitmap, and
    // an 8-bit DIB section with colours of its own.
    std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> owner(
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr), &DestroyWindow);
    ASSERT_TRUE(owner);
    auto put = [&](HBITMAP bitmap) {
        ASSERT_TRUE(OpenClipboard(owner.get()));
        EmptyClipboard();
        EXPECT_TRUE(SetClipboardData(CF_BITMAP, bitmap));  // the clipboard owns it now
        CloseClipboard();
    };
    // 3 x 2: red, green, blue / white, blue, green.
    const uint32_t pure[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x0000FF, 0x00FF00};
    const TColor pureColors[6] = {clRed, clLime, clBlue, clWhite, clBlue, clLime};
    // 3 x 1 of 8 bits: (10,20,30), (200,100,50), (10,20,30).
    struct {
        BITMAPINFOHEADER Header;
        RGBQUAD Colors[256];
    } info{};
    info.Header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 3, 1, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
    info.Colors[0] = RGBQUAD{30, 20, 10, 0};
    info.Colors[1] = RGBQUAD{50, 100, 200, 0};
    const TColor ownColors[3] = {MakeColor(10, 20, 30), MakeColor(200, 100, 50), MakeColor(10, 20, 30)};
    auto section = [&] {
        void* bits = nullptr;
        HBITMAP h = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
        if (h) static_cast<uint8_t*>(bits)[1] = 1;
        return h;
    };

    for (bool device : {true, false}) {
        SCOPED_TRACE(device ? "device bitmap" : "8-bit DIB section");
        const int width = 3, height = device ? 2 : 1;
        const TColor* expected = device ? pureColors : ownColors;
        auto make = [&] { return device ? CreateBitmap(3, 2, 1, 32, pure) : section(); };

        put(make());
        TGIFGraphic gif;
        ASSERT_TRUE(LoadGraphicFromClipboard(owner.get(), gif, CF_BITMAP));
        ASSERT_EQ(gif.Images().GetCount(), 1);
        TGIFSubImage& frame = *gif.Images().GetImage(0);
        ASSERT_EQ(frame.GetWidth(), width);
        ASSERT_EQ(frame.GetHeight(), height);
        for (int i = 0; i < width * height; ++i)
            EXPECT_EQ(TGIFColorMap::RGB2Color(frame.ColorMap()[frame.Pixels()[static_cast<std::size_t>(i)]]), expected[i]) << i;

        put(make());
        TRUDEDIGraphic png;
        ASSERT_TRUE(LoadGraphicFromClipboard(owner.get(), png, CF_BITMAP));
        ASSERT_EQ(png.GetWidth(), width);
        ASSERT_EQ(png.GetHeight(), height);
        if (!device) {
            EXPECT_EQ(png.GetImage().PixelFormat(), TPixelFormat::pf8bit);
        }
        for (int i = 0; i < width * height; ++i) EXPECT_EQ(png.GetImage().Pixel(i % width, i / width), expected[i]) << i;
    }
    // No bitmap under that format: the pictures' own message.
    ASSERT_TRUE(OpenClipboard(owner.get()));
    EmptyClipboard();
    CloseClipboard();
    TGIFGraphic gif;
    EXPECT_THROW(LoadGraphicFromClipboard(owner.get(), gif, CF_BITMAP), GIFException);
    TRUDEDIGraphic png;
    EXPECT_THROW(LoadGraphicFromClipboard(owner.get(), png, CF_BITMAP), ERUDEDI);
}

namespace {
// The colour of the frame's pixel, '.' when it is transparent.
std::string FrameRow(TGIFSubImage& frame, int y) {
    std::string row;
    const TBitmap* bitmap = frame.GetBitmap();
    for (int x = 0; x < frame.GetWidth(); ++x) {
        if (frame.Transparent() && frame.Pixels()[static_cast<std::size_t>(y * frame.GetWidth() + x)] == frame.TransparentIndex()) {
            row += '.';
            continue;
        }
        switch (bitmap->Pixel(x, y) & 0xFFFFFF) {
        case clRed: row += 'R'; break;
        case clLime: row += 'G'; break;
        case clBlue: row += 'B'; break;
        case clWhite: row += 'W'; break;
        default: row += '?';
        }
    }
    return row;
}

// A picture of the window code that paints its left half red and its right half blue.
class THalvesGraphic : public TGraphic {
public:
    int Width() const override { return 4; }
    int Height() const override { return 1; }
    bool Empty() const override { return false; }
    void Draw(TCanvas& canvas, const RECT& r) override {
        const int mid = (r.left + r.right) / 2;
        canvas.FillRect(RECT{r.left, r.top, mid, r.bottom}, clRed);
        canvas.FillRect(RECT{mid, r.top, r.right, r.bottom}, clBlue);
    }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) override {}
};
}  // namespace

TEST(GIFFrameFromPicture, AnIconsMaskMakesItsPixelsTransparent) {
    // 4 x 2: red, green, blue, (transparent) / (transparent), white, red, green.
    const uint32_t colors[8] = {0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0xFFFFFF, 0xFF0000, 0x00FF00};
    const uint8_t mask[4] = {0x10, 0, 0x80, 0};  // rows of 16 bits, bit 7 first
    TGdiObject color(CreateBitmap(4, 2, 1, 32, colors)), monochrome(CreateBitmap(4, 2, 1, 1, mask));
    ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(monochrome.Get()), static_cast<HBITMAP>(color.Get())};
    TIconHandle icon(CreateIconIndirect(&info));
    ASSERT_TRUE(icon);
    TGIFGraphic gif;
    gif.SetColorReduction(rmNone);
    gif.Assign(icon.Get());
    ASSERT_EQ(gif.Images().GetCount(), 1);
    TGIFSubImage& frame = *gif.Images().GetImage(0);
    ASSERT_TRUE(frame.Transparent());
    EXPECT_EQ(FrameRow(frame, 0), "RGB.");
    EXPECT_EQ(FrameRow(frame, 1), ".WRG");
}

TEST(GIFFrameFromPicture, AMetafileLeavesTransparentWhatItDoesNotPaint) {
    int dpi = 96;
    {
        TWindowDC screen(nullptr);
        dpi = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    }
    // One inch square; the reference device (the screen) paints the left half red.
    RECT inch{0, 0, 2540, 2540};
    HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, &inch, nullptr);
    ASSERT_NE(recorder, nullptr);
    TCanvas(recorder).FillRect(RECT{0, 0, dpi / 2, dpi}, clRed);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    ASSERT_NE(metafile, nullptr);
    TGIFGraphic gif;
    gif.SetColorReduction(rmNone);
    gif.Assign(metafile);
    DeleteEnhMetaFile(metafile);
    ASSERT_EQ(gif.Images().GetCount(), 1);
    TGIFSubImage& frame = *gif.Images().GetImage(0);
    EXPECT_NEAR(frame.GetWidth(), dpi, 1);
    ASSERT_TRUE(frame.Transparent());
    const std::string middle = FrameRow(frame, frame.GetHeight() / 2);
    EXPECT_EQ(middle[static_cast<std::size_t>(dpi / 8)], 'R');
    EXPECT_EQ(middle[static_cast<std::size_t>(dpi * 7 / 8)], '.');
}

TEST(GIFFrameFromPicture, AnyPictureIsDrawnAndAGifIsCopied) {
    THalvesGraphic halves;
    TGIFGraphic gif;
    gif.SetColorReduction(rmNone);
    gif.Assign(static_cast<TGraphic&>(halves));
    ASSERT_EQ(gif.Images().GetCount(), 1);
    EXPECT_EQ(FrameRow(*gif.Images().GetImage(0), 0), "RRBB");

    TGIFGraphic source;
    AddFrame(source, 2, 1, {0, 1}, 5);
    AddFrame(source, 2, 1, {2, 3}, 6);
    gif.Assign(static_cast<TGraphic&>(source));
    ASSERT_EQ(gif.Images().GetCount(), 2);
    EXPECT_EQ(FrameRow(*gif.Images().GetImage(1), 0), "BW");
    // A single frame takes the GIF's rendered first frame.
    TGIFSubImage frame(&gif);
    AssignGraphic(frame, source);
    EXPECT_EQ(FrameRow(frame, 0), "RG");
    AssignIcon(frame, nullptr);
    EXPECT_TRUE(frame.GetEmpty());
}

TEST(GIFFrameFromPicture, APalettePictureKeepsItsColoursAndItsTransparency) {
    // An 8-bit PNG picture: (10,20,30), (200,100,50) and a transparent green entry.
    TBitmap bitmap(3, 2, TPixelFormat::pf8bit);
    bitmap.Colors().assign(256, TRGBQuad{});
    bitmap.Colors()[0] = TRGBQuad{30, 20, 10, 0};
    bitmap.Colors()[1] = TRGBQuad{50, 100, 200, 0};
    bitmap.Colors()[2] = TRGBQuad{0, 255, 0, 0};
    const int indices[2][3] = {{0, 1, 2}, {2, 0, 1}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) bitmap.SetPixelIndex(x, y, indices[y][x]);
    TRUDEDI writer;
    writer.Assign(bitmap);
    writer.SetTransColor(MakeColor(0, 255, 0));
    TMemoryStream stream;
    writer.SaveToStream(stream);
    stream.SetPosition(0);
    TRUDEDIGraphic png;
    png.LoadFromStream(stream);
    ASSERT_TRUE(png.ImageTransparent());

    TGIFGraphic gif;  // with the default reduction, which a drawn copy would go through
    gif.Assign(static_cast<TGraphic&>(png));
    ASSERT_EQ(gif.Images().GetCount(), 1);
    TGIFSubImage& frame = *gif.Images().GetImage(0);
    ASSERT_TRUE(frame.Transparent());
    const TGIFColor expected[2] = {{10, 20, 30}, {200, 100, 50}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            const int index = frame.Pixels()[static_cast<std::size_t>(y * 3 + x)];
            if (indices[y][x] == 2) {
                EXPECT_EQ(index, frame.TransparentIndex());
            } else {
                EXPECT_NE(index, frame.TransparentIndex());
                EXPECT_EQ(frame.ColorMap()[index], expected[indices[y][x]]);
            }
        }
}

TEST(GIFCodecHelpers, CheckResourceRaisesWithTheSystemsMessage) {
    HANDLE h = GetCurrentProcess();
    EXPECT_EQ(CheckResource(h), h);
    SetLastError(0);
    try {
        CheckResource(static_cast<HDC>(nullptr));
        ADD_FAILURE() << "no error";
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "Out of system resources");
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    try {
        CheckResource(static_cast<HBITMAP>(nullptr));
        ADD_FAILURE() << "no error";
    } catch (const EOutOfResources& e) {
        wchar_t text[256] = {};
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_NOT_ENOUGH_MEMORY, 0,
                       text, 256, nullptr);
        const std::string message = e.what();
        EXPECT_FALSE(message.empty());
        EXPECT_NE(message, "Out of system resources");
        EXPECT_EQ(message.back() == '\n', false);
        EXPECT_NE(WideToUtf8(text).find(message), std::string::npos);
    }
}

TEST(GIFCodecHelpers, ABitmapHandleAsADIBOfEachFormat) {
    // 3 x 2, top row red, green, blue; bottom row white, black, red.
    const uint32_t colors[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0xFF0000};
    TGdiObject bitmap(CreateBitmap(3, 2, 1, 32, colors));
    const HBITMAP handle = static_cast<HBITMAP>(bitmap.Get());
    struct TCase {
        TPixelFormat Format;
        int HeaderSize, ImageSize;
    };
    for (const TCase& c : {TCase{TPixelFormat::pf1bit, 48, 8}, TCase{TPixelFormat::pf4bit, 104, 8},
                           TCase{TPixelFormat::pf8bit, 1064, 8}, TCase{TPixelFormat::pf24bit, 40, 24}}) {
        int header = 0, image = 0;
        InternalGetDIBSizes(handle, header, image, c.Format);
        EXPECT_EQ(header, c.HeaderSize);
        EXPECT_EQ(image, c.ImageSize);
    }
    std::vector<uint8_t> header(40), bits(24);
    ASSERT_TRUE(InternalGetDIB(handle, nullptr, header.data(), bits.data(), TPixelFormat::pf24bit));
    // Bottom-up rows of blue, green, red.
    EXPECT_EQ((std::vector<uint8_t>(bits.begin(), bits.begin() + 9)), (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 0, 0, 255}));
    EXPECT_EQ((std::vector<uint8_t>(bits.begin() + 12, bits.begin() + 21)), (std::vector<uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 0}));
    int a = 0, b = 0;
    EXPECT_THROW(InternalGetDIBSizes(handle, a, b, TPixelFormat::pf16bit), GIFException);
    EXPECT_THROW(InternalGetDIBSizes(nullptr, a, b, TPixelFormat::pf24bit), EInvalidGraphic);
}
