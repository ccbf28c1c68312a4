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

    // The keyboard, as in a dialog: Tab and Shift+Tab go through the tab stops, also those
    // on pages, panels and groups; Enter presses the focused push button or else the default
    // button, Escape the cancel button (a modal form without one ends with mrCancel).
    // A button names itself with TButton::SetDefault and SetCancel.
    void SetDefaultButton(TControl* button);
    void SetCancelButton(TControl* button);
    // The control that has the focus when the form is shown (else its first tab stop).
    void SetActiveControl(TControl* control);
    // Gives the focus to a control as Tab does: an edit's whole text is selected.
    void FocusControl(HWND control);
    // The first tab stop of the form, or of the part of it below within (nullptr when none).
    HWND FirstTabStop(HWND within = nullptr) const;
    // Whether the hints of its controls show as tooltips (they do unless turned off).
    void SetShowHints(bool shown);
    // The tooltip window of the form's hints, once a control of it has one.
    HWND HintWindow() const { return FHintWindow; }
    // Called by a control of the form whose hint changed.
    void HintChanged(TControl& control);

    // What a message loop does first with a message: keys for a form of the program go to
    // its dialog manager (Ctrl+Tab turns the page of the page control around the focus).
    // True when the message was handled so.
    static bool RouteMessage(MSG& msg);

    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TNotifyEvent OnShow;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool PressButton(HWND button);
    void PressDefault(bool cancel);
    void FocusOnShow();
    bool TurnPage(bool back);
    int FModalResult = mrNone;
    bool FModal = false;
    bool FClosing = false;
    bool FShowHints = true;
    HWND FDefaultButton = nullptr;
    HWND FCancelButton = nullptr;
    HWND FActiveControl = nullptr;
    HWND FLastFocus = nullptr;  // the focus when the form was last deactivated
    HWND FHintWindow = nullptr;
};
