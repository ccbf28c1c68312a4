#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "base/Exception.h"
#include "ui/AnswerWatchTestSupport.h"
#include "ui/Application.h"
#include "ui/BackgroundWork.h"
#include "ui/Form.h"

namespace {

struct BackgroundWorkTest : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        owner = std::make_unique<TForm>("Owner", "owner", 200, 100);
        owner->ShowForm();
    }
    std::unique_ptr<TForm> owner;
};

// Works for about 1.5 s in steps of 10 ms, stopping early once cancelled; counts its steps.
void SlowWork(TBackgroundWork& work, int& steps) {
    for (steps = 0; steps < 150 && !BackgroundWorkCancelled(); ++steps) {
        work.SetProgress(steps, 150);
        Sleep(10);
    }
}

TEST_F(BackgroundWorkTest, TheWindowAnswersWhileALongWorkRunsAndTheBoxShowsItsProgress) {
    std::atomic<bool> ownerDisabled{false};
    std::atomic<HWND> box{nullptr};
    TAnswerWatch watch(owner->Handle(), [&] {
        if (!IsWindowEnabled(owner->Handle())) ownerDisabled = true;
        if (HWND b = FindProcessWindowNamed(L"ProgressBox")) box = b;
    });
    TBackgroundWork work(owner->Handle());
    int steps = 0;
    DWORD workerThread = 0;
    EXPECT_TRUE(work.Run(
        [&] {
            workerThread = GetCurrentThreadId();
            SlowWork(work, steps);
        },
        "failed"));
    watch.Stop();
    EXPECT_EQ(steps, 150);
    EXPECT_NE(workerThread, GetCurrentThreadId());
    EXPECT_GT(watch.Rounds(), 10);
    EXPECT_LT(watch.LongestSeconds(), 1.0);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));  // back once the run ended
    ASSERT_NE(work.ProgressBox(), nullptr);
    EXPECT_EQ(box.load(), work.ProgressBox());
}

TEST_F(BackgroundWorkTest, AShortWorkShowsNoBox) {
    TBackgroundWork work(owner->Handle());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(work.Run([] { Sleep(5); }, "failed"));
    EXPECT_EQ(work.ProgressBox(), nullptr);
}

TEST_F(BackgroundWorkTest, EscapeOrTheCancelButtonStopsTheWorkAndTheRestOfTheBatch) {
    // Escape posted to the box as a key press, the button clicked, the box closed.
    const std::vector<std::function<void(HWND)>> cancels = {
        [](HWND box) { PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0); },
        [](HWND box) {
            PostMessageW(FindWindowExW(box, nullptr, L"BUTTON", nullptr), BM_CLICK, 0, 0);
        },
        [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); },
    };
    for (std::size_t c = 0; c < cancels.size(); ++c) {
        SCOPED_TRACE(c);
        std::atomic<bool> pressed{false};
        TAnswerWatch watch(owner->Handle(), [&] {
            HWND box = FindProcessWindowNamed(L"ProgressBox");
            if (box && !pressed.exchange(true)) cancels[c](box);
        });
        TBackgroundWork work(owner->Handle());
        int steps = 0;
        EXPECT_TRUE(work.Run([&] { SlowWork(work, steps); }, "failed"));
        EXPECT_TRUE(pressed);
        EXPECT_TRUE(work.Cancelled());
        EXPECT_LT(steps, 150);  // stopped early
        bool ran = false;
        EXPECT_FALSE(work.Run([&] { ran = true; }, "failed"));
        EXPECT_FALSE(ran);
    }
}

TEST_F(BackgroundWorkTest, StepsRunOnTheWindowThreadAndGiveTheirResults) {
    TBackgroundWork work(owner->Handle());
    const DWORD self = GetCurrentThreadId();
    std::vector<DWORD> stepThreads;
    int sum = 0;
    EXPECT_TRUE(work.Run(
        [&] {
            for (int i = 1; i <= 3; ++i)
                sum += OnWindowThread([&] {
                    stepThreads.push_back(GetCurrentThreadId());
                    return i;
                });
        },
        "failed"));
    EXPECT_EQ(sum, 6);
    EXPECT_EQ(stepThreads, (std::vector<DWORD>{self, self, self}));
    // Outside a work a step runs where it is called.
    EXPECT_EQ(OnWindowThread([] { return GetCurrentThreadId(); }), self);
}

TEST_F(BackgroundWorkTest, AnExceptionOnTheWorkerEndsTheRunOnTheWindowThreadWithTheCommandsMessage) {
    struct Case {
        const char* what;
        std::function<void()> work;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"out of memory", [] { throw std::bad_alloc(); }, "読み込めませんでした。"},
        {"a library's error", [] { throw std::runtime_error("vector::_M_range_check"); }, "読み込めませんでした。"},
        {"ours", [] { throw EInvalidGraphic("壊れています。"); }, "壊れています。"},
        {"a step's", [] { OnWindowThread([] { throw std::length_error("basic_string"); }); }, "読み込めませんでした。"},
        {"a step's own", [] { OnWindowThread([] { throw Exception("ステップ"); }); }, "ステップ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBackgroundWork work(owner->Handle());
        DWORD caughtOn = 0;
        std::string message;
        try {
            work.Run(c.work, "読み込めませんでした。");
        } catch (const Exception& e) {
            caughtOn = GetCurrentThreadId();
            message = e.what();
        }
        EXPECT_EQ(caughtOn, GetCurrentThreadId());
        EXPECT_EQ(message, c.message);
        EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
    }
}

} // namespace
