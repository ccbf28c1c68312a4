// Starts Tamsolo.exe itself, finds its main window and pages, and closes it.
#include <cstdlib>

#include "app/MainForm.h"
#include "app/WinTestSupport.h"
#include "ui/Control.h"
#include "ui/Registry.h"

namespace {

std::string ProgramPath() {
    const char* env = std::getenv("TAMSOLO_EXE");
    std::string p = env ? env : "";
    if (!p.empty() && p.front() == '/') {  // a Linux path: drive Z: is the root under Wine
        for (char& c : p)
            if (c == '/') c = '\\';
        p = "Z:" + p;
    }
    return p;
}

struct Found {
    DWORD Pid;
    HWND Window = nullptr;
};

BOOL CALLBACK FindMain(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    wchar_t title[64] = {};
    GetWindowTextW(h, title, 64);
    if (pid == f->Pid && IsWindowVisible(h) && std::wstring(title) == L"Tamsolo") {
        f->Window = h;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TEST(EndToEnd, TamsoloStartsShowsItsPagesAndWritesSettingsAtClose) {
    std::string exe = ProgramPath();
    ASSERT_FALSE(exe.empty()) << "TAMSOLO_EXE is not set";
    // The program started here keeps its settings in a test key of its own.
    const char* const test = "EndToEnd";
    const TSettingsKeys keys = TSettingsKeys::ForTest(test);
    DeleteTestKeys(test);
    SetEnvironmentVariableW(L"TAMSOLO_TEST_SETTINGS", W(test).c_str());
    std::string dir = TempFolder("tamsolo-e2e");
    std::wstring cmd = L"\"" + W(exe) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, W(dir).c_str(), &si, &pi);
    SetEnvironmentVariableW(L"TAMSOLO_TEST_SETTINGS", nullptr);
    ASSERT_TRUE(started);
    Found found{pi.dwProcessId};
    for (int i = 0; i < 300 && !found.Window; ++i) {
        EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
        if (!found.Window) Sleep(20);
    }
    ASSERT_NE(found.Window, nullptr) << "no main window";
    for (const char* name : {"PageControl1", "Page1", "Page2", "Page3", "Page4", "Page5", "Page6", "SpeedButton1"})
        EXPECT_NE(FindComponent(found.Window, name), nullptr) << name;
    HWND tabs = FindComponent(found.Window, "PageControl1");
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 6);
    PostMessageW(found.Window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 15000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(keys.Root, false));
    EXPECT_EQ(reg.ReadString("PATH"), WindowsCursorFolder());
    reg.CloseKey();
    DeleteTestKeys(test);
}
