#pragma once
// Helpers for the window tests: a scratch folder as the current folder, recorded
// message boxes and a message pump with a deadline.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SettingsKeys.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Registry.h"

inline std::string TempFolder(const std::string& leaf) {
    wchar_t buf[MAX_PATH];
    GetTempPathW(MAX_PATH, buf);
    std::string dir = U(buf) + leaf;
    CreateDirectoryW(W(dir).c_str(), nullptr);
    return dir;
}

// Removes every registry key the named test may have written (all lie below the tests' root).
inline void DeleteTestKeys(const std::string& name) {
    TRegistry().DeleteKey(std::string(TSettingsKeys::TestKeysRoot()) + "\\" + name);
}

// Pumps messages until done() or the deadline passes; returns done().
template <typename F>
bool PumpUntil(F done, DWORD ms = 3000) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        TApplication::Instance().ProcessMessages();
        Sleep(5);
    }
    return true;
}

class RecordedBoxes {
public:
    RecordedBoxes() { Listen(); }
    // Records the boxes (again, after a test let real ones show for a while).
    void Listen() {
        SetMessageBoxHook([this](const TMessageBoxCall& c) {
            Calls.push_back(c);
            return Answer;
        });
    }
    ~RecordedBoxes() { SetMessageBoxHook(nullptr); }
    std::vector<TMessageBoxCall> Calls;
    int Answer = IDOK;
};

// How the window answers while something runs on its thread: a thread of its own sends the
// window WM_NULL about every 20 ms and records the longest wait for an answer (a window busy
// on its thread answers only when that work pumps messages, so this is the longest stretch
// the user would find it frozen); a second thread samples the process's private bytes every
// 10 ms for their peak above what it held when the watch began.
class TAnswerWatch {
public:
    explicit TAnswerWatch(HWND window) : FWindow(window), FStart(PrivateBytes()) {
        FThread = CreateThread(nullptr, 0, &TAnswerWatch::Run, this, 0, nullptr);
        FSampler = CreateThread(nullptr, 0, &TAnswerWatch::Sample, this, 0, nullptr);
    }
    ~TAnswerWatch() { Stop(); }
    TAnswerWatch(const TAnswerWatch&) = delete;
    TAnswerWatch& operator=(const TAnswerWatch&) = delete;

    void Stop() {
        if (!FThread) return;
        InterlockedExchange(&FStop, 1);
        // The last question may wait for the window's thread: answer it while waiting.
        while (WaitForSingleObject(FThread, 5) == WAIT_TIMEOUT) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
        }
        CloseHandle(FThread);
        FThread = nullptr;
        WaitForSingleObject(FSampler, INFINITE);
        CloseHandle(FSampler);
        FSampler = nullptr;
    }
    double LongestMs() const { return FLongestMs; }
    double PeakMegabytes() const {
        return FPeak > FStart ? static_cast<double>(FPeak - FStart) / (1024.0 * 1024.0) : 0.0;
    }
    int Questions() const { return FQuestions; }

    // The private bytes of this process (K32GetProcessMemoryInfo, looked up: no import).
    static SIZE_T PrivateBytes() {
        struct Counters {
            DWORD cb;
            DWORD PageFaultCount;
            SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage,
                QuotaPeakNonPagedPoolUsage, QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage;
        };
        using Fn = BOOL(WINAPI*)(HANDLE, Counters*, DWORD);
        static const Fn get =
            reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "K32GetProcessMemoryInfo")));
        Counters c{};
        c.cb = sizeof c;
        return get && get(GetCurrentProcess(), &c, sizeof c) ? c.PagefileUsage : 0;
    }

private:
    static DWORD WINAPI Run(void* p) {
        auto* w = static_cast<TAnswerWatch*>(p);
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        while (!InterlockedCompareExchange(&w->FStop, 0, 0)) {
            LARGE_INTEGER before, after;
            QueryPerformanceCounter(&before);
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(w->FWindow, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
            QueryPerformanceCounter(&after);
            const double ms = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                              static_cast<double>(frequency.QuadPart);
            if (ms > w->FLongestMs) w->FLongestMs = ms;
            ++w->FQuestions;
            Sleep(20);
        }
        return 0;
    }
    static DWORD WINAPI Sample(void* p) {
        auto* w = static_cast<TAnswerWatch*>(p);
        while (!InterlockedCompareExchange(&w->FStop, 0, 0)) {
            const SIZE_T bytes = PrivateBytes();
            if (bytes > w->FPeak) w->FPeak = bytes;
            Sleep(10);
        }
        return 0;
    }

    HWND FWindow;
    SIZE_T FStart, FPeak = 0;
    HANDLE FThread = nullptr, FSampler = nullptr;
    volatile LONG FStop = 0;
    double FLongestMs = 0;
    int FQuestions = 0;
};
