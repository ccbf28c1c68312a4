#pragma once
// The system's readers that our own code cannot replace (metafile playback, the shell's
// link object, the cursor loaders) run on a user's file only in a helper process: the
// program itself started with kReaderArgument. The helper makes no window, ends without
// the system's crash dialog on any fault, and writes one bounded answer (ReaderAnswer.h)
// on its output. The asking side waits with a deadline and the hourglass, ends the helper
// when the deadline passes, and reads at most kAnswerMaxBytes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/ReaderAnswer.h"

// Long enough for the helper's start and a sound file under a loaded machine, short enough
// that no file keeps the window unanswered for much more than a second.
constexpr unsigned kReaderDeadlineMs = 1200;

// The answer's bytes, still to be parsed; nothing when the helper could not be started, did
// not end in time (it is ended then), ended with a fault or another exit code than 0, or
// wrote more than an answer may hold.
std::optional<std::vector<uint8_t>> RunReader(const TReaderRequest& request, unsigned deadlineMs = kReaderDeadlineMs);

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
