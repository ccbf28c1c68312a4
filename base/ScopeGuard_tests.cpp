#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "base/ScopeGuard.h"

TEST(ScopeGuard, ExitRunsOnBothPathsAndFailOnlyOnAnError) {
    std::string log;
    {
        TScopeExit exit([&] { log += "exit;"; });
        TScopeFail fail([&] { log += "fail;"; });
    }
    EXPECT_EQ(log, "exit;");
    log.clear();
    try {
        TScopeExit exit([&] { log += "exit;"; });
        TScopeFail fail([&] { log += "fail;"; });
        throw std::runtime_error("first");
    } catch (const std::runtime_error& e) {
        log += e.what();
    }
    EXPECT_EQ(log, "fail;exit;first");  // reverse order of declaration, then the handler
}

TEST(ScopeGuard, AnErrorOfTheCleanUpPassesOnOnlyWhenNothingElseIsUnderWay) {
    auto throwing = [] { throw std::runtime_error("clean-up"); };
    std::string caught;
    try {
        TScopeExit exit(throwing);
    } catch (const std::runtime_error& e) {
        caught = e.what();
    }
    EXPECT_EQ(caught, "clean-up");
    try {
        TScopeExit exit(throwing);
        TScopeFail fail(throwing);
        throw std::runtime_error("first");
    } catch (const std::runtime_error& e) {
        caught = e.what();
    }
    EXPECT_EQ(caught, "first");
}
