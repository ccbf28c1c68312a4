#pragma once
// The system's readers that our own code cannot replace (metafile playback, the shell's
// link object, the cursor loaders) run on a user's file only in a helper process: the
// program itself started with kReaderArgument. The helper makes no window, ends without
// the system's crash dialog on any fault, and writes one bounded answer (ReaderAnswer.h)
// on its output. The asking side (any thread: it makes no window call) waits with a deadline, ends the helper
// when the deadline passes, and reads at most kAnswerMaxBytes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/ReaderAnswer.h"

// Long enough for the helper's start and a sound file under a loaded machine, short enough
// that no file keeps the window unanswered for much more than a second.
constexpr unsigned kReaderDeadlineMs = 1200;

enum class TReaderOutcome {
    Answered,    // ended with exit code 0; Answer holds what it wrote, still to be parsed
    NotStarted,  // the helper could not be started (or the path cannot be passed to it)
    TimedOut,    // the deadline passed: the helper was ended
    TooLong,     // it wrote more than an answer may hold: the helper was ended
    Failed,      // it ended with another exit code: no answer, or a fault (kReaderFaultExit)
};

constexpr unsigned kReaderFaultExit = 3;  // the helper's exit code after a fault

struct TReaderRun {
    TReaderOutcome Outcome = TReaderOutcome::NotStarted;
    unsigned long ExitCode = 0;
    std::vector<uint8_t> Answer;
};

TReaderRun RunReader(const TReaderRequest& request, unsigned deadlineMs = kReaderDeadlineMs);
// The answer's bytes when the helper answered, else nothing.
std::optional<std::vector<uint8_t>> ReaderAnswer(const TReaderRequest& request);

// The helper's program: this program's own file unless a caller names another (UTF-8 path);
// empty sets it back.
void SetReaderProgram(const std::string& path);

// The arguments of this process (what follows the program's name on its command line).
std::string ProgramArguments();

// When this process was started as the helper: does the job asked for, writes the answer on
// the output, and gives the process's exit code (0 answered, 1 no answer). Nothing otherwise.
// Called first thing by every program that may be started as the helper.
std::optional<int> RunReaderIfAsked();

// The jobs as the helper does them, in this process (ReaderChild_win.cpp): the answer's bytes,
// empty when there is none.
std::vector<uint8_t> AnswerReaderRequest(const TReaderRequest& request);
