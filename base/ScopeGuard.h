#pragma once
// Scope guards: clean-up that runs however a scope ends (TScopeExit), or only when it
// ends by an exception (TScopeFail), in place of catch-and-rethrow blocks.
#include <exception>
#include <utility>

// Runs the action when the scope ends. An error of the action passes on, unless the
// scope is already ending by an exception: that one then goes on and the action's is dropped.
template <typename F>
class TScopeExit {
public:
    explicit TScopeExit(F action) : FAction(std::move(action)) {}
    ~TScopeExit() noexcept(false) {
        if (std::uncaught_exceptions() > FUncaught) {
            try {
                FAction();
            } catch (...) {
            }
        } else {
            FAction();
        }
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FAction;
    int FUncaught = std::uncaught_exceptions();
};

// Runs the action only when the scope ends by an exception, which then goes on (an error
// of the action is dropped).
template <typename F>
class TScopeFail {
public:
    explicit TScopeFail(F action) : FAction(std::move(action)) {}
    ~TScopeFail() {
        if (std::uncaught_exceptions() <= FUncaught) return;
        try {
            FAction();
        } catch (...) {
        }
    }
    TScopeFail(const TScopeFail&) = delete;
    TScopeFail& operator=(const TScopeFail&) = delete;

private:
    F FAction;
    int FUncaught = std::uncaught_exceptions();
};
