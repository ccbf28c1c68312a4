#pragma once
// The keyboard and the pointer as a user works them, for the window tests: keys go in as
// input (SendInput) to the focus of the foreground window, and the loop that runs meanwhile
// (a form's modal loop, the application's loop or the tests' pump) handles them; a script
// of steps runs one step per timer tick, so that each step looks at what the loop did with
// the keys the step before typed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/Application.h"
#include "ui/Control.h"

// One key, pressed and released, with Shift and Ctrl held around it when asked.
inline void TypeKey(WORD vk, bool shift = false, bool ctrl = false) {
    std::vector<INPUT> in;
    auto add = [&](WORD key, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (ctrl) add(VK_CONTROL, false);
    if (shift) add(VK_SHIFT, false);
    add(vk, false);
    add(vk, true);
    if (shift) add(VK_SHIFT, true);
    if (ctrl) add(VK_CONTROL, true);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Moves the pointer to the middle of a window, as a user's hand would.
inline void MovePointerOver(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    SetCursorPos(x, y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

// The component name of the window with the focus, or of the control it is part of (the
// edit of a combo box); "" for none.
inline std::string FocusName() {
    for (HWND h = GetFocus(); h; h = GetParent(h)) {
        std::string name = ComponentNameOf(h);
        if (!name.empty()) return name;
    }
    return {};
}

// A row of a key table: the key typed and the control that has the focus afterwards.
struct TKeyRow {
    WORD Key;
    const char* FocusAfter;
    bool Shift = false;
    bool Ctrl = false;
};

// Runs the steps, each on its own tick of a thread timer, while run() runs a loop (it
// returns when the last step ended what it runs). Each step but the first follows the
// handling of the keys its predecessor typed. False when the steps did not all run.
class TKeyScript {
public:
    using TStep = std::function<void()>;
    void Add(TStep step) { FSteps.push_back(std::move(step)); }
    // Steps for a table: the focus after each key is checked, then the next key goes in.
    void AddTable(const std::vector<TKeyRow>& rows, const std::string& what) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const TKeyRow row = rows[i];
            Add([row] { TypeKey(row.Key, row.Shift, row.Ctrl); });
            Add([row, i, what] {
                EXPECT_EQ(FocusName(), row.FocusAfter)
                    << what << ", key " << i << " (" << row.Key << "), active window " << ComponentNameOf(GetActiveWindow());
            });
        }
    }
    // stuck ends what run() runs when it goes on long after the last step (a key that
    // should have ended it did not): the test then fails instead of waiting for ever.
    bool Run(const std::function<void()>& run, std::function<void()> stuck = nullptr) {
        Current() = this;
        FNext = 0;
        FStuck = std::move(stuck);
        FDoneAt = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 60, Tick);
        run();
        KillTimer(nullptr, timer);
        Current() = nullptr;
        return FNext == FSteps.size();
    }
    // Runs the steps with the tests' pump as the loop (for a modeless form).
    bool RunPumping(DWORD ms = 20000) {
        return Run([&] {
            const DWORD start = GetTickCount();
            while (FNext < FSteps.size() && GetTickCount() - start < ms) {
                TApplication::Instance().ProcessMessages();
                Sleep(5);
            }
            // The keys of the last step are handled too.
            const DWORD end = GetTickCount();
            while (GetTickCount() - end < 200) {
                TApplication::Instance().ProcessMessages();
                Sleep(5);
            }
        });
    }

private:
    static TKeyScript*& Current() {
        static TKeyScript* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TKeyScript* s = Current();
        if (!s || s->FRunning) return;
        if (s->FNext >= s->FSteps.size()) {
            if (!s->FDoneAt) s->FDoneAt = GetTickCount();
            if (s->FStuck && GetTickCount() - s->FDoneAt > 10000) {
                ADD_FAILURE() << "the keys did not end the loop";
                auto stuck = std::move(s->FStuck);
                stuck();
            }
            return;
        }
        s->FRunning = true;
        // The window the keys are for stays the foreground window (another program's
        // window may come up in front of it on a busy machine).
        if (s->FNext == 0) s->FWindow = GetActiveWindow();
        DWORD owner = 0;
        if (HWND front = GetForegroundWindow()) GetWindowThreadProcessId(front, &owner);
        if (s->FWindow && IsWindowVisible(s->FWindow) && owner != GetCurrentProcessId()) SetForegroundWindow(s->FWindow);
        const std::size_t i = s->FNext++;
        s->FSteps[i]();
        s->FRunning = false;
    }
    std::vector<TStep> FSteps;
    std::size_t FNext = 0;
    bool FRunning = false;
    HWND FWindow = nullptr;  // the window active when the first step ran
    std::function<void()> FStuck;
    DWORD FDoneAt = 0;
};
