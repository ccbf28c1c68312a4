#pragma once
// The stages of a long operation's progress reports, shared by the codecs.
enum class TProgressStage { psStarting, psRunning, psEnding };
