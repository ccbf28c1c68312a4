// The reduction dialog on a real window: the worker's progress reaches the gauge on the
// window thread, its end closes the dialog with the result shown, and closing or destroying
// the dialog during a run cancels the worker and waits for it.
#include <gtest/gtest.h>

#include <thread>

#include "editor/ReduceForm.h"
#include "ui/Application.h"

namespace {

// 343 colours that share no neighbouring buckets.
TBitmap Cube7() {
    static const uint8_t levels[7] = {0, 42, 85, 127, 170, 212, 255};
    TBitmap b(32, 32, TPixelFormat::pf24bit);
    for (int p = 0; p < 1024; ++p) {
        const int i = p % 343;
        b.SetPixel(p % 32, p / 32, MakeColor(levels[i % 7], levels[i / 7 % 7], levels[i / 49]));
    }
    return b;
}

// Holds every run after its first pass until it is cancelled; counts the passes.
struct HeldRuns {
    HeldRuns() {
        SetReductionPassHook([this](const std::atomic<bool>& cancel) {
            ++Passes;
            while (!cancel.load()) std::this_thread::yield();
        });
    }
    ~HeldRuns() { SetReductionPassHook(nullptr); }
    std::atomic<int> Passes{0};
};

// Posts msg to the dialog once its worker has reported its first pass.
struct PostOnFirstPass {
    static void CALLBACK Tick(HWND h, UINT, UINT_PTR id, DWORD) {
        if (!Target || Held->Passes.load() == 0) return;
        KillTimer(h, id);
        PostMessageW(Target->Handle(), Msg, Wp, 0);
    }
    static inline TReduceColDlg* Target = nullptr;
    static inline HeldRuns* Held = nullptr;
    static inline UINT Msg = 0;
    static inline WPARAM Wp = 0;
};

class ReduceDialog : public ::testing::Test {
protected:
    void SetUp() override { TApplication::Instance().Initialize(); }
};

} // namespace

TEST_F(ReduceDialog, ShowsItsControlsAndEndsWithTheReducedPictureShown) {
    TReduceColDlg dlg;
    EXPECT_EQ(dlg.Caption(), "vuzuzover1.2");
    EXPECT_TRUE(GetWindowLongW(dlg.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongW(dlg.Handle(), GWL_STYLE) & WS_SYSMENU);
    for (const char* name : {"Image1", "Image2", "CGauge1", "Label1", "CancelBtn", "CheckBox1"})
        EXPECT_NE(FindComponent(dlg.Handle(), name), nullptr) << name;
    EXPECT_EQ(dlg.Label1->Caption(), "減色しています…");
    EXPECT_EQ(dlg.CGauge1->Width(), 153);
    EXPECT_FALSE(dlg.CancelBtn->Visible());
    EXPECT_FALSE(dlg.CheckBox1->Visible());

    const TBitmap cube = Cube7();
    for (int target : {256, 16}) {
        TReduceColDlg d;
        d.Image1->SetBitmap(cube);
        d.FTargetColors = target;
        EXPECT_EQ(d.ShowModal(), mrOk) << target;
        EXPECT_EQ(d.Status(), TReduceStatus::Reduced);
        EXPECT_FALSE(d.Cancelled());
        // Every count the worker posted was applied on this thread before its end.
        EXPECT_EQ(d.CGauge1->MinValue(), target);
        EXPECT_EQ(d.CGauge1->MaxValue(), 343);
        EXPECT_EQ(d.CGauge1->Progress(), target);
        EXPECT_TRUE(d.Image2->Visible());
        EXPECT_EQ(d.Image2->Width(), 97);
        const TBitmap& result = d.Image2->Bitmap();
        ASSERT_EQ(result.BitCount(), target == 256 ? 8 : 4);
        ASSERT_EQ(result.Colors().size(), static_cast<std::size_t>(target));
        for (int j = 0; j < target; ++j) EXPECT_EQ(d.FReduceData->Palette[j], result.Colors()[j]) << j;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) ASSERT_EQ(d.FReduceData->Pixels.At(x, y), result.PixelIndex(x, y));
    }
}

TEST_F(ReduceDialog, ClosingOrEscapeDuringARunCancelsItAndKeepsNoResult) {
    const TBitmap cube = Cube7();
    const struct {
        UINT Msg;
        WPARAM Wp;
    } ways[] = {{WM_CLOSE, 0}, {WM_COMMAND, IDCANCEL}};
    for (const auto& way : ways) {
        HeldRuns held;
        TReduceColDlg d;
        d.Image1->SetBitmap(cube);
        PostOnFirstPass::Target = &d;
        PostOnFirstPass::Held = &held;
        PostOnFirstPass::Msg = way.Msg;
        PostOnFirstPass::Wp = way.Wp;
        SetTimer(nullptr, 0, 10, PostOnFirstPass::Tick);
        EXPECT_EQ(d.ShowModal(), mrCancel) << way.Msg;
        PostOnFirstPass::Target = nullptr;
        EXPECT_EQ(held.Passes.load(), 1);  // held after one pass: cancelled in the middle
        EXPECT_TRUE(d.Cancelled());
        EXPECT_EQ(d.Status(), TReduceStatus::Cancelled);
        EXPECT_FALSE(d.Image2->Visible());
        EXPECT_TRUE(d.Image2->Bitmap().Empty());
    }
}

TEST_F(ReduceDialog, DestroyingTheDialogDuringARunCancelsAndWaitsForTheWorker) {
    HeldRuns held;
    const TBitmap cube = Cube7();
    {
        TReduceColDlg d;
        d.Image1->SetBitmap(cube);
        d.FormPaint();  // starts the worker as the first paint does
        while (held.Passes.load() == 0) std::this_thread::yield();
    }  // must neither hang nor leave the worker running on freed members
    EXPECT_EQ(held.Passes.load(), 1);
}
