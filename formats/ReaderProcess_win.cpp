// The helper process: started, waited for with a deadline, ended, read from.
#include "formats/ReaderProcess.h"

#include <windows.h>

#include "base/ScopeGuard.h"
#include "base/Text.h"

namespace {

std::wstring& ReaderProgram() {
    static std::wstring program;
    return program;
}

std::wstring OwnProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

// Ends the helper at once on any fault: no crash dialog, no debugger, exit code 3.
LONG WINAPI EndOnFault(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), kReaderFaultExit);
    return EXCEPTION_EXECUTE_HANDLER;
}

bool WriteAll(HANDLE out, const std::vector<uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 16));
        if (!WriteFile(out, bytes.data() + done, chunk, &n, nullptr) || n == 0) return false;
        done += n;
    }
    return true;
}

} // namespace

void SetReaderProgram(const std::string& path) { ReaderProgram() = path.empty() ? std::wstring() : Utf8ToWide(path); }

std::string ProgramArguments() {
    const wchar_t* p = GetCommandLineW();
    bool quoted = false;
    while (*p && (quoted || (*p != L' ' && *p != L'\t'))) {
        if (*p == L'"') quoted = !quoted;
        ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return WideToUtf8(p);
}

TReaderRun RunReader(const TReaderRequest& request, unsigned deadlineMs) {
    TReaderRun run;
    const std::string arguments = ReaderArguments(request);
    const std::wstring program = ReaderProgram().empty() ? OwnProgram() : ReaderProgram();
    if (arguments.empty() || program.empty()) return run;
    std::wstring commandLine = L"\"" + program + L"\" " + Utf8ToWide(arguments);

    const ULONGLONG deadline = GetTickCount64() + deadlineMs;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &sa, 1 << 16)) return run;
    TScopeExit closeRead([read] { CloseHandle(read); });
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(write);  // the pipe breaks when the helper ends
    if (!started) return run;
    CloseHandle(pi.hThread);
    TScopeExit closeProcess([&pi] { CloseHandle(pi.hProcess); });
    TScopeExit endHelper([&pi] {
        if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(pi.hProcess, 4);
            WaitForSingleObject(pi.hProcess, 1000);
        }
    });

    std::vector<uint8_t>& answer = run.Answer;
    const auto outcome = [&run](TReaderOutcome o) {
        run.Outcome = o;
        run.Answer.clear();
        return run;
    };
    for (;;) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(read, nullptr, 0, nullptr, &waiting, nullptr)) break;  // ended, all read
        if (waiting > 0) {
            if (answer.size() + waiting > kAnswerMaxBytes) return outcome(TReaderOutcome::TooLong);
            const std::size_t at = answer.size();
            answer.resize(at + waiting);
            DWORD n = 0;
            if (!ReadFile(read, answer.data() + at, waiting, &n, nullptr)) return outcome(TReaderOutcome::Failed);
            answer.resize(at + n);
            continue;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return outcome(TReaderOutcome::TimedOut);
        // Woken when the helper ends; otherwise the pipe is looked at again soon.
        WaitForSingleObject(pi.hProcess, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 5)));
    }
    const ULONGLONG now = GetTickCount64();
    if (WaitForSingleObject(pi.hProcess, now < deadline ? static_cast<DWORD>(deadline - now) : 0) != WAIT_OBJECT_0)
        return outcome(TReaderOutcome::TimedOut);
    DWORD code = 1;
    if (!GetExitCodeProcess(pi.hProcess, &code)) return outcome(TReaderOutcome::Failed);
    run.ExitCode = code;
    if (code != 0) return outcome(TReaderOutcome::Failed);
    run.Outcome = TReaderOutcome::Answered;
    return run;
}

std::optional<std::vector<uint8_t>> ReaderAnswer(const TReaderRequest& request) {
    TReaderRun run = RunReader(request);
    if (run.Outcome != TReaderOutcome::Answered) return std::nullopt;
    return std::move(run.Answer);
}

std::optional<int> RunReaderIfAsked() {
    const std::optional<TReaderRequest> request = ParseReaderArguments(ProgramArguments());
    if (!request) return std::nullopt;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnFault);
    const std::vector<uint8_t> answer = AnswerReaderRequest(*request);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (answer.empty() || !out || out == INVALID_HANDLE_VALUE || !WriteAll(out, answer)) return 1;
    return 0;
}
