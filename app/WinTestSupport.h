#pragma once
// Helpers for the window tests: a scratch folder as the current folder, recorded
// message boxes and a message pump with a deadline.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SettingsKeys.h"
#include "ui/AnswerWatchTestSupport.h"
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

// How the window answers while something runs on its thread: TAnswerWatch (ui).
