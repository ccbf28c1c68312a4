#include "ui/FirstUse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TMade {
    explicit TMade(std::vector<std::string>& log) : Log(log) { Log.push_back("made"); }
    ~TMade() { Log.push_back("gone"); }
    std::vector<std::string>& Log;
    int Value = 1;
};

} // namespace

TEST(MadeOnFirstUse, MakesOnceOnFirstUseLendsAndRefusesToBeUsedWhileMade) {
    std::vector<std::string> log;
    TMadeOnFirstUse<TMade> lazy([&] { return std::make_unique<TMade>(log); });
    EXPECT_EQ(lazy.IfMade(), nullptr);
    EXPECT_TRUE(log.empty());
    lazy->Value = 5;
    TMade* first = lazy.IfMade();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(lazy->Value, 5);
    EXPECT_EQ(&lazy.Get(), first);
    EXPECT_EQ(log, (std::vector<std::string>{"made"}));

    // A lent object stands in front of its own until the loan ends.
    std::vector<std::string> otherLog;
    TMade lent(otherLog);
    lazy = &lent;
    EXPECT_EQ(lazy.IfMade(), &lent);
    EXPECT_EQ(&lazy.Get(), &lent);
    lazy = nullptr;
    EXPECT_EQ(lazy.IfMade(), first);

    lazy.Reset();
    EXPECT_EQ(lazy.IfMade(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"made", "gone"}));
    EXPECT_EQ(lazy->Value, 1);  // made again, anew
    EXPECT_EQ(log.size(), 3u);

    // Without a way to make it, or while it is being made, it is a fault of the program.
    TMadeOnFirstUse<TMade> none;
    EXPECT_THROW(none.Get(), std::logic_error);
    TMadeOnFirstUse<TMade> loop;
    loop.SetMake([&]() -> std::unique_ptr<TMade> {
        loop.Get();
        return nullptr;
    });
    EXPECT_THROW(loop.Get(), std::logic_error);
    EXPECT_EQ(loop.IfMade(), nullptr);
    loop.SetMake([&] { return std::make_unique<TMade>(log); });
    EXPECT_NO_THROW(loop.Get()) << "a failed making leaves it free to be made";

    // Released, it is gone and stays gone.
    loop.Release();
    EXPECT_EQ(loop.IfMade(), nullptr);
    EXPECT_EQ(loop.TryGet(), nullptr);
}

TEST(MadeOnFirstUse, HandsTheKeptStateToEachObjectItMakesButNotToALentOne) {
    std::vector<std::string> log;
    TMadeOnFirstUse<TMade> lazy([&] { return std::make_unique<TMade>(log); });
    int kept = 7;
    lazy.SetOnMade([&](TMade& made) { made.Value = kept; });
    EXPECT_EQ(lazy.IfMade(), nullptr);  // asking whether it is there makes nothing
    EXPECT_EQ(lazy->Value, 7);
    lazy->Value = 9;
    EXPECT_EQ(lazy->Value, 9);  // told once, when made
    lazy.Reset();
    kept = 3;
    EXPECT_EQ(lazy->Value, 3);  // made anew: told anew
    std::vector<std::string> otherLog;
    TMade lent(otherLog);
    lazy.Reset();
    lazy = &lent;
    EXPECT_EQ(lazy->Value, 1);
}
