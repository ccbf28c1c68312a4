// Starts Tamsolo.exe itself, finds its main window and pages, and closes it.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/MainForm.h"
#include "app/WinTestSupport.h"
#include "ui/BuildPrefixTestSupport.h"
#include "ui/Control.h"
#include "ui/Registry.h"

#include <shellapi.h>

namespace {

std::string ProgramPath() { return ProgramPathFromEnvironment("TAMSOLO_EXE"); }

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

// Selects tab `index` of the program's page control as a user does (moving the focus of a
// tab control selects the tab and notifies the window) and waits for the control `name` on
// that page: the hidden pages are made when first entered.
HWND ControlAfterSelectingTab(HWND window, int index, const char* name) {
    HWND tabs = FindComponent(window, "PageControl1");
    if (!tabs) return nullptr;
    SendMessageW(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    HWND control = nullptr;
    for (int i = 0; i < 250 && !control; ++i) {
        control = FindComponent(window, name);
        if (!control) Sleep(20);
    }
    return control;
}

// The class names of the top-level windows, shown or hidden, of a process.
std::vector<std::wstring> TopLevelClasses(DWORD pid) {
    struct Search {
        DWORD Pid;
        std::vector<std::wstring> Classes;
    } search{pid, {}};
    struct Enum {
        static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            wchar_t name[64] = {};
            if (owner == s->Pid && GetClassNameW(h, name, 64)) s->Classes.push_back(name);
            return TRUE;
        }
    };
    EnumWindows(Enum::Visit, reinterpret_cast<LPARAM>(&search));
    return search.Classes;
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
    // Start-up makes the main window only: the dialogs come with their first use.
    const std::vector<std::wstring> forms = TopLevelClasses(pi.dwProcessId);
    EXPECT_EQ(std::count(forms.begin(), forms.end(), L"TamsoloForm"), 1);
    for (const char* name : {"PageControl1", "Page1", "SpeedButton1"})
        EXPECT_NE(FindComponent(found.Window, name), nullptr) << name;
    // The other pages come with their first showing.
    EXPECT_EQ(FindComponent(found.Window, "Page2"), nullptr);
    for (int page = 2; page <= 6; ++page) {
        const std::string name = "Page" + std::to_string(page);
        EXPECT_NE(ControlAfterSelectingTab(found.Window, page - 1, name.c_str()), nullptr) << name;
    }
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

namespace {
// Starts Tamsolo in folder (with an optional command line) and waits for its main window.
bool StartTamsolo(const std::string& exe, const std::string& folder, PROCESS_INFORMATION& pi, HWND& window) {
    std::wstring cmd = L"\"" + W(exe) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, W(folder).c_str(), &si, &pi))
        return false;
    Found found{pi.dwProcessId};
    for (int i = 0; i < 300 && !found.Window; ++i) {
        EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
        if (!found.Window) Sleep(20);
    }
    window = found.Window;
    return window != nullptr;
}
} // namespace

TEST(EndToEnd, TheAnimatedCursorAssociationOpensTamsoloWithTheFile) {
    // The test writes HKEY_CLASSES_ROOT: only ever in the build's own Wine prefix.
    if (!InTheBuildsOwnPrefix()) GTEST_SKIP() << "changes the shell's file classes outside the build's own prefix";
    std::string exe = ProgramPath();
    ASSERT_FALSE(exe.empty()) << "TAMSOLO_EXE is not set";
    TRegistry().DeleteKey(kSettingsKey);
    TRegistry classes(HKEY_CLASSES_ROOT);
    std::string oldAni = classes.OpenKey(".ani", false) ? classes.ReadString("") : std::string();
    classes.CloseKey();
    std::string exeFolder = exe.substr(0, exe.find_last_of('\\'));

    PROCESS_INFORMATION pi{};
    HWND window = nullptr;
    ASSERT_TRUE(StartTamsolo(exe, exeFolder, pi, window));
    HWND button = ControlAfterSelectingTab(window, 3, "shellani");  // 設定1
    if (!button) TerminateProcess(pi.hProcess, 1);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(IsWindowEnabled(button));  // the program is in its start folder
    SendMessageW(button, BM_CLICK, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 15000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(classes.OpenKey("AnimationPointer\\shell\\open\\command", false));
    std::string command = classes.ReadString("");
    classes.CloseKey();
    EXPECT_EQ(command, "\"" + exe + "\" %1");  // the running program, quoted

    // The shell's open verb on an .ani file starts Tamsolo with that file (taken without
    // asking for a background colour).
    TRegistry settings;
    ASSERT_TRUE(settings.OpenKey(kSettingsKey, false));
    settings.WriteBool("NODLG", true);
    settings.CloseKey();
    std::string dir = TempFolder("tamsolo-assoc");
    std::string ani = dir + "\\assoc test.ani";
    ASSERT_TRUE(CopyFileW(W(std::string(TAMSOLO_SOURCE_DIR) + "/tests/data/demo.ani").c_str(), W(ani).c_str(), FALSE));
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_NOCLOSEPROCESS;
    sei.lpVerb = L"open";
    std::wstring file = W(ani);
    sei.lpFile = file.c_str();
    sei.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExW(&sei));
    ASSERT_NE(sei.hProcess, nullptr);
    Found opened{GetProcessId(sei.hProcess)};
    HWND list = nullptr;
    for (int i = 0; i < 500 && !(list && SendMessageW(list, LB_GETCOUNT, 0, 0) > 0); ++i) {
        if (!opened.Window) EnumWindows(FindMain, reinterpret_cast<LPARAM>(&opened));
        if (opened.Window && !list) list = FindComponent(opened.Window, "ListBox1");
        Sleep(20);
    }
    ASSERT_NE(opened.Window, nullptr) << "no Tamsolo window for the opened file";
    ASSERT_NE(list, nullptr);
    EXPECT_GT(SendMessageW(list, LB_GETCOUNT, 0, 0), 0) << "the file's images are not in the list";
    PostMessageW(opened.Window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(sei.hProcess, 15000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(sei.hProcess);

    // The prefix's classes as they were.
    classes.DeleteKey("AnimationPointer");
    if (oldAni.empty()) {
        classes.DeleteKey(".ani");
    } else if (classes.OpenKey(".ani", true)) {
        classes.WriteString("", oldAni);
    }
    TRegistry().DeleteKey(kSettingsKey);
}

TEST(EndToEnd, TheTestsThatChangeTheUsersKeysSkipOutsideTheBuildsPrefix) {
    ExpectSkippedOutsideTheBuildsPrefix("EndToEnd.TheAnimatedCursorAssociationOpensTamsoloWithTheFile", kSettingsKey);
}
