#pragma once
// For the window tests: runs a program and gives back what it printed.
#include <windows.h>

#include <string>

// Runs the command line with its output and error output on a pipe, waits at most ms for it
// to end and returns what it printed. started: whether it ran; exitCode: its exit code.
inline std::string RunCapturingOutput(std::wstring cmd, DWORD ms, bool& started, DWORD& exitCode) {
    started = false;
    exitCode = 1;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &sa, 0)) return {};
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write;
    si.hStdError = write;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi) !=
              FALSE;
    CloseHandle(write);
    std::string text;
    if (started) {
        char buf[4096];
        DWORD n = 0;
        while (ReadFile(read, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
        WaitForSingleObject(pi.hProcess, ms);
        GetExitCodeProcess(pi.hProcess, &exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(read);
    return text;
}
