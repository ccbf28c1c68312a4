// The helper process: started held in, given jobs one at a time over a pipe, each answer
// waited for with a deadline and read within its bound; ended when it fails.
#include "formats/ReaderProcess.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "base/ScopeGuard.h"
#include "base/SystemLibrary_win.h"
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

bool WriteAll(HANDLE out, const uint8_t* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1 << 16));
        if (!WriteFile(out, bytes + done, chunk, &n, nullptr) || n == 0) return false;
        done += n;
    }
    return true;
}

bool WriteAll(HANDLE out, const std::vector<uint8_t>& bytes) { return WriteAll(out, bytes.data(), bytes.size()); }

enum class TReadEnd { Whole, Empty, Broken };

// Reads exactly size bytes: Empty when the input ended before the first.
TReadEnd ReadAll(HANDLE in, uint8_t* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        DWORD n = 0;
        if (!ReadFile(in, out + done, static_cast<DWORD>(std::min<std::size_t>(size - done, 1 << 16)), &n, nullptr) ||
            n == 0)
            return done == 0 ? TReadEnd::Empty : TReadEnd::Broken;
        done += n;
    }
    return TReadEnd::Whole;
}

// The functions that hand a new process a list of handles (kernel32 since Vista), looked up
// on first use.
struct TAttributeLists {
    static constexpr const wchar_t* kLibrary = L"kernel32.dll";
    TSystemFunction<decltype(::InitializeProcThreadAttributeList)> Initialize{kLibrary,
                                                                              "InitializeProcThreadAttributeList"};
    TSystemFunction<decltype(::UpdateProcThreadAttribute)> Update{kLibrary, "UpdateProcThreadAttribute"};
    TSystemFunction<decltype(::DeleteProcThreadAttributeList)> Delete{kLibrary, "DeleteProcThreadAttributeList"};
};

// A thread attribute list that lets a new process inherit only the handles named.
class THandleList {
public:
    THandleList(HANDLE a, HANDLE b) : FHandles{a, b} {
        const TAttributeLists& f = Loaded<TAttributeLists>();
        if (!f.Initialize || !f.Update || !f.Delete) return;
        SIZE_T size = 0;
        f.Initialize.Get()(nullptr, 1, 0, &size);
        if (size == 0) return;
        FBytes.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(FBytes.data());
        if (!f.Initialize.Get()(list, 1, 0, &size)) return;
        if (!f.Update.Get()(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, FHandles, sizeof FHandles, nullptr, nullptr)) {
            f.Delete.Get()(list);
            return;
        }
        FList = list;
    }
    ~THandleList() {
        if (FList) Loaded<TAttributeLists>().Delete.Get()(FList);
    }
    THandleList(const THandleList&) = delete;
    THandleList& operator=(const THandleList&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return FList; }

private:
    HANDLE FHandles[2];
    std::vector<uint8_t> FBytes;
    LPPROC_THREAD_ATTRIBUTE_LIST FList = nullptr;
};

// A job object that ends its processes when its last handle (ours, never inherited) closes
// and keeps a faulting one from waiting on an error report; nullptr when refused.
HANDLE KillingJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

struct TSid {
    PSID Sid = nullptr;
    TSid(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD a, DWORD b = 0) {
        if (!AllocateAndInitializeSid(&authority, count, a, b, 0, 0, 0, 0, 0, 0, &Sid)) Sid = nullptr;
    }
    ~TSid() {
        if (Sid) FreeSid(Sid);
    }
    TSid(const TSid&) = delete;
    TSid& operator=(const TSid&) = delete;
};

bool SameLuid(const LUID& a, const LUID& b) { return a.LowPart == b.LowPart && a.HighPart == b.HighPart; }

// Some information of a token, into a buffer it fits.
std::vector<uint8_t> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what) {
    DWORD size = 0;
    GetTokenInformation(token, what, nullptr, 0, &size);
    if (size == 0 || size > (1u << 20)) return {};
    std::vector<uint8_t> bytes(size);
    if (!GetTokenInformation(token, what, bytes.data(), size, &size)) return {};
    return bytes;
}

// The privileges a token holds, of its TokenPrivileges information.
std::vector<LUID> PrivilegesOf(const std::vector<uint8_t>& information) {
    if (information.size() < sizeof(TOKEN_PRIVILEGES)) return {};
    const auto* p = reinterpret_cast<const TOKEN_PRIVILEGES*>(information.data());
    const std::size_t room =
        (information.size() - offsetof(TOKEN_PRIVILEGES, Privileges)) / sizeof(LUID_AND_ATTRIBUTES);
    std::vector<LUID> luids;
    for (std::size_t i = 0; i < std::min<std::size_t>(p->PrivilegeCount, room); ++i) luids.push_back(p->Privileges[i].Luid);
    return luids;
}

// The one privilege the helper keeps: bypassing traverse checks, which every process has.
std::optional<LUID> TraversePrivilege() {
    LUID traverse{};
    if (!LookupPrivilegeValueW(nullptr, SE_CHANGE_NOTIFY_NAME, &traverse)) return std::nullopt;
    return traverse;
}

// Some information of a process's token.
std::vector<uint8_t> ProcessTokenInformation(HANDLE process, TOKEN_INFORMATION_CLASS what) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
    TScopeExit close([token] { CloseHandle(token); });
    return TokenInformation(token, what);
}

// This process's token less its privileges, with the administrators' group only to deny
// access, at low integrity: the helper can read what the user can read but write almost
// nowhere. nullptr when the system refuses it.
HANDLE LesserToken() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(),
                          TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT, &own))
        return nullptr;
    TScopeExit closeOwn([own] { CloseHandle(own); });
    TSid admins(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
    SID_AND_ATTRIBUTES deny{admins.Sid, 0};
    // Every privilege but bypassing traverse checks is named as well as asked away with
    // DISABLE_MAX_PRIVILEGE: some systems honour only the list.
    std::vector<LUID_AND_ATTRIBUTES> privileges;
    if (const std::optional<LUID> traverse = TraversePrivilege())
        for (const LUID& l : PrivilegesOf(TokenInformation(own, TokenPrivileges)))
            if (!SameLuid(l, *traverse)) privileges.push_back({l, 0});
    HANDLE lesser = nullptr;
    if (!CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE, admins.Sid ? 1 : 0, admins.Sid ? &deny : nullptr,
                               static_cast<DWORD>(privileges.size()), privileges.empty() ? nullptr : privileges.data(), 0,
                               nullptr, &lesser))
        return nullptr;
    TSid low(SECURITY_MANDATORY_LABEL_AUTHORITY, 1, SECURITY_MANDATORY_LOW_RID);
    if (low.Sid) {
        TOKEN_MANDATORY_LABEL label{};
        label.Label.Sid = low.Sid;
        label.Label.Attributes = SE_GROUP_INTEGRITY;
        // Refused where the system has no integrity levels, or taken and not applied (Wine): the
        // token is still without privileges, and FindRights reads what the helper got.
        SetTokenInformation(lesser, TokenIntegrityLevel, &label, sizeof label + GetLengthSid(low.Sid));
    }
    return lesser;
}

// What the helper's own token says of its rights.
void FindRights(HANDLE process, TReaderContainment& c) {
    const std::vector<uint8_t> level = ProcessTokenInformation(process, TokenIntegrityLevel);
    if (level.size() >= sizeof(TOKEN_MANDATORY_LABEL)) {
        const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(level.data())->Label.Sid;
        const UCHAR n = sid && IsValidSid(sid) ? *GetSidSubAuthorityCount(sid) : 0;
        c.LowIntegrity = n > 0 && *GetSidSubAuthority(sid, n - 1u) <= SECURITY_MANDATORY_LOW_RID;
    }
    const std::vector<uint8_t> information = ProcessTokenInformation(process, TokenPrivileges);
    const std::optional<LUID> traverse = TraversePrivilege();
    if (information.empty() || !traverse) return;
    const std::vector<LUID> held = PrivilegesOf(information);
    c.NoPrivileges = std::all_of(held.begin(), held.end(), [&](const LUID& l) { return SameLuid(l, *traverse); });
}

// The helper's pipe ends are inheritable only while a helper is created, and no two helpers
// are created at once, so neither a concurrent helper nor (through the handle list) any
// other process can take another helper's ends.
std::mutex& CreationLock() {
    static std::mutex lock;
    return lock;
}

std::atomic<unsigned> gHelpersStarted{0};
thread_local TReaderSession* tBatchSession = nullptr;
thread_local unsigned tNotStarted = 0;  // the jobs of this thread that found no helper

} // namespace

// ---- the helper, as the asking side holds it

struct TReaderSession::THelper {
    HANDLE Process = nullptr;
    HANDLE Job = nullptr;
    HANDLE Requests = nullptr;  // our end of its input
    HANDLE Answers = nullptr;   // our end of its output
    DWORD Id = 0;

    THelper() = default;
    THelper(const THelper&) = delete;
    THelper& operator=(const THelper&) = delete;
    ~THelper() {
        if (Requests) CloseHandle(Requests);  // its input ends: a helper between jobs ends itself
        if (Job) CloseHandle(Job);            // the job ends it at once
        if (Process) {
            if (WaitForSingleObject(Process, 0) != WAIT_OBJECT_0) TerminateProcess(Process, 4);
            WaitForSingleObject(Process, 1000);
            CloseHandle(Process);
        }
        if (Answers) CloseHandle(Answers);
    }

    bool Running() const { return WaitForSingleObject(Process, 0) == WAIT_TIMEOUT; }

    // Running, and nothing written that was not asked for.
    bool Idle() const {
        DWORD waiting = 0;
        return Running() && PeekNamedPipe(Answers, nullptr, 0, nullptr, &waiting, nullptr) && waiting == 0;
    }

    unsigned long ExitCode() const {
        DWORD code = 0;
        return WaitForSingleObject(Process, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(Process, &code) ? code : 0;
    }

    enum class TRead { Whole, Ended, TimedOut };

    static std::unique_ptr<THelper> Start(TReaderContainment& contained);

    // Reads exactly size bytes of its output before the deadline.
    TRead ReadBefore(uint8_t* out, std::size_t size, ULONGLONG deadline) const {
        std::size_t done = 0;
        bool ended = false;
        while (done < size) {
            DWORD waiting = 0;
            if (!PeekNamedPipe(Answers, nullptr, 0, nullptr, &waiting, nullptr)) return TRead::Ended;  // all read
            if (waiting > 0) {
                DWORD n = 0;
                const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, waiting));
                if (!ReadFile(Answers, out + done, want, &n, nullptr) || n == 0) return TRead::Ended;
                done += n;
                continue;
            }
            if (ended) return TRead::Ended;
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) return TRead::TimedOut;
            // Woken when the helper ends (its output is then looked at once more); otherwise soon.
            ended = WaitForSingleObject(Process, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 5))) ==
                    WAIT_OBJECT_0;
        }
        return TRead::Whole;
    }
};

// Starts the helper held in as far as the system allows, and waits for it to be ready.
// nullptr when it could not be started or never became ready.
std::unique_ptr<TReaderSession::THelper> TReaderSession::THelper::Start(TReaderContainment& contained) {
    contained = TReaderContainment();
    const std::wstring program = ReaderProgram().empty() ? OwnProgram() : ReaderProgram();
    if (program.empty()) return nullptr;
    std::wstring commandLine = L"\"" + program + L"\" " + Utf8ToWide(kReaderArgument);

    auto helper = std::make_unique<THelper>();
    HANDLE input = nullptr, output = nullptr;  // the helper's ends, closed here once it has them
    TScopeExit closeEnds([&input, &output] {
        for (HANDLE h : {input, output})
            if (h) CloseHandle(h);
    });
    if (!CreatePipe(&input, &helper->Requests, nullptr, static_cast<DWORD>(kFrameHeadBytes + kRequestMaxPath)) ||
        !CreatePipe(&helper->Answers, &output, nullptr, 1 << 16))
        return nullptr;
    helper->Job = KillingJob();
    HANDLE token = LesserToken();
    TScopeExit closeToken([token] {
        if (token) CloseHandle(token);
    });

    THandleList handles(input, output);
    STARTUPINFOEXW si{};
    si.StartupInfo.cb = handles.Get() ? sizeof si : sizeof si.StartupInfo;
    si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    si.StartupInfo.hStdInput = input;
    si.StartupInfo.hStdOutput = output;
    si.lpAttributeList = handles.Get();
    const DWORD flags =
        CREATE_NO_WINDOW | CREATE_SUSPENDED | (handles.Get() ? static_cast<DWORD>(EXTENDED_STARTUPINFO_PRESENT) : 0u);
    PROCESS_INFORMATION pi{};
    BOOL started = FALSE;
    {
        std::lock_guard<std::mutex> one(CreationLock());
        SetHandleInformation(input, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        SetHandleInformation(output, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        if (token)
            started = CreateProcessAsUserW(token, program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                                           nullptr, nullptr, &si.StartupInfo, &pi);
        // Where the lesser token is refused, the helper runs with the user's (and says so).
        if (!started)
            started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                     nullptr, &si.StartupInfo, &pi);
        SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
    }
    if (!started) return nullptr;
    helper->Process = pi.hProcess;
    helper->Id = pi.dwProcessId;
    if (helper->Job && !AssignProcessToJobObject(helper->Job, pi.hProcess)) {
        CloseHandle(helper->Job);  // this system holds no process in two jobs
        helper->Job = nullptr;
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    CloseHandle(input);
    CloseHandle(output);  // the pipe breaks when the helper ends
    input = output = nullptr;

    contained.OnlyItsPipes = handles.Get() != nullptr;
    contained.EndsWithProgram = helper->Job != nullptr;
    FindRights(pi.hProcess, contained);

    uint8_t ready[sizeof kReaderReady] = {};
    if (helper->ReadBefore(ready, sizeof ready, GetTickCount64() + kReaderStartMs) != TRead::Whole ||
        !std::equal(ready, ready + sizeof ready, kReaderReady))
        return nullptr;
    return helper;
}

TReaderSession::TReaderSession() = default;
TReaderSession::~TReaderSession() = default;

void TReaderSession::End() { FHelper.reset(); }

unsigned long TReaderSession::HelperId() const { return FHelper && FHelper->Running() ? FHelper->Id : 0; }

TReaderRun TReaderSession::Run(const TReaderRequest& request, unsigned deadlineMs) {
    TReaderRun run;
    const auto outcome = [this, &run](TReaderOutcome o, bool end) {
        run.Outcome = o;
        run.Answer.clear();
        if (o == TReaderOutcome::NotStarted) ++tNotStarted;
        if (end && FHelper) {
            run.ExitCode = FHelper->ExitCode();
            FHelper.reset();
        }
        return run;
    };
    const std::vector<uint8_t> asked = WriteReaderRequest(request);
    if (asked.empty()) return outcome(TReaderOutcome::Failed, false);  // no file can be named so
    if (FCannotStart) return outcome(TReaderOutcome::NotStarted, false);
    // A helper that ended between jobs or wrote what was not asked for is not asked again.
    if (FHelper && !FHelper->Idle()) FHelper.reset();
    if (!FHelper) {
        FHelper = THelper::Start(FContainment);
        if (!FHelper) {
            FCannotStart = true;
            return outcome(TReaderOutcome::NotStarted, false);
        }
        ++FStarted;
        ++gHelpersStarted;
    }
    const ULONGLONG deadline = GetTickCount64() + deadlineMs;
    if (!WriteAll(FHelper->Requests, asked)) return outcome(TReaderOutcome::Failed, true);

    std::vector<uint8_t>& answer = run.Answer;
    answer.resize(kFrameHeadBytes);
    const auto read = [&](std::size_t at) {
        const THelper::TRead r = FHelper->ReadBefore(answer.data() + at, answer.size() - at, deadline);
        return r == THelper::TRead::Whole ? std::optional<TReaderOutcome>()
               : r == THelper::TRead::TimedOut ? TReaderOutcome::TimedOut
                                               : TReaderOutcome::Failed;
    };
    if (const std::optional<TReaderOutcome> failed = read(0)) return outcome(*failed, true);
    const std::optional<std::size_t> length = AnswerPayloadLength(request.Job, answer.data());
    if (!length) return outcome(TReaderOutcome::Failed, true);
    if (*length > kAnswerMaxBytes - kFrameHeadBytes) return outcome(TReaderOutcome::TooLong, true);
    if (*length == 0) return outcome(TReaderOutcome::Failed, false);  // it had no answer, and waits for the next job
    answer.resize(kFrameHeadBytes + *length);
    if (const std::optional<TReaderOutcome> failed = read(kFrameHeadBytes)) return outcome(*failed, true);
    run.Outcome = TReaderOutcome::Answered;
    return run;
}

// ---- batches, and the jobs of those who ask

TReaderBatch::TReaderBatch() {
    if (tBatchSession) return;
    FSession = std::make_unique<TReaderSession>();
    tBatchSession = FSession.get();
}

TReaderBatch::TReaderBatch(TLent) : FSession(std::make_unique<TReaderSession>()) {}

TReaderBatch::~TReaderBatch() {
    if (FSession && tBatchSession == FSession.get()) tBatchSession = nullptr;
}

TReaderBatch::TLend::TLend(TReaderBatch& batch) {
    if (tBatchSession || !batch.FSession) return;
    tBatchSession = batch.FSession.get();
    FSet = true;
}

TReaderBatch::TLend::~TLend() {
    if (FSet) tBatchSession = nullptr;
}

TReaderSession* TReaderBatch::Current() { return tBatchSession; }

TReaderRun RunReader(const TReaderRequest& request, unsigned deadlineMs) {
    if (TReaderSession* batch = TReaderBatch::Current()) return batch->Run(request, deadlineMs);
    TReaderSession alone;
    return alone.Run(request, deadlineMs);
}

std::optional<std::vector<uint8_t>> ReaderAnswer(const TReaderRequest& request) {
    TReaderRun run = RunReader(request);
    if (run.Outcome != TReaderOutcome::Answered) return std::nullopt;
    return std::move(run.Answer);
}

unsigned ReaderHelpersStarted() { return gHelpersStarted; }

TReaderStartWatch::TReaderStartWatch() : FMark(tNotStarted) {}

bool TReaderStartWatch::HelperNotStarted() const { return tNotStarted != FMark; }

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

// ---- the helper's side

std::optional<int> RunReaderIfAsked() {
    if (!IsReaderArguments(ProgramArguments())) return std::nullopt;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnFault);
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!in || in == INVALID_HANDLE_VALUE || !out || out == INVALID_HANDLE_VALUE) return 1;
    if (!WriteAll(out, kReaderReady, sizeof kReaderReady)) return 1;
    for (;;) {
        std::vector<uint8_t> request(kFrameHeadBytes);
        const TReadEnd head = ReadAll(in, request.data(), request.size());
        if (head == TReadEnd::Empty) return 0;  // the asking side is done
        const std::optional<std::size_t> length =
            head == TReadEnd::Whole ? RequestPathLength(request.data()) : std::nullopt;
        if (!length) return 1;
        request.resize(kFrameHeadBytes + *length);
        if (ReadAll(in, request.data() + kFrameHeadBytes, *length) != TReadEnd::Whole) return 1;
        const std::optional<TReaderRequest> asked = ParseReaderRequest(request.data(), request.size());
        if (!asked) return 1;
        std::vector<uint8_t> answer = AnswerReaderRequest(*asked);
        if (answer.empty()) answer = WriteNoAnswer(asked->Job);
        if (!WriteAll(out, answer)) return 1;
    }
}
