#pragma once
// TForm: a top-level window of the program, shown modeless or modally.
#include <functional>
#include <vector>

#include "ui/Control.h"

// While it lives, the visible and enabled top-level windows of this thread, except one and
// the help window, are disabled: the rest of the program waits for a modal window.
class TThreadWindowsDisabled {
public:
    explicit TThreadWindowsDisabled(HWND except);
    ~TThreadWindowsDisabled();
    TThreadWindowsDisabled(const TThreadWindowsDisabled&) = delete;
    TThreadWindowsDisabled& operator=(const TThreadWindowsDisabled&) = delete;

private:
    HWND FExcept;
    std::vector<HWND> FDisabled;
};

enum TModalResult { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };
enum class TFormBorder { bsSizeable, bsSingle, bsDialog };

// When a dialog that lives for the whole run builds its controls: at once, or on its first
// use, so that start-up does not pay for what nobody sees yet.
enum class TDialogContents { Now, OnFirstUse };
using TCloseEvent = std::function<void(TControl* sender)>;

class TForm : public TControl {
public:
    TForm(const std::string& name, const std::string& caption, int clientWidth, int clientHeight,
          TFormBorder border = TFormBorder::bsSingle, TForm* owner = nullptr);
    ~TForm() override;

    void SetClientSize(int width, int height);
    // Shows or removes the system menu and close box of the caption.
    void SetCloseBox(bool shown);
    void CenterOnScreen();
    // Shows the form modeless.
    void ShowForm();
    // Shows the form modally: other windows of the program are disabled until ModalResult is set.
    int ShowModal();
    void SetModalResult(int r) { FModalResult = r; }
    int ModalResult() const { return FModalResult; }
    bool IsModal() const { return FModal; }
    // Asks the form to close: a modal form ends with mrCancel; otherwise OnClose runs and the
    // form hides (the main form ends the program).
    void Close();

    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TNotifyEvent OnShow;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int FModalResult = mrNone;
    bool FModal = false;
    bool FClosing = false;
};
