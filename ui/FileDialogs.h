#pragma once
// The open and save dialogs of the system, as components that keep their settings between
// uses. Filters are written as "text|pattern|text|pattern"; FilterIndex counts from 1.
// A hook can answer instead of the system dialog (tests).
#include <functional>
#include <string>
#include <vector>

#include "ui/Win.h"

enum class TFileDialogKind { Open, Save };

class TFileDialog {
public:
    explicit TFileDialog(TFileDialogKind kind) : Kind(kind) {}

    TFileDialogKind Kind;
    std::string Title;
    std::string Filter;
    int FilterIndex = 1;
    std::string InitialDir;
    std::string FileName;  // offered before, chosen after (the first file of a multiple choice)
    std::string DefaultExt;
    bool MultiSelect = false;
    bool FileMustExist = false;    // the chosen files and folders must exist
    bool OverwritePrompt = false;
    bool HideReadOnly = false;
    std::vector<std::string> Files;  // full paths chosen, in the dialog's order

    // Shows the dialog; true on OK with FileName, Files and FilterIndex set.
    bool Execute(HWND owner);
};

// Whether a single-choice dialog keeps its name box to what fits beside the folder shown:
// true under Wine, whose dialog overruns a MAX_PATH buffer with a longer path.
bool FileDialogGuardsNameLength();

// Answers a dialog instead of the system: may set FileName, Files and FilterIndex; the
// result is the dialog's result. nullptr restores the system dialogs.
using TFileDialogHook = std::function<bool(TFileDialog& dialog)>;
void SetFileDialogHook(TFileDialogHook hook);

// The pieces "text|pattern|…" as the system dialog takes them: each piece ended by a zero,
// the whole by a second one.
std::wstring SystemFilterText(const std::string& filter);
// The files of a multiple choice buffer: a full path alone, or the folder followed by names.
std::vector<std::string> SplitMultiSelection(const wchar_t* buffer);
