#pragma once
// For the window tests that change what a user keeps (the current user's settings, the shell's
// file classes): whether they run in the Wine prefix the build made for its tests, and the
// programs the build hands them (Linux paths as Wine sees them).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/Text.h"

// The path in the environment variable as Windows names it: a Linux path is on drive Z:.
inline std::string ProgramPathFromEnvironment(const char* variable) {
    const char* env = std::getenv(variable);
    std::string p = env ? env : "";
    if (!p.empty() && p.front() == '/') {
        for (char& c : p)
            if (c == '/') c = '\\';
        p = "Z:" + p;
    }
    return p;
}

// The build's test runner (wine-run.sh) names the build's own prefix in TAMSOLO_OWN_PREFIX.
// True only when that is the prefix this program runs in: a file made on its drive C: shows
// up in that prefix's drive_c. Anywhere else (a user's prefix, Windows itself) false.
inline bool InTheBuildsOwnPrefix() {
    const std::string prefix = ProgramPathFromEnvironment("TAMSOLO_OWN_PREFIX");
    if (prefix.rfind("Z:\\", 0) != 0) return false;
    const std::wstring probe =
        L"tamsolo-prefix-probe-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
    HANDLE h = CreateFileW((L"C:\\" + probe).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool same =
        GetFileAttributesW((Utf8ToWide(prefix) + L"\\drive_c\\" + probe).c_str()) != INVALID_FILE_ATTRIBUTES;
    CloseHandle(h);
    return same;
}

// Runs this test program again with a gtest filter, told that the build's own prefix is
// somewhere else, and gives back what it printed.
inline std::string RunElsewhere(const std::string& filter) {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "<no program path>";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "<no pipe>";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring cmd = L"\"" + std::wstring(self, n) + L"\" --gtest_filter=" + Utf8ToWide(filter);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    wchar_t old[4096];
    const DWORD had = GetEnvironmentVariableW(L"TAMSOLO_OWN_PREFIX", old, 4096);
    SetEnvironmentVariableW(L"TAMSOLO_OWN_PREFIX", L"/tmp");
    const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &si, &pi);
    SetEnvironmentVariableW(L"TAMSOLO_OWN_PREFIX", had > 0 && had < 4096 ? old : nullptr);
    CloseHandle(writeEnd);
    std::string out;
    if (started) {
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
        WaitForSingleObject(pi.hProcess, 60000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    } else {
        out = "<not started>";
    }
    CloseHandle(readEnd);
    return out;
}
