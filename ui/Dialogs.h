#pragma once
// Message boxes and beeps go through one seam so that tests can answer and record them.
#include <functional>
#include <string>

#include "ui/Win.h"

struct TMessageBoxCall {
    std::string Text;
    std::string Caption;
    UINT Flags = 0;
};

// Shows a message box (or hands it to the hook) and returns the button pressed (IDOK, IDYES, …).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
// Sounds MessageBeep(type), or records it with the hook.
void PlayBeep(UINT type);

// A hook that replaces real boxes; return the button to press. Beeps are reported as
// calls with empty text and caption "<beep>" and Flags = the beep type.
using TMessageBoxHook = std::function<int(const TMessageBoxCall&)>;
void SetMessageBoxHook(TMessageBoxHook hook);

// The colour dialog: shows the system colour picker preset with colour; returns true and
// stores the choice on OK. A hook can answer instead (tests).
bool ChooseColour(HWND owner, TColor& colour);
using TColorDialogHook = std::function<bool(TColor& colour)>;
void SetColorDialogHook(TColorDialogHook hook);

// A colour dialog component that keeps its colour between uses.
class TColorDialog {
public:
    TColor Color = clBlack;
    bool Execute(HWND owner) { return ChooseColour(owner, Color); }
};

// The input box: asks for one line of text, preset with value; true on OK with value
// set to the answer. A hook can answer instead (tests).
bool InputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value);
using TInputQueryHook = std::function<bool(const std::string& caption, const std::string& prompt, std::string& value)>;
void SetInputQueryHook(TInputQueryHook hook);

// Numbered screen cursors that windows of the program can show (slot 0 = the arrow).
// The slots do not own their cursors: whoever installs one takes it out before destroying it.
void SetScreenCursor(int slot, HCURSOR cursor);
HCURSOR ScreenCursor(int slot);
