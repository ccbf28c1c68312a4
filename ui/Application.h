#pragma once
// The application object: title, help file, the message loop and the default display
// of exceptions that escape an event handler.
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "ui/Win.h"

class TForm;
class THelpForm;

using TApplicationEvent = std::function<void()>;

class TApplication {
public:
    static TApplication& Instance();

    void Initialize(HINSTANCE instance = nullptr);
    HINSTANCE InstanceHandle() const { return FInstance; }
    void SetTitle(const std::string& t) { FTitle = t; }
    const std::string& Title() const { return FTitle; }
    // The help document's name: a UTF-8 text resource of type "HELPTEXT" of the program's
    // module, read by THelpDocument and shown in the help window.
    void SetHelpFile(const std::string& f);
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
    // Opens the help window, made on first use, at the topic of a context (HELP_CONTEXT,
    // HELP_CONTEXTPOPUP) or at its first topic (other commands); HELP_QUIT closes it for good.
    // A help document that cannot be read is reported in a message box. False when no help
    // was shown.
    bool HelpCommand(UINT command, ULONG_PTR data);
    // The help window once made, else nullptr. It is owned by the application, stays above
    // the main form and goes with it.
    THelpForm* HelpWindow() const { return FHelpForm.get(); }

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

    ~TApplication();

private:
    TApplication();
    HINSTANCE FInstance = nullptr;
    std::string FTitle;
    std::string FHelpFile;
    TForm* FMainForm = nullptr;
    std::unique_ptr<THelpForm> FHelpForm;
    bool FTerminated = false;
    bool FMinimized = false;  // the main form's last reported state
};
