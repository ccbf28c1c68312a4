#pragma once
// The application object: title, help file, the message loop and the default display
// of exceptions that escape an event handler.
#include <exception>
#include <functional>
#include <string>

#include "ui/Win.h"

class TForm;

using TApplicationEvent = std::function<void()>;

class TApplication {
public:
    static TApplication& Instance();

    void Initialize(HINSTANCE instance = nullptr);
    HINSTANCE InstanceHandle() const { return FInstance; }
    void SetTitle(const std::string& t) { FTitle = t; }
    const std::string& Title() const { return FTitle; }
    void SetHelpFile(const std::string& f) { FHelpFile = f; }
    const std::string& HelpFile() const { return FHelpFile; }
    void SetMainForm(TForm* f);  // not owned
    TForm* MainForm() const { return FMainForm; }

    // Whether start-up shows the main form (a component may ask it to stay hidden).
    bool ShowMainForm = true;
    // Runs the message loop until the main form closes.
    void Run();
    // Handles every waiting message, then returns.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Shows the exception's message in a box captioned with the title; the program goes on.
    void HandleException(const std::exception& e);
    // Opens the help file (HELP_CONTEXT and the like).
    bool HelpCommand(UINT command, ULONG_PTR data);

    // Minimizes the main form; brings it back from being minimized (nothing when it is not).
    void Minimize();
    void Restore();
    // Raised when the main form is minimized, however that happened, and when it comes back.
    TApplicationEvent OnMinimize;
    TApplicationEvent OnRestore;
    // The main form reports each change of its size state (WM_SIZE's kind).
    void MainFormSized(WPARAM kind);

    // The font every control starts with: "MS UI Gothic", 9 points, Shift-JIS character set.
    static HFONT DefaultFont();

private:
    HINSTANCE FInstance = nullptr;
    std::string FTitle;
    std::string FHelpFile;
    TForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FMinimized = false;  // the main form's last reported state
};
