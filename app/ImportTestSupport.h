#pragma once
// Helpers for the window tests of the file commands: fixture paths, shortcuts, a real WM_DROPFILES
// built in memory, an answer to the background-colour dialog once it is shown, and a watch
// that names the dialogs a drop shows and closes one that nobody answers.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <string>
#include <vector>

#include "formats/PluginTestSupport.h"
#include "ui/Control.h"
#include "ui/Dialogs.h"

// A file of tests/data (independent tools made them).
inline std::string Data(const std::string& name) {
    return WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/tests/data/" + name);
}
// An icon or cursor made by icotool or Pillow.
inline std::string Fixture(const std::string& name) {
    return WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/formats/testdata/" + name);
}

// Sound modules and an icon file: the test icon host, hand-made modules, a library Tamsolo
// saved, and the modules of the Wine prefix.
inline std::vector<std::string> SoundIconSources() {
    return {
        IconHostPath(),
        CorpusFile("iconsource", "valid_one_icon.dll"),
        CorpusFile("iconsource", "valid_one_icon_64.dll"),
        CorpusFile("iconsource", "valid_library.icl"),
        "C:\\windows\\system32\\shell32.dll",
        "C:\\windows\\system32\\user32.dll",
        "C:\\windows\\system32\\comdlg32.dll",
        "C:\\windows\\notepad.exe",
        "C:\\windows\\regedit.exe",
        Fixture("icotool_multi.ico"),
    };
}

// A link made through the shell's own link object.
inline bool MakeLink(const std::string& link, const std::string& target, int showCmd = SW_SHOWNORMAL) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* l = nullptr;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&l)));
    IPersistFile* f = nullptr;
    ok = ok && SUCCEEDED(l->SetPath(W(target).c_str())) && SUCCEEDED(l->SetShowCmd(showCmd)) &&
         SUCCEEDED(l->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&f))) &&
         SUCCEEDED(f->Save(W(link).c_str(), TRUE));
    if (f) f->Release();
    if (l) l->Release();
    CoUninitialize();
    return ok;
}

// Sends WM_DROPFILES with a drop handle holding the names, as the shell does.
inline void SendDrop(HWND target, const std::vector<std::string>& files) {
    std::wstring list;
    for (const std::string& f : files) {
        list += W(f);
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    const std::size_t size = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL h = GlobalAlloc(GHND, size);
    auto* d = static_cast<DROPFILES*>(GlobalLock(h));
    d->pFiles = sizeof(DROPFILES);
    d->fWide = TRUE;
    std::memcpy(reinterpret_cast<uint8_t*>(d) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(h);
    SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);  // the receiver frees it
}

// Answers every background-colour dialog with colour (through the colour dialog), checking
// "apply to all" when asked to; records whether its check box was shown.
struct TBackColourAnswer {
    TColor Colour = clBlack;
    bool ApplyAll = false;
    std::vector<bool>* Shown = nullptr;
    UINT_PTR Timer = 0;
    bool RealColourDialog = false;  // the system's colour dialog shows, answered by someone else
};
inline TBackColourAnswer& BackColourAnswer() {
    static TBackColourAnswer a;
    return a;
}
inline void CALLBACK AnswerBackColourTick(HWND, UINT, UINT_PTR, DWORD) {
    struct Find {
        HWND Found = nullptr;
        static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
            if (IsWindowVisible(h) && ComponentNameOf(h) == "BackColorDlg") {
                reinterpret_cast<Find*>(lp)->Found = h;
                return FALSE;
            }
            return TRUE;
        }
    } find;
    EnumThreadWindows(GetCurrentThreadId(), Find::Visit, reinterpret_cast<LPARAM>(&find));
    if (!find.Found) return;
    TBackColourAnswer& a = BackColourAnswer();
    HWND box = FindComponent(find.Found, "CheckBox1");
    const bool shown = box && IsWindowVisible(box);
    a.Shown->push_back(shown);
    if (shown && a.ApplyAll) SendMessageW(box, BM_CLICK, 0, 0);
    const HWND ok = FindComponent(find.Found, "Button1");
    if (a.RealColourDialog) {  // one answer: the tick must not run again inside the colour dialog
        KillTimer(nullptr, a.Timer);
        a.Timer = 0;
        PostMessageW(ok, BM_CLICK, 0, 0);
        return;
    }
    SetColorDialogHook([](TColor& c) {
        c = BackColourAnswer().Colour;
        return true;
    });
    SendMessageW(ok, BM_CLICK, 0, 0);
}
inline void AnswerBackColour(TColor colour, bool applyAll, std::vector<bool>& shown) {
    TBackColourAnswer& a = BackColourAnswer();
    if (a.Timer) KillTimer(nullptr, a.Timer);
    a.Colour = colour;
    a.ApplyAll = applyAll;
    a.Shown = &shown;
    a.Timer = SetTimer(nullptr, 0, 20, AnswerBackColourTick);
}
inline void StopAnswering() {
    TBackColourAnswer& a = BackColourAnswer();
    if (a.Timer) KillTimer(nullptr, a.Timer);
    a.Timer = 0;
    a.RealColourDialog = false;
    SetColorDialogHook(nullptr);
}

// Watches the dialogs of this thread while it lives: records the component name (or class
// name) of each window other than main that becomes active, in Shown; and turns a dialog
// nobody answers into a test failure instead of a hang: from wait ms on, every visible
// top-level window other than main is closed (as Alt+F4 does) and recorded in Closed.
class TDialogWatch {
public:
    explicit TDialogWatch(HWND main, UINT wait = 15000) : FMain(main) {
        Current() = this;
        FHook = SetWindowsHookExW(WH_CBT, Activated, nullptr, GetCurrentThreadId());
        FTimer = SetTimer(nullptr, 0, wait, Tick);
    }
    ~TDialogWatch() {
        KillTimer(nullptr, FTimer);
        UnhookWindowsHookEx(FHook);
        Current() = nullptr;
    }
    TDialogWatch(const TDialogWatch&) = delete;
    TDialogWatch& operator=(const TDialogWatch&) = delete;
    std::vector<std::string> Shown, Closed;

private:
    static TDialogWatch*& Current() {
        static TDialogWatch* current = nullptr;
        return current;
    }
    static std::string NameOf(HWND h) {
        std::string name = ComponentNameOf(h);
        if (!name.empty()) return name;
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        return U(cls);
    }
    static LRESULT CALLBACK Activated(int code, WPARAM wp, LPARAM lp) {
        TDialogWatch* self = Current();
        if (self && code == HCBT_ACTIVATE) {  // wp is null when nothing is activated
            const HWND h = reinterpret_cast<HWND>(wp);
            if (h && h != self->FMain && (self->Shown.empty() || self->Shown.back() != NameOf(h)))
                self->Shown.push_back(NameOf(h));
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
        auto* self = reinterpret_cast<TDialogWatch*>(lp);
        if (h == self->FMain || !IsWindowVisible(h)) return TRUE;
        self->Closed.push_back(NameOf(h));
        PostMessageW(h, WM_CLOSE, 0, 0);
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (Current()) EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(Current()));
    }
    HWND FMain;
    HHOOK FHook = nullptr;
    UINT_PTR FTimer = 0;
};
