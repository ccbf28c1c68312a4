#pragma once
// TControl: the one base class of every window of the program. It owns its HWND,
// carries its component name as the window property "ComponentName", binds itself to
// the window at creation and turns messages into typed events. Parents hand WM_COMMAND,
// WM_DRAWITEM, WM_MEASUREITEM, WM_NOTIFY and scroll messages back to the child they came from.
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/Win.h"

class TControl;
using TNotifyEvent = std::function<void(TControl* sender)>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
struct TShiftState {
    bool Shift = false, Ctrl = false, Alt = false, Left = false, Right = false, Middle = false, Double = false;
};
struct TMouseEvent {
    TMouseButton Button = TMouseButton::mbLeft;
    TShiftState Shift;
    int X = 0, Y = 0;
};
using TMouseEventHandler = std::function<void(TControl* sender, const TMouseEvent& e)>;
// Key handlers may set key to 0 to swallow it.
using TKeyEvent = std::function<void(TControl* sender, WORD& key, const TShiftState& shift)>;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

class TControl {
public:
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    HWND Handle() const { return FHandle; }
    const std::string& Name() const { return FName; }
    TControl* Parent() const { return FParent; }

    void SetBounds(int left, int top, int width, int height);
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    int ClientWidth() const;
    int ClientHeight() const;
    RECT BoundsRect() const;

    virtual void SetCaption(const std::string& text);
    std::string Caption() const;
    virtual void SetEnabled(bool enabled);
    virtual bool Enabled() const;
    void SetVisible(bool visible);
    // Whether Tab stops at the control.
    void SetTabStop(bool stop);
    bool Visible() const;
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    void SetColor(TColor c);
    TColor Color() const { return FColor; }
    void SetFontColor(TColor c);
    TColor FontColor() const { return FFontColor; }
    // The hint: its form shows it as a tooltip when the pointer rests on the control (a form
    // that shows its hints elsewhere turns that off, see TForm::SetShowHints).
    void SetHint(const std::string& hint);
    const std::string& Hint() const { return FHint; }
    // Keys this control keeps for itself: the dialog manager of its form does not take them
    // for moving the focus or pressing the default and cancel buttons.
    void KeepKeys(std::initializer_list<WORD> keys) { FKeptKeys.assign(keys); }
    bool KeepsKey(WORD key) const;
    void SetFont(HFONT font);  // not owned
    HFONT Font() const { return FFont; }
    void SetTag(int tag) { FTag = tag; }
    int Tag() const { return FTag; }

    void Invalidate();
    void Repaint();
    void SetFocus();
    bool Focused() const;
    POINT ScreenToClient(POINT p) const;

    // Sends a message to this control's window.
    LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEventHandler OnMouseDown;
    TMouseEventHandler OnMouseUp;
    TMouseEventHandler OnMouseMove;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // The object bound to a window of the program, or nullptr.
    static TControl* FromHandle(HWND hwnd);

protected:
    TControl(TControl* parent, const std::string& name);
    // Creates a window of one of the program's own classes.
    void CreateOwnWindow(DWORD style, DWORD exStyle = 0, const wchar_t* className = L"TamsoloControl",
                         HWND parentOverride = nullptr);
    // Creates a standard control (BUTTON, EDIT, …) and subclasses it.
    void CreateStdWindow(const wchar_t* className, DWORD style, DWORD exStyle = 0);

    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
    // Called on the parent before a child's window is made: a control that makes its own
    // window late (a tab sheet) makes it here.
    virtual void HandleNeeded() {}

    // Reflected from the parent.
    virtual bool HandleCommand(WORD code) { return false; }
    virtual bool HandleDrawItem(const DRAWITEMSTRUCT& di) { return false; }
    virtual bool HandleMeasureItem(MEASUREITEMSTRUCT& mi) { return false; }
    virtual bool HandleNotify(NMHDR& nm, LRESULT& result) { return false; }
    virtual bool HandleScroll(WORD code) { return false; }

    virtual void Click();
    void DoMouse(UINT msg, WPARAM wp, LPARAM lp);
    HBRUSH ColorBrush();

    TControl* FParent;  // not owned
    std::string FName;
    HWND FHandle = nullptr;
    TColor FColor = clBtnFace;
    TColor FFontColor = clWindowText;
    HFONT FFont = nullptr;  // not owned
    std::string FHint;
    std::vector<WORD> FKeptKeys;
    int FTag = 0;
    bool FSubclassed = false;
    bool FMouseCaptured = false;

private:
    void Bind(HWND hwnd);
    static LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, bool& handled);

    TGdiObject FBrush;
    TColor FBrushColor = clNone;
};

TShiftState ShiftStateNow(WPARAM mouseKeys = 0);
// The point, keys and button of a mouse message.
TMouseEvent MouseEventOf(UINT msg, WPARAM wp, LPARAM lp);
// The window of a control found by component name below root (tests, automation).
HWND FindComponent(HWND root, const std::string& name);
std::string ComponentNameOf(HWND hwnd);
