#pragma once
// For the window tests that change what a user keeps (the current user's settings, the shell's
// file classes): whether they run in the Wine prefix the build made for its tests, and the
// programs the build hands them (Linux paths as Wine sees them).
#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "base/Text.h"
#include "ui/ProcessTestSupport.h"
#include "ui/Registry.h"

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

// Runs this test program again for one test, told that the build's own prefix is somewhere
// else, and expects the test to skip: a value written beforehand below the current user's
// userKey (a key that test deletes) is still there afterwards. Only in the build's own prefix.
inline void ExpectSkippedOutsideTheBuildsPrefix(const std::string& test, const std::string& userKey) {
    if (!InTheBuildsOwnPrefix()) GTEST_SKIP() << "writes a value below the current user's " << userKey;
    TRegistry settings;
    ASSERT_TRUE(settings.OpenKey(userKey, true));
    settings.WriteString("PrefixProbe", "kept");
    settings.CloseKey();
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    wchar_t old[4096];
    const DWORD had = GetEnvironmentVariableW(L"TAMSOLO_OWN_PREFIX", old, 4096);
    SetEnvironmentVariableW(L"TAMSOLO_OWN_PREFIX", L"/tmp");
    bool started = false;
    DWORD code = 1;
    const std::string out = RunCapturingOutput(
        L"\"" + std::wstring(self, n) + L"\" --gtest_filter=" + Utf8ToWide(test), 60000, started, code);
    SetEnvironmentVariableW(L"TAMSOLO_OWN_PREFIX", had > 0 && had < 4096 ? old : nullptr);
    ASSERT_TRUE(started);
    EXPECT_NE(out.find("[  SKIPPED ] " + test), std::string::npos) << out;
    ASSERT_TRUE(settings.OpenKey(userKey, false));  // the skipped test deleted nothing
    EXPECT_EQ(settings.ReadString("PrefixProbe"), "kept");
    settings.CloseKey();
    TRegistry().DeleteKey(userKey);
}
