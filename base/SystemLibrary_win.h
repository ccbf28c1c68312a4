#pragma once
// Functions of system libraries that only some commands need (the shell, COM, the common
// dialogs, the multimedia timer), looked up on first use rather than imported: every library
// the loader maps before the program starts, with the libraries it brings along, delays the
// first window.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <mmsystem.h>

// The function `name` of the system library `library` (searched in the system folder only),
// or nullptr when either is missing. The library stays loaded for the rest of the run.
template <typename Fn>
Fn* SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// A set of functions of one library, looked up together on its first use.
template <typename Functions>
const Functions& Loaded() {
    static const Functions functions;
    return functions;
}

// What the program takes from shell32.dll (nullptr: missing).
struct TShell32 {
    static constexpr const wchar_t* kLibrary = L"shell32.dll";
    decltype(::DragQueryFileW)* DragQueryFile =
        SystemFunction<decltype(::DragQueryFileW)>(kLibrary, "DragQueryFileW");
    decltype(::DragFinish)* DragFinish = SystemFunction<decltype(::DragFinish)>(kLibrary, "DragFinish");
    decltype(::ExtractIconExW)* ExtractIconEx =
        SystemFunction<decltype(::ExtractIconExW)>(kLibrary, "ExtractIconExW");
    decltype(::SHBrowseForFolderW)* SHBrowseForFolder =
        SystemFunction<decltype(::SHBrowseForFolderW)>(kLibrary, "SHBrowseForFolderW");
    decltype(::SHGetFileInfoW)* SHGetFileInfo =
        SystemFunction<decltype(::SHGetFileInfoW)>(kLibrary, "SHGetFileInfoW");
    decltype(::SHGetPathFromIDListW)* SHGetPathFromIDList =
        SystemFunction<decltype(::SHGetPathFromIDListW)>(kLibrary, "SHGetPathFromIDListW");
    decltype(::ShellExecuteW)* ShellExecute = SystemFunction<decltype(::ShellExecuteW)>(kLibrary, "ShellExecuteW");
};
inline const TShell32& Shell32() { return Loaded<TShell32>(); }

// What the program takes from ole32.dll (nullptr: missing).
struct TOle32 {
    static constexpr const wchar_t* kLibrary = L"ole32.dll";
    decltype(::CoInitializeEx)* CoInitializeEx =
        SystemFunction<decltype(::CoInitializeEx)>(kLibrary, "CoInitializeEx");
    decltype(::CoUninitialize)* CoUninitialize =
        SystemFunction<decltype(::CoUninitialize)>(kLibrary, "CoUninitialize");
    decltype(::CoCreateInstance)* CoCreateInstance =
        SystemFunction<decltype(::CoCreateInstance)>(kLibrary, "CoCreateInstance");
    decltype(::CoTaskMemFree)* CoTaskMemFree = SystemFunction<decltype(::CoTaskMemFree)>(kLibrary, "CoTaskMemFree");
};
inline const TOle32& Ole32() { return Loaded<TOle32>(); }

// What the program takes from winmm.dll (nullptr: missing).
struct TWinmm {
    static constexpr const wchar_t* kLibrary = L"winmm.dll";
    decltype(::timeGetDevCaps)* GetDevCaps = SystemFunction<decltype(::timeGetDevCaps)>(kLibrary, "timeGetDevCaps");
    decltype(::timeSetEvent)* SetEvent = SystemFunction<decltype(::timeSetEvent)>(kLibrary, "timeSetEvent");
    decltype(::timeKillEvent)* KillEvent = SystemFunction<decltype(::timeKillEvent)>(kLibrary, "timeKillEvent");
    decltype(::timeGetTime)* GetTime = SystemFunction<decltype(::timeGetTime)>(kLibrary, "timeGetTime");
};
inline const TWinmm& Winmm() { return Loaded<TWinmm>(); }

// What DragAcceptFiles does, without shell32 at start: the extended style WS_EX_ACCEPTFILES is
// what makes the shell send the window WM_DROPFILES.
inline void AcceptDroppedFiles(HWND window, bool accept) {
    if (!window) return;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_EXSTYLE, accept ? (style | WS_EX_ACCEPTFILES) : (style & ~WS_EX_ACCEPTFILES));
}
