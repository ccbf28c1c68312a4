#pragma once
// The system's readers that our own code cannot replace (metafile playback, the shell's
// link object, the cursor loaders) run on a user's file only in a helper process: the
// program itself started with kReaderArgument. The helper makes no window, ends without
// the system's crash dialog on any fault, and answers the jobs it reads on its input one at
// a time, each with one bounded answer (ReaderAnswer.h) on its output.
//
// A TReaderSession keeps one helper and gives it job after job until it fails: a helper
// that faults, runs out of time, writes more than an answer may hold or anything but the
// answer asked for is ended, and the next job starts a new one. A TReaderBatch makes every
// RunReader of its thread (a drop, the cursors of a scheme) go through one session; without
// one, each RunReader has a helper of its own. The helper is held in as far as the system
// allows: it inherits its two pipe ends and no other handle, a job object ends it when this
// process ends, and it runs with a restricted token at low integrity (TReaderContainment
// says what this system granted). Nothing here makes a window call, so a worker thread may run
// the jobs; a batch made on one thread may lend its session to another (TReaderBatch::TLend),
// as a drop whose files are read on a worker does.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/ReaderAnswer.h"

// One job, counted from when the helper is ready for it: long enough for a sound file under a
// loaded machine, short enough that no file keeps a batch waiting for much more than a second.
constexpr unsigned kReaderDeadlineMs = 1200;
// From the helper's start to its word that it is ready (a start takes 0.3-0.8 s under Wine).
constexpr unsigned kReaderStartMs = 10000;

enum class TReaderOutcome {
    Answered,    // Answer holds what it wrote for the job, still to be parsed
    NotStarted,  // the helper program could not be started, or never became ready
    TimedOut,    // the deadline passed: the helper was ended
    TooLong,     // its answer was to be longer than an answer may hold: the helper was ended
    Failed,      // no answer: it had none, ended (a fault: kReaderFaultExit) or wrote what was not asked
};

constexpr unsigned kReaderFaultExit = 3;  // the helper's exit code after a fault

struct TReaderRun {
    TReaderOutcome Outcome = TReaderOutcome::NotStarted;
    unsigned long ExitCode = 0;  // the helper's exit code when it ended during the job
    std::vector<uint8_t> Answer;
};

// What holds a helper in, each as found on the helper itself after its start; false where the
// system refused it (the helper then runs without it).
struct TReaderContainment {
    bool OnlyItsPipes = false;     // it inherited its two pipe ends and no other handle
    bool EndsWithProgram = false;  // in a job object that ends it when this process ends
    bool NoPrivileges = false;     // its token holds no privilege but bypassing traverse checks
    bool LowIntegrity = false;     // it runs at low integrity level
};

class TReaderSession {
public:
    TReaderSession();
    ~TReaderSession();  // ends the helper
    TReaderSession(const TReaderSession&) = delete;
    TReaderSession& operator=(const TReaderSession&) = delete;

    // The job, through the running helper or a new one. Once a helper could not be started
    // the session starts none again: every later job is NotStarted at once.
    TReaderRun Run(const TReaderRequest& request, unsigned deadlineMs = kReaderDeadlineMs);
    // Ends the running helper, if any.
    void End();

    unsigned HelpersStarted() const { return FStarted; }
    unsigned long HelperId() const;  // the running helper's process id, 0 when none runs
    TReaderContainment Containment() const { return FContainment; }  // of the last helper started

private:
    struct THelper;
    std::unique_ptr<THelper> FHelper;
    unsigned FStarted = 0;
    bool FCannotStart = false;
    TReaderContainment FContainment;
};

// While it lives, RunReader on this thread gives its jobs to one session; a batch inside
// another uses the outer one's.
class TReaderBatch {
public:
    TReaderBatch();
    // A batch that serves no thread until one borrows it with TLend.
    struct TLent {};
    explicit TReaderBatch(TLent);
    ~TReaderBatch();
    TReaderBatch(const TReaderBatch&) = delete;
    TReaderBatch& operator=(const TReaderBatch&) = delete;
    // The session of the batch open on this thread, or nullptr.
    static TReaderSession* Current();

    // For its life, the jobs of the calling thread go through the batch's session (unless a
    // batch of the thread's own is open). One thread at a time may borrow a batch.
    class TLend {
    public:
        explicit TLend(TReaderBatch& batch);
        ~TLend();
        TLend(const TLend&) = delete;
        TLend& operator=(const TLend&) = delete;

    private:
        bool FSet = false;
    };

private:
    std::unique_ptr<TReaderSession> FSession;  // the outermost batch's
};

// The job, through the batch's session or a helper of its own.
TReaderRun RunReader(const TReaderRequest& request, unsigned deadlineMs = kReaderDeadlineMs);
// The answer's bytes when the helper answered, else nothing.
std::optional<std::vector<uint8_t>> ReaderAnswer(const TReaderRequest& request);

// How many helpers this process has started so far (for tests of the batches).
unsigned ReaderHelpersStarted();

// Whether a job of this thread, since the watch was made, found that the helper could not be
// started: the caller then says so rather than that the file could not be read.
class TReaderStartWatch {
public:
    TReaderStartWatch();
    bool HelperNotStarted() const;

private:
    unsigned FMark;
};

// The helper's program: this program's own file unless a caller names another (UTF-8 path);
// empty sets it back.
void SetReaderProgram(const std::string& path);

// The arguments of this process (what follows the program's name on its command line).
std::string ProgramArguments();

// When this process was started as the helper: answers the jobs it reads until its input
// ends, and gives the process's exit code (0 when its input ended, 1 on a broken request or
// output). Nothing otherwise. Called first thing by every program that may be started as
// the helper.
std::optional<int> RunReaderIfAsked();

// The jobs as the helper does them, in this process (ReaderChild_win.cpp): the answer's bytes,
// empty when there is none.
std::vector<uint8_t> AnswerReaderRequest(const TReaderRequest& request);
