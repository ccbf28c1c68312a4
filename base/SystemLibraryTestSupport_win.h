#pragma once
// Tests: a function of the system's libraries made missing for a scope, as on a system that
// lacks it.
#include "base/SystemLibrary_win.h"

template <typename Fn>
class TMissingSystemFunction {
public:
    explicit TMissingSystemFunction(TSystemFunction<Fn>& slot) : FSlot(slot), FSaved(slot) {
        slot = TSystemFunction<Fn>(nullptr, slot.Library(), slot.Name());
    }
    ~TMissingSystemFunction() { FSlot = FSaved; }
    TMissingSystemFunction(const TMissingSystemFunction&) = delete;
    TMissingSystemFunction& operator=(const TMissingSystemFunction&) = delete;

private:
    TSystemFunction<Fn>& FSlot;
    TSystemFunction<Fn> FSaved;
};

// The message of a command that needed the function.
inline std::string MissingFunctionMessage(const char* library, const char* name) {
    return std::string("Windows の ") + library + " に関数 " + name + " が見つからないため、この操作はできません。";
}
