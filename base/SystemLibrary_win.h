#pragma once
// Functions of system libraries that only some commands need (the shell, COM, the common
// dialogs, the multimedia timer), looked up on first use rather than imported: every library
// the loader maps before the program starts, with the libraries it brings along, delays the
// first window. A command whose function the system lacks ends with a message that names it.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <mmsystem.h>
#include <commdlg.h>

#include <string>
#include <utility>

#include "base/Exception.h"
#include "base/Text.h"

// How a system library is loaded: LoadLibraryExW, or what a test puts in its place.
using TLibraryLoader = HMODULE(WINAPI*)(LPCWSTR name, HANDLE file, DWORD flags);
inline TLibraryLoader& LibraryLoader() {
    static TLibraryLoader loader = ::LoadLibraryExW;
    return loader;
}

// The system library `library`, from the system folder only, or nullptr when it is missing.
// Windows 7 without update KB2533623 refuses LOAD_LIBRARY_SEARCH_SYSTEM32 as an invalid
// parameter; the full path in the system folder then names the same file, and
// LOAD_WITH_ALTERED_SEARCH_PATH looks for what it needs beside it.
inline HMODULE LoadSystemLibrary(const wchar_t* library) {
    HMODULE module = LibraryLoader()(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, n) + L"\\" + library;
    return LibraryLoader()(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The function `name` of the system library `library`, or nullptr when either is missing.
// The library stays loaded for the rest of the run.
template <typename Fn>
Fn* SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    return module ? reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// A command needs a function this system lacks.
class ESystemFunctionMissing : public Exception {
public:
    ESystemFunctionMissing(const wchar_t* library, const char* name)
        : Exception(std::string("Windows の ") + WideToUtf8(library) + " に関数 " + name +
                    " が見つからないため、この操作はできません。") {}
};

// A function of a system library, looked up once. Calling it when the system lacks it raises
// ESystemFunctionMissing, so that the command that needed it ends with a message instead of
// doing nothing; work that can do without it (a clean-up, a refinement) asks first.
template <typename Fn>
class TSystemFunction {
public:
    TSystemFunction(const wchar_t* library, const char* name)
        : TSystemFunction(SystemFunction<Fn>(library, name), library, name) {}
    // The function fn (nullptr: missing) under its name.
    TSystemFunction(Fn* fn, const wchar_t* library, const char* name) : FFn(fn), FLibrary(library), FName(name) {}

    explicit operator bool() const { return FFn != nullptr; }
    Fn* Get() const { return FFn; }
    // The function, or ESystemFunctionMissing.
    Fn* Required() const {
        if (!FFn) throw ESystemFunctionMissing(FLibrary, FName);
        return FFn;
    }
    template <typename... A>
    decltype(auto) operator()(A&&... args) const {
        return Required()(std::forward<A>(args)...);
    }
    const wchar_t* Library() const { return FLibrary; }
    const char* Name() const { return FName; }

private:
    Fn* FFn;
    const wchar_t* FLibrary;
    const char* FName;
};

// A set of functions of one library, looked up together on its first use (tests may replace
// members of it).
template <typename Functions>
Functions& LoadedFunctions() {
    static Functions functions;
    return functions;
}
template <typename Functions>
const Functions& Loaded() {
    return LoadedFunctions<Functions>();
}

// What the program takes from shell32.dll.
struct TShell32 {
    static constexpr const wchar_t* kLibrary = L"shell32.dll";
    TSystemFunction<decltype(::DragQueryFileW)> DragQueryFile{kLibrary, "DragQueryFileW"};
    TSystemFunction<decltype(::DragFinish)> DragFinish{kLibrary, "DragFinish"};
    TSystemFunction<decltype(::SHBrowseForFolderW)> SHBrowseForFolder{kLibrary, "SHBrowseForFolderW"};
    TSystemFunction<decltype(::SHGetFileInfoW)> SHGetFileInfo{kLibrary, "SHGetFileInfoW"};
    TSystemFunction<decltype(::SHGetPathFromIDListW)> SHGetPathFromIDList{kLibrary, "SHGetPathFromIDListW"};
    TSystemFunction<decltype(::ShellExecuteW)> ShellExecute{kLibrary, "ShellExecuteW"};
};
inline const TShell32& Shell32() { return Loaded<TShell32>(); }

// What the program takes from ole32.dll.
struct TOle32 {
    static constexpr const wchar_t* kLibrary = L"ole32.dll";
    TSystemFunction<decltype(::CoInitializeEx)> CoInitializeEx{kLibrary, "CoInitializeEx"};
    TSystemFunction<decltype(::CoUninitialize)> CoUninitialize{kLibrary, "CoUninitialize"};
    TSystemFunction<decltype(::CoCreateInstance)> CoCreateInstance{kLibrary, "CoCreateInstance"};
    TSystemFunction<decltype(::CoTaskMemFree)> CoTaskMemFree{kLibrary, "CoTaskMemFree"};
};
inline const TOle32& Ole32() { return Loaded<TOle32>(); }

// What the program takes from winmm.dll.
struct TWinmm {
    static constexpr const wchar_t* kLibrary = L"winmm.dll";
    TSystemFunction<decltype(::timeGetDevCaps)> GetDevCaps{kLibrary, "timeGetDevCaps"};
    TSystemFunction<decltype(::timeSetEvent)> SetEvent{kLibrary, "timeSetEvent"};
    TSystemFunction<decltype(::timeKillEvent)> KillEvent{kLibrary, "timeKillEvent"};
    TSystemFunction<decltype(::timeGetTime)> GetTime{kLibrary, "timeGetTime"};
};
inline const TWinmm& Winmm() { return Loaded<TWinmm>(); }

// What the program takes from comdlg32.dll.
struct TComdlg32 {
    static constexpr const wchar_t* kLibrary = L"comdlg32.dll";
    TSystemFunction<decltype(::GetOpenFileNameW)> GetOpenFileName{kLibrary, "GetOpenFileNameW"};
    TSystemFunction<decltype(::GetSaveFileNameW)> GetSaveFileName{kLibrary, "GetSaveFileNameW"};
    TSystemFunction<decltype(::ChooseColorW)> ChooseColor{kLibrary, "ChooseColorW"};
};
inline const TComdlg32& Comdlg32() { return Loaded<TComdlg32>(); }

// What DragAcceptFiles does, without shell32 at start: the extended style WS_EX_ACCEPTFILES is
// what makes the shell send the window WM_DROPFILES.
inline void AcceptDroppedFiles(HWND window, bool accept) {
    if (!window) return;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_EXSTYLE, accept ? (style | WS_EX_ACCEPTFILES) : (style & ~WS_EX_ACCEPTFILES));
}
