// The GIF picture drawn on real device contexts, and the animation painter's timing and stop.
#include <gtest/gtest.h>

#include <chrono>

#include "gif/GIFExtensions.h"
#include "gif/GIFPainter_win.h"

#include <tlhelp32.h>

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
    THREADENTRY32 entry{sizeof entry};
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
        AddFrame(gif, 2, 1, {0, 0}, 500);
        AddFrame(gif, 2, 1, {2, 2}, 500);
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
        // The painter now waits 6 s for the next frame: stopping must not wait for that.
        auto stopStart = std::chrono::steady_clock::now();
        gif.StopAllPainters();
        auto took = std::chrono::steady_clock::now() - stopStart;
        EXPECT_LT(took, std::chrono::milliseconds(500));
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
