#pragma once
// Measures how long a window leaves messages unanswered while a command runs: a thread of its
// own sends WM_NULL to the window every ~20 ms (SendMessageTimeout) and keeps the longest wait
// for an answer. Each round it can also look at the program's windows (OnRound, called on
// the watching thread), for example to find a progress box and press its cancel. A second
// thread samples the process's private bytes every 10 ms for their peak above what it held
// when the watch began.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

class TAnswerWatch {
public:
    explicit TAnswerWatch(HWND window, std::function<void()> onRound = {})
        : FWindow(window), FOnRound(std::move(onRound)), FStartBytes(PrivateBytes()), FThread([this] { Watch(); }),
          FSampler([this] { Sample(); }) {}
    ~TAnswerWatch() {
        Stop();
        if (FEnded) CloseHandle(FEnded);
    }
    TAnswerWatch(const TAnswerWatch&) = delete;
    TAnswerWatch& operator=(const TAnswerWatch&) = delete;

    // Ends the watch; the figures stay. Call it on the window's thread: a WM_NULL on its way
    // is answered while the watch ends.
    void Stop() {
        FStop = true;
        while (FEnded && MsgWaitForMultipleObjects(1, &FEnded, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (FThread.joinable()) FThread.join();
        if (FSampler.joinable()) FSampler.join();
    }
    // The longest time one WM_NULL waited for its answer, in seconds.
    double LongestSeconds() const { return static_cast<double>(FLongestTicks.load()) / Frequency(); }
    double LongestMs() const { return 1000.0 * LongestSeconds(); }
    int Rounds() const { return FRounds.load(); }
    // The peak of the private bytes above what the process held when the watch began.
    double PeakMegabytes() const {
        const SIZE_T peak = FPeakBytes.load();
        return peak > FStartBytes ? static_cast<double>(peak - FStartBytes) / (1024.0 * 1024.0) : 0.0;
    }

    // The private bytes of this process (K32GetProcessMemoryInfo, looked up: no import).
    static SIZE_T PrivateBytes() {
        struct Counters {
            DWORD cb;
            DWORD PageFaultCount;
            SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage,
                QuotaPeakNonPagedPoolUsage, QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage;
        };
        using Fn = BOOL(WINAPI*)(HANDLE, Counters*, DWORD);
        static const Fn get = reinterpret_cast<Fn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "K32GetProcessMemoryInfo")));
        Counters c{};
        c.cb = sizeof c;
        return get && get(GetCurrentProcess(), &c, sizeof c) ? c.PagefileUsage : 0;
    }

private:
    static double Frequency() {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }
    static long long Now() {
        LARGE_INTEGER n;
        QueryPerformanceCounter(&n);
        return n.QuadPart;
    }
    void Watch() {
        while (!FStop) {
            const long long sent = Now();
            DWORD_PTR result = 0;
            // A window that stays away this long has failed any test that watches it.
            SendMessageTimeoutW(FWindow, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
            // One answered only as the watch ends waited through the rest of the command.
            FLongestTicks = std::max(FLongestTicks.load(), Now() - sent);
            ++FRounds;
            if (FStop) break;
            if (FOnRound) FOnRound();
            Sleep(20);
        }
        SetEvent(FEnded);
    }
    void Sample() {
        while (!FStop) {
            const SIZE_T bytes = PrivateBytes();
            if (bytes > FPeakBytes.load()) FPeakBytes = bytes;
            Sleep(10);
        }
    }

    HWND FWindow;
    std::function<void()> FOnRound;
    std::atomic<bool> FStop{false};
    std::atomic<long long> FLongestTicks{0};
    std::atomic<int> FRounds{0};
    HANDLE FEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // set by the watching thread at its end
    SIZE_T FStartBytes;
    std::atomic<SIZE_T> FPeakBytes{0};
    std::thread FThread, FSampler;  // last: they start once the rest is set
};

// The visible top-level window of this process whose "ComponentName" is name, else null.
inline HWND FindProcessWindowNamed(const wchar_t* name) {
    struct Find {
        const wchar_t* Name;
        HWND Hit = nullptr;
        static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
            auto* f = reinterpret_cast<Find*>(lp);
            DWORD process = 0;
            GetWindowThreadProcessId(h, &process);
            if (process != GetCurrentProcessId() || !IsWindowVisible(h)) return TRUE;
            wchar_t own[64] = {};
            if (HANDLE atom = GetPropW(h, L"ComponentName"))
                GlobalGetAtomNameW(static_cast<ATOM>(reinterpret_cast<UINT_PTR>(atom)), own, 64);
            if (lstrcmpW(own, f->Name) != 0) return TRUE;
            f->Hit = h;
            return FALSE;
        }
    } find{name};
    EnumWindows(Find::Visit, reinterpret_cast<LPARAM>(&find));
    return find.Hit;
}
