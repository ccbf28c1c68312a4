#include "app/MMTimer.h"

#include <thread>
#include <vector>

#include "app/WinTestSupport.h"

namespace {

// Pumps messages for a fixed time.
void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// A system timer that never runs by itself: the test fires its periods from a thread of its
// own, as the system would, and reads back what was started and killed.
struct FakeTimerLog {
    int PeriodMin = 5, PeriodMax = 500;
    bool Refuse = false;
    std::vector<int> StartedIntervals;
    std::vector<int> StartedResolutions;
    std::vector<UINT> Killed;
    UINT Live = 0;
    UINT NextId = 1;
    LPTIMECALLBACK Callback = nullptr;
    DWORD_PTR User = 0;
    HWND WindowAtKill = nullptr;
    HWND Window = nullptr;

    // One period ends: the callback runs on another thread, as the system's does.
    void Fire() {
        ASSERT_NE(Live, 0u);
        std::thread([this] { Callback(Live, 0, User, 0, 0); }).join();
    }
};

class FakeSystemTimer : public TSystemTimer {
public:
    explicit FakeSystemTimer(FakeTimerLog& log) : FLog(log) {}
    void GetDevCaps(int& periodMin, int& periodMax) override {
        periodMin = FLog.PeriodMin;
        periodMax = FLog.PeriodMax;
    }
    UINT SetEvent(int interval, int resolution, LPTIMECALLBACK callback, DWORD_PTR user) override {
        if (FLog.Refuse) return 0;
        FLog.StartedIntervals.push_back(interval);
        FLog.StartedResolutions.push_back(resolution);
        FLog.Callback = callback;
        FLog.User = user;
        FLog.Live = FLog.NextId++;
        return FLog.Live;
    }
    void KillEvent(UINT id) override {
        EXPECT_EQ(id, FLog.Live);
        FLog.Killed.push_back(id);
        FLog.Live = 0;
        FLog.WindowAtKill = FLog.Window && IsWindow(FLog.Window) ? FLog.Window : nullptr;
    }

private:
    FakeTimerLog& FLog;  // not owned
};

struct MMTimerFake : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        timer = std::make_unique<MMTimer>("Timer1", std::make_unique<FakeSystemTimer>(log));
        log.Window = timer->Handle();
    }
    void CountSteps() {
        timer->OnTimer = [this](TControl* sender) {
            EXPECT_EQ(sender, timer.get());
            threads.push_back(GetCurrentThreadId());
        };
    }
    FakeTimerLog log;
    std::unique_ptr<MMTimer> timer;
    std::vector<DWORD> threads;  // thread of each step
};

struct MMTimerWinmm : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        timer = std::make_unique<MMTimer>("Timer1");
    }
    std::unique_ptr<MMTimer> timer;
    std::vector<DWORD> threads;
};

} // namespace

TEST(TickGate, OneNotificationOutstandingUntilItArrives) {
    TTickGate gate;
    uint32_t g1 = 99, g2 = 99;
    EXPECT_TRUE(gate.TryPost(g1));
    EXPECT_FALSE(gate.TryPost(g2));  // the period is dropped
    EXPECT_TRUE(gate.Outstanding());
    EXPECT_TRUE(gate.Accept(g1));
    EXPECT_FALSE(gate.Outstanding());
    EXPECT_TRUE(gate.TryPost(g2));
    EXPECT_EQ(g2, g1);
    gate.PostFailed();
    EXPECT_TRUE(gate.TryPost(g2));
}

TEST(TickGate, NotificationsFromBeforeAKillAreIgnored) {
    TTickGate gate;
    uint32_t stale = 0, fresh = 0;
    ASSERT_TRUE(gate.TryPost(stale));
    gate.Reset();
    EXPECT_FALSE(gate.Outstanding());
    ASSERT_TRUE(gate.TryPost(fresh));
    EXPECT_NE(fresh, stale);
    EXPECT_FALSE(gate.Accept(stale));
    EXPECT_TRUE(gate.Outstanding());  // the stale one does not free the fresh one's slot
    EXPECT_TRUE(gate.Accept(fresh));
}

TEST_F(MMTimerFake, StartsStoppedWithTheDeviceRange) {
    EXPECT_FALSE(timer->Enabled());
    EXPECT_FALSE(timer->Running());
    EXPECT_EQ(timer->Interval(), 1000);
    EXPECT_EQ(timer->Resolution(), 10);
    EXPECT_EQ(timer->PeriodMin(), 5);
    EXPECT_EQ(timer->PeriodMax(), 500);
    EXPECT_EQ(ComponentNameOf(timer->Handle()), "Timer1");
}

TEST_F(MMTimerFake, IntervalAndResolutionAreClampedToTheDevice) {
    struct Case {
        int Written, Stored;
    } cases[] = {{0, 5}, {-3, 5}, {501, 500}, {50, 50}, {5, 5}, {500, 500}};
    for (const Case& c : cases) {
        timer->set_interval(c.Written);
        EXPECT_EQ(timer->Interval(), c.Stored) << c.Written;
        timer->set_resolution(c.Written);
        EXPECT_EQ(timer->Resolution(), c.Stored) << c.Written;
    }
    EXPECT_TRUE(log.StartedIntervals.empty());  // stored only while disabled
}

TEST_F(MMTimerFake, EnablingTwiceStartsOneSystemTimer) {
    CountSteps();
    timer->set_interval(100);
    timer->set_enabled(true);
    timer->set_enabled(true);
    EXPECT_EQ(log.StartedIntervals, (std::vector<int>{100}));
    EXPECT_EQ(log.StartedResolutions, (std::vector<int>{10}));
    EXPECT_TRUE(timer->Running());
    timer->set_enabled(false);
    timer->set_enabled(false);
    EXPECT_EQ(log.Killed, (std::vector<UINT>{1}));
    EXPECT_FALSE(timer->Running());
}

TEST_F(MMTimerFake, WithoutAHandlerNothingIsStartedOrKilled) {
    timer->set_enabled(true);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_FALSE(timer->Running());
    timer->set_enabled(false);
    timer->set_enabled(true);
    timer->set_interval(40);
    timer->set_enabled(false);
    EXPECT_TRUE(log.StartedIntervals.empty());
    EXPECT_TRUE(log.Killed.empty());
}

TEST_F(MMTimerFake, RefusedTimerStaysEnabledWithoutTicks) {
    CountSteps();
    log.Refuse = true;
    timer->set_enabled(true);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_FALSE(timer->Running());
    timer->set_enabled(false);
    EXPECT_TRUE(log.Killed.empty());
}

TEST_F(MMTimerFake, WritingIntervalOrResolutionWhileRunningRestartsWithIt) {
    CountSteps();
    timer->set_interval(100);
    timer->set_enabled(true);
    timer->set_interval(40);
    timer->set_resolution(20);
    EXPECT_EQ(log.StartedIntervals, (std::vector<int>{100, 40, 40}));
    EXPECT_EQ(log.StartedResolutions, (std::vector<int>{10, 10, 20}));
    EXPECT_EQ(log.Killed, (std::vector<UINT>{1, 2}));
    EXPECT_TRUE(timer->Running());
    EXPECT_TRUE(timer->Enabled());
}

TEST_F(MMTimerFake, PeriodsRunOnTheWindowThreadOneNotificationAtATime) {
    CountSteps();
    timer->set_enabled(true);
    for (int i = 0; i < 5; ++i) log.Fire();  // the window thread is busy for five periods
    EXPECT_TRUE(threads.empty());           // nothing runs on the timer's thread
    PumpFor(50);
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_EQ(threads[0], GetCurrentThreadId());
    log.Fire();
    PumpFor(50);
    EXPECT_EQ(threads.size(), 2u);
}

TEST_F(MMTimerFake, NotificationAfterAStopIsIgnored) {
    CountSteps();
    timer->set_enabled(true);
    log.Fire();
    timer->set_enabled(false);
    PumpFor(50);
    EXPECT_TRUE(threads.empty());

    // A stale notification still queued neither runs nor holds back the next run's.
    timer->set_enabled(true);
    log.Fire();
    timer->set_enabled(false);
    timer->set_enabled(true);
    log.Fire();
    PumpFor(50);
    EXPECT_EQ(threads.size(), 1u);
}

TEST_F(MMTimerFake, HandlerMayRewriteTheIntervalFromTheStep) {
    timer->set_interval(100);
    timer->OnTimer = [this](TControl*) { timer->set_interval(timer->Interval() / 2); };
    timer->set_enabled(true);
    log.Fire();
    PumpFor(50);
    EXPECT_EQ(log.StartedIntervals, (std::vector<int>{100, 50}));
    EXPECT_TRUE(timer->Running());
    log.Fire();  // the new run's period is handed over as well
    PumpFor(50);
    EXPECT_EQ(log.StartedIntervals, (std::vector<int>{100, 50, 25}));
}

TEST_F(MMTimerFake, DestroyingAnEnabledTimerKillsItWhileItsWindowExists) {
    CountSteps();
    timer->set_enabled(true);
    HWND window = timer->Handle();
    timer.reset();
    EXPECT_EQ(log.Killed, (std::vector<UINT>{1}));
    EXPECT_EQ(log.WindowAtKill, window);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MMTimerWinmm, StepsArriveOnTheWindowThreadAndAStopIsFinal) {
    EXPECT_GE(timer->PeriodMin(), 1);
    EXPECT_GE(timer->PeriodMax(), timer->PeriodMin());
    timer->set_interval(10);
    timer->OnTimer = [this](TControl*) { threads.push_back(GetCurrentThreadId()); };
    timer->set_enabled(true);
    ASSERT_TRUE(timer->Running());
    ASSERT_TRUE(PumpUntil([this] { return threads.size() >= 3; }, 5000));
    for (DWORD id : threads) EXPECT_EQ(id, GetCurrentThreadId());

    timer->set_enabled(false);
    EXPECT_FALSE(timer->Running());
    std::size_t steps = threads.size();
    PumpFor(200);
    EXPECT_EQ(threads.size(), steps);
}

TEST_F(MMTimerWinmm, BusyWindowThreadReceivesOneNotification) {
    timer->set_interval(5);
    timer->OnTimer = [this](TControl*) { threads.push_back(GetCurrentThreadId()); };
    timer->set_enabled(true);
    Sleep(300);  // about sixty periods end while nothing is pumped
    TApplication::Instance().ProcessMessages();
    timer->set_enabled(false);
    EXPECT_GE(threads.size(), 1u);
    EXPECT_LE(threads.size(), 3u);
}

TEST_F(MMTimerWinmm, IntervalWrittenInTheStepSetsTheNextPeriod) {
    std::vector<DWORD> at;
    timer->set_interval(10);
    timer->OnTimer = [this, &at](TControl*) {
        at.push_back(GetTickCount());
        if (at.size() == 1) timer->set_interval(300);
    };
    timer->set_enabled(true);
    ASSERT_TRUE(PumpUntil([&] { return at.size() >= 2; }, 5000));
    timer->set_enabled(false);
    EXPECT_GE(at[1] - at[0], 250u);
    EXPECT_EQ(timer->Interval(), 300);
}
