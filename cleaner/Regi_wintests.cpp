// Dunmorrow's window on keys of the test's own, and the two programs run one after the
// other: Tamsolo leaves its settings, Dunmorrow removes them.
#include "cleaner/Regi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/BuildPrefixTestSupport.h"
#include "ui/Dialogs.h"
#include "ui/KeyboardTestSupport.h"
#include "ui/Registry.h"

namespace {

const char* const kTestRoot = "Software\\TamsoloTests\\Cleaner";
const std::string kCommand = "\"C:\\Tamsolo\\Tamsolo.EXE\" \"%1\"";

void WriteKey(HKEY root, const std::string& path, const std::string& text = "") {
    TRegistry reg(root);
    ASSERT_TRUE(reg.OpenKey(path, true)) << path;
    if (!text.empty()) reg.WriteString("", text);
}

struct RecordedTexts {
    RecordedTexts() {
        SetMessageBoxHook([this](const TMessageBoxCall& c) {
            Texts.push_back(c.Text);
            Captions.push_back(c.Caption);
            return IDOK;
        });
    }
    ~RecordedTexts() { SetMessageBoxHook(nullptr); }
    std::vector<std::string> Texts, Captions;
};

// Keys under the test's own root stand for the current user's and the classes' roots.
struct RegiTest : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        TApplication::Instance().SetTitle("レジストリ削除プログラム");
        TRegistry().DeleteKey(kTestRoot);
        WriteKey(HKEY_CURRENT_USER, std::string(kTestRoot) + "\\CU");
        WriteKey(HKEY_CURRENT_USER, std::string(kTestRoot) + "\\CR");
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\TamsoloTests\\Cleaner\\CU", 0, KEY_ALL_ACCESS, &roots.CurrentUser);
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\TamsoloTests\\Cleaner\\CR", 0, KEY_ALL_ACCESS, &roots.ClassesRoot);
    }
    void TearDown() override {
        RegCloseKey(roots.CurrentUser);
        RegCloseKey(roots.ClassesRoot);
        TRegistry().DeleteKey(kTestRoot);
    }
    bool Exists(HKEY root, const std::string& path) { return TRegistry(root).KeyExists(path); }
    void Click(TControl& c) {
        c.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        c.Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    TCleanerRoots roots{nullptr, nullptr};
};

TEST_F(RegiTest, HasItsLayout) {
    TRegi regi(GetModuleHandleW(nullptr), roots);
    EXPECT_EQ(regi.Caption(), "レジストリの削除");
    EXPECT_EQ(regi.ClientWidth(), 294);
    EXPECT_EQ(regi.ClientHeight(), 72);
    EXPECT_EQ(regi.Button1->Caption(), "キャンセル");
    EXPECT_EQ(regi.SpeedButton1->Width(), 57);
    EXPECT_FALSE(regi.SpeedButton1->Glyph().Empty());  // from the test program's resources
    EXPECT_EQ(regi.Label1->Caption(), "Tamsoloのレジストリを消去します。このﾌﾟﾛｸﾞﾗﾑはアンインストール前に使ってください。");
    for (const char* name : {"SpeedButton1", "Label1", "Button1"}) EXPECT_NE(FindComponent(regi.Handle(), name), nullptr);
}

TEST_F(RegiTest, DeletesTamsolosStateOnceAndThenSaysItIsGone) {
    WriteKey(roots.CurrentUser, "Software\\Brannoch\\Tamsolo");
    WriteKey(roots.CurrentUser, "Software\\Brannoch\\Keep");
    WriteKey(roots.ClassesRoot, "Paint.Picture\\shell\\Tamsolo\\command", kCommand);
    WriteKey(roots.ClassesRoot, "IcoFile\\shell\\open\\command", kCommand);
    WriteKey(roots.ClassesRoot, "IcoFile\\DefaultIcon", "%1");
    WriteKey(roots.ClassesRoot, "CurFile\\shell\\open\\command", kCommand);
    WriteKey(roots.ClassesRoot, "AnimationPointer\\shell\\open\\command", "\"C:\\Other\\viewer.exe\" \"%1\"");
    TRegi regi(GetModuleHandleW(nullptr), roots);
    RecordedTexts boxes;
    Click(*regi.SpeedButton1);
    ASSERT_EQ(boxes.Texts, (std::vector<std::string>{"正常に消去されました。"}));
    EXPECT_EQ(boxes.Captions[0], "レジストリ削除プログラム");
    EXPECT_EQ(regi.Button1->Caption(), "閉じる");
    EXPECT_FALSE(Exists(roots.CurrentUser, "Software\\Brannoch\\Tamsolo"));
    EXPECT_TRUE(Exists(roots.CurrentUser, "Software\\Brannoch\\Keep"));
    EXPECT_FALSE(Exists(roots.ClassesRoot, "Paint.Picture\\shell\\Tamsolo"));
    EXPECT_FALSE(Exists(roots.ClassesRoot, "IcoFile\\shell\\open"));
    EXPECT_TRUE(Exists(roots.ClassesRoot, "IcoFile\\DefaultIcon"));
    EXPECT_FALSE(Exists(roots.ClassesRoot, "CurFile\\shell\\open"));
    EXPECT_TRUE(Exists(roots.ClassesRoot, "AnimationPointer\\shell\\open\\command"));  // another program's verb

    Click(*regi.SpeedButton1);
    EXPECT_EQ(boxes.Texts.back(), "すでに消去されています。");
    EXPECT_EQ(boxes.Texts.size(), 2u);
}

TEST_F(RegiTest, ACleanSystemKeepsTheCancelCaption) {
    TRegi regi(GetModuleHandleW(nullptr), roots);
    RecordedTexts boxes;
    Click(*regi.SpeedButton1);
    EXPECT_EQ(boxes.Texts, (std::vector<std::string>{"すでに消去されています。"}));
    EXPECT_EQ(regi.Button1->Caption(), "キャンセル");
}

// ---- the programs themselves

struct TProcess {
    PROCESS_INFORMATION Info{};
    bool Start(const std::string& exe) {
        std::wstring cmd = L"\"" + W(exe) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        return CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &Info);
    }
    ~TProcess() {
        if (Info.hProcess) {
            if (WaitForSingleObject(Info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(Info.hProcess, 1);
            CloseHandle(Info.hThread);
            CloseHandle(Info.hProcess);
        }
    }
    // A visible top-level window of the process: with the title, or of the class of message boxes.
    HWND Window(const wchar_t* title, const wchar_t* className = nullptr, int tries = 300) const {
        TWindowSearch f{Info.dwProcessId, title, className};
        for (int i = 0; i < tries && !f.Found; ++i) {
            EnumWindows(TWindowSearch::Visit, reinterpret_cast<LPARAM>(&f));
            if (!f.Found) Sleep(20);
        }
        return f.Found;
    }
    struct TWindowSearch {
        DWORD Pid;
        const wchar_t* Title;
        const wchar_t* Class;
        HWND Found = nullptr;
        static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
            auto* f = reinterpret_cast<TWindowSearch*>(lp);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            wchar_t text[128] = {}, cls[64] = {};
            GetWindowTextW(h, text, 128);
            GetClassNameW(h, cls, 64);
            if (pid == f->Pid && IsWindowVisible(h) && (!f->Title || std::wstring(text) == f->Title) &&
                (!f->Class || std::wstring(cls) == f->Class)) {
                f->Found = h;
                return FALSE;
            }
            return TRUE;
        }
    };
    bool Ended(DWORD ms = 15000) const { return WaitForSingleObject(Info.hProcess, ms) == WAIT_OBJECT_0; }
};

// The exit code of "reg query <key>" run by Wine's own reg.exe: 0 found, 1 not found.
DWORD RegQuery(const std::string& key) {
    std::wstring cmd = L"reg.exe query \"" + W(key) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return 99;
    WaitForSingleObject(pi.hProcess, 15000);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// Clicks Dunmorrow's picture button and returns the text of the message box it shows (closed then).
std::string RunDeletion(const TProcess& dunmorrow, HWND window) {
    HWND button = FindComponent(window, "SpeedButton1");
    if (!button) return "<no button>";
    PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    HWND box = dunmorrow.Window(L"レジストリ削除プログラム", L"#32770");
    if (!box) return "<no message>";
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(20);
    return U(text);
}

TEST(Dunmorrow, RemovesTheSettingsTamsoloLeftAndThenSaysTheyAreGone) {
    // Both programs use the real keys of the current user: only ever in the build's own Wine prefix.
    if (!InTheBuildsOwnPrefix()) GTEST_SKIP() << "deletes the current user's Tamsolo settings outside the build's own prefix";
    const std::string tamsoloExe = ProgramPathFromEnvironment("TAMSOLO_EXE"),
                      dunmorrowExe = ProgramPathFromEnvironment("DUNMORROW_EXE");
    ASSERT_FALSE(tamsoloExe.empty() || dunmorrowExe.empty()) << "TAMSOLO_EXE or DUNMORROW_EXE is not set";
    const std::string key = "HKCU\\Software\\Brannoch\\Tamsolo";
    {
        TProcess tamsolo;
        ASSERT_TRUE(tamsolo.Start(tamsoloExe));
        HWND main = tamsolo.Window(L"Tamsolo");
        ASSERT_NE(main, nullptr);
        PostMessageW(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(tamsolo.Ended());
    }
    ASSERT_EQ(RegQuery(key), 0u) << "Tamsolo wrote no settings";

    TProcess dunmorrow;
    ASSERT_TRUE(dunmorrow.Start(dunmorrowExe));
    HWND window = dunmorrow.Window(L"レジストリの削除");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(RunDeletion(dunmorrow, window), "正常に消去されました。");
    EXPECT_EQ(RegQuery(key), 1u);
    EXPECT_EQ(RunDeletion(dunmorrow, window), "すでに消去されています。");
    PostMessageW(FindComponent(window, "Button1"), BM_CLICK, 0, 0);
    EXPECT_TRUE(dunmorrow.Ended());
}

TEST(Dunmorrow, TheProgramsTestSkipsOutsideTheBuildsPrefix) {
    ExpectSkippedOutsideTheBuildsPrefix("Dunmorrow.RemovesTheSettingsTamsoloLeftAndThenSaysTheyAreGone",
                                        "Software\\Brannoch\\Tamsolo");
}

} // namespace

// Dunmorrow's keyboard, typed as a user types it and handled by the application's own
// loop: the window opens on its button (the picture button takes no focus, as a speed
// button does not), Tab stays there, Enter and Escape press it, which ends the program.
TEST_F(RegiTest, TheKeyboardReachesTheCancelButton) {
    for (WORD closing : {VK_RETURN, VK_ESCAPE}) {
        TApplication::Instance().Initialize();
        TRegi regi(GetModuleHandleW(nullptr), roots);
        TApplication::Instance().SetMainForm(&regi);
        regi.ShowForm();
        SetForegroundWindow(regi.Handle());
        TKeyScript script;
        script.Add([&] { EXPECT_EQ(FocusName(), "Button1"); });
        script.AddTable({{VK_TAB, "Button1"}, {VK_TAB, "Button1", true}}, "Dunmorrow");
        script.Add([&] { TypeKey(closing); });
        EXPECT_TRUE(script.Run([] { TApplication::Instance().Run(); }, [] { TApplication::Instance().Terminate(); })) << closing;
        EXPECT_TRUE(TApplication::Instance().Terminated());
        EXPECT_FALSE(regi.Visible()) << closing;
        TApplication::Instance().SetMainForm(nullptr);
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }  // the program's end, posted for a loop that is gone
    }
}
