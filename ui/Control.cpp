#include "ui/Control.h"

#include "ui/Application.h"
#include "ui/Form.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace {

const wchar_t* const kNameProp = L"ComponentName";

// The objects bound to the program's windows, and the class procedure each subclassed
// standard control had. Kept in the process rather than in window properties or
// comctl32's subclass list: under Wine every property look-up is a round trip to the
// server, and every message to a control needs one.
struct TBinding {
    TControl* Control = nullptr;  // nullptr once the object let go of the window
    WNDPROC ClassProc = nullptr;  // set for subclassed standard controls
};
std::mutex gBindingsLock;
std::unordered_map<HWND, TBinding>& Bindings() {
    static auto* bindings = new std::unordered_map<HWND, TBinding>;  // outlives every window of the run
    return *bindings;
}
TBinding BindingOf(HWND hwnd) {
    std::lock_guard<std::mutex> lock(gBindingsLock);
    auto it = Bindings().find(hwnd);
    return it == Bindings().end() ? TBinding{} : it->second;
}
void SetBinding(HWND hwnd, TControl* control) {
    std::lock_guard<std::mutex> lock(gBindingsLock);
    Bindings()[hwnd].Control = control;
}
void SetClassProc(HWND hwnd, WNDPROC proc) {
    std::lock_guard<std::mutex> lock(gBindingsLock);
    Bindings()[hwnd].ClassProc = proc;
}
// Unbinds the object; a subclassed window keeps its class procedure until it is gone.
void ReleaseBinding(HWND hwnd) {
    std::lock_guard<std::mutex> lock(gBindingsLock);
    auto it = Bindings().find(hwnd);
    if (it == Bindings().end()) return;
    if (it->second.ClassProc)
        it->second.Control = nullptr;
    else
        Bindings().erase(it);
}
void ForgetWindow(HWND hwnd) {
    std::lock_guard<std::mutex> lock(gBindingsLock);
    Bindings().erase(hwnd);
}

UINT NextControlId() {
    static UINT id = 1000;
    return ++id;
}

void RegisterOwnClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name;
    // Only the forms' caption and task button show a class icon.
    if (lstrcmpW(name, L"TamsoloForm") == 0) wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    RegisterClassExW(&wc);
}

// Takes the name property off a window and gives back the reference to the global atom that
// Bind added (atoms are shared by the whole session: each add needs its delete).
void ReleaseName(HWND hwnd) {
    ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(hwnd, kNameProp)));
    if (atom) GlobalDeleteAtom(atom);
}

} // namespace

TShiftState ShiftStateNow(WPARAM mk) {
    TShiftState s;
    s.Shift = GetKeyState(VK_SHIFT) < 0;
    s.Ctrl = GetKeyState(VK_CONTROL) < 0;
    s.Alt = GetKeyState(VK_MENU) < 0;
    s.Left = (mk & MK_LBUTTON) != 0;
    s.Right = (mk & MK_RBUTTON) != 0;
    s.Middle = (mk & MK_MBUTTON) != 0;
    return s;
}

TControl::TControl(TControl* parent, const std::string& name) : FParent(parent), FName(name) {
    if (parent) FFont = parent->FFont;
    if (!FFont) FFont = TApplication::DefaultFont();
}

TControl::~TControl() {
    if (FHandle) {
        HWND h = FHandle;
        ReleaseBinding(h);
        ReleaseName(h);
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        FHandle = nullptr;
        DestroyWindow(h);
    }
}

TControl* TControl::FromHandle(HWND hwnd) {
    return hwnd ? BindingOf(hwnd).Control : nullptr;
}

std::string ComponentNameOf(HWND hwnd) {
    ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, kNameProp)));
    if (!atom) return {};
    wchar_t buf[256];
    UINT n = GlobalGetAtomNameW(atom, buf, 256);
    return U(std::wstring(buf, n));
}

HWND FindComponent(HWND root, const std::string& name) {
    // Names are global atoms, which ignore case: an atom added first as "OKBtn" also stands
    // for "OkBtn". So the atoms are compared, not the texts they give back.
    ATOM atom = GlobalFindAtomW(W(name).c_str());
    if (!atom) return nullptr;
    auto atomOf = [](HWND h) { return static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(h, kNameProp))); };
    if (atomOf(root) == atom) return root;
    struct Search {
        ATOM Atom;
        ATOM (*AtomOf)(HWND);
        HWND Found = nullptr;
    } search{atom, atomOf};
    struct Enum {
        static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
            auto* s = reinterpret_cast<Search*>(lp);
            if (s->AtomOf(h) == s->Atom) {
                s->Found = h;
                return FALSE;
            }
            return TRUE;
        }
    };
    EnumChildWindows(root, Enum::Visit, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

void TControl::Bind(HWND hwnd) {
    FHandle = hwnd;
    SetBinding(hwnd, this);
    // Bound once, while the window is being made: it carries no name yet.
    if (!FName.empty())
        SetPropW(hwnd, kNameProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(GlobalAddAtomW(W(FName).c_str()))));
}

void TControl::CreateOwnWindow(DWORD style, DWORD exStyle, const wchar_t* className, HWND parentOverride) {
    RegisterOwnClass(className, OwnProc);
    if (!parentOverride && FParent) FParent->HandleNeeded();
    HWND parent = parentOverride ? parentOverride : FParent ? FParent->Handle() : nullptr;
    bool child = parent && parent != HWND_MESSAGE;
    if (child) style |= WS_CHILD;
    HMENU id = child ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(NextControlId())) : nullptr;
    CreateWindowExW(exStyle, className, L"", style, 0, 0, 10, 10, parent, id, GetModuleHandleW(nullptr), this);
    if (FHandle) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
}

void TControl::CreateStdWindow(const wchar_t* className, DWORD style, DWORD exStyle) {
    if (FParent) FParent->HandleNeeded();
    HWND parent = FParent ? FParent->Handle() : nullptr;
    HWND h = CreateWindowExW(exStyle, className, L"", style | WS_CHILD, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(NextControlId())), GetModuleHandleW(nullptr),
                             nullptr);
    if (!h) return;
    Bind(h);
    auto classProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
    SetClassProc(h, classProc);
    FSubclassed = classProc && SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)) != 0;
    if (!FSubclassed) SetClassProc(h, nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
}

LRESULT CALLBACK TControl::OwnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<TControl*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->Bind(hwnd);
    }
    auto* self = reinterpret_cast<TControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK TControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TBinding b = BindingOf(hwnd);
    if (b.Control && b.Control->FHandle == hwnd) return b.Control->Dispatch(msg, wp, lp);
    LRESULT r = b.ClassProc ? CallWindowProcW(b.ClassProc, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) ForgetWindow(hwnd);
    return r;
}

LRESULT TControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY) {
        LRESULT r = DefaultProc(msg, wp, lp);
        ForgetWindow(FHandle);
        ReleaseName(FHandle);
        FSubclassed = false;
        FHandle = nullptr;
        return r;
    }
    try {
        return WndProc(msg, wp, lp);
    } catch (const std::exception& e) {
        TApplication::Instance().HandleException(e);
    } catch (...) {
        TApplication::Instance().HandleException(std::runtime_error("Unknown exception"));
    }
    return 0;
}

LRESULT TControl::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (FSubclassed) {
        WNDPROC classProc = BindingOf(FHandle).ClassProc;
        if (classProc) return CallWindowProcW(classProc, FHandle, msg, wp, lp);
    }
    return DefWindowProcW(FHandle, msg, wp, lp);
}

void TControl::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, bool& handled) {
    TControl* child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        child = FromHandle(reinterpret_cast<HWND>(lp));
        if (child) handled = child->HandleCommand(HIWORD(wp));
        break;
    case WM_DRAWITEM: {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        child = FromHandle(di->hwndItem);
        if (child) handled = child->HandleDrawItem(*di);
        if (handled) result = TRUE;
        break;
    }
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        child = FromHandle(GetDlgItem(FHandle, static_cast<int>(mi->CtlID)));
        if (child) handled = child->HandleMeasureItem(*mi);
        if (handled) result = TRUE;
        break;
    }
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        child = FromHandle(nm->hwndFrom);
        if (child) handled = child->HandleNotify(*nm, result);
        break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        child = FromHandle(reinterpret_cast<HWND>(lp));
        if (child) handled = child->HandleScroll(LOWORD(wp));
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        // Static texts, check boxes and buttons are drawn on this control's colour.
        HDC dc = reinterpret_cast<HDC>(wp);
        child = FromHandle(reinterpret_cast<HWND>(lp));
        SetBkColor(dc, ColorToRGB(FColor));
        if (child) SetTextColor(dc, ColorToRGB(child->FFontColor));
        result = reinterpret_cast<LRESULT>(ColorBrush());
        handled = true;
        break;
    }
    default: break;
    }
}

HBRUSH TControl::ColorBrush() {
    if (!FBrush || FBrushColor != FColor) {
        FBrush.Reset(CreateSolidBrush(ColorToRGB(FColor)));
        FBrushColor = FColor;
    }
    return static_cast<HBRUSH>(FBrush.Get());
}

TMouseEvent MouseEventOf(UINT msg, WPARAM wp, LPARAM lp) {
    TMouseEvent e;
    e.X = static_cast<short>(LOWORD(lp));
    e.Y = static_cast<short>(HIWORD(lp));
    e.Shift = ShiftStateNow(wp);
    switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: e.Button = TMouseButton::mbRight; break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: e.Button = TMouseButton::mbMiddle; break;
    default: e.Button = TMouseButton::mbLeft; break;
    }
    e.Shift.Double = msg == WM_LBUTTONDBLCLK;
    return e;
}

void TControl::DoMouse(UINT msg, WPARAM wp, LPARAM lp) {
    TMouseEvent e = MouseEventOf(msg, wp, lp);
    switch (msg) {
    case WM_MOUSEMOVE:
        if (OnMouseMove) OnMouseMove(this, e);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (OnMouseDown) OnMouseDown(this, e);
        break;
    default:
        if (OnMouseUp) OnMouseUp(this, e);
        break;
    }
}

LRESULT TControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    bool handled = false;
    LRESULT result = 0;
    ReflectToChild(msg, wp, lp, result, handled);
    if (handled) return result;
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
        if (!FSubclassed) {
            if (msg == WM_LBUTTONDOWN) {
                SetCapture(FHandle);
                FMouseCaptured = true;
            }
            DoMouse(msg, wp, lp);
            if (msg == WM_LBUTTONDBLCLK && OnDblClick) OnDblClick(this);
            if (msg == WM_LBUTTONUP && FMouseCaptured) {
                FMouseCaptured = false;
                ReleaseCapture();
                POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                RECT r;
                GetClientRect(FHandle, &r);
                if (PtInRect(&r, p)) Click();
            }
            return 0;
        }
        DoMouse(msg, wp, lp);
        break;
    case WM_KEYDOWN:
    case WM_KEYUP: {
        auto& handler = msg == WM_KEYDOWN ? OnKeyDown : OnKeyUp;
        if (handler) {
            WORD key = static_cast<WORD>(wp);
            handler(this, key, ShiftStateNow());
            if (key == 0) return 0;
            wp = key;
        }
        break;
    }
    case WM_GETDLGCODE: {
        LRESULT code = DefaultProc(msg, wp, lp);
        const auto* m = reinterpret_cast<const MSG*>(lp);
        if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR) && KeepsKey(static_cast<WORD>(m->wParam)))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_NEXTDLGCTL:
    case WM_CLOSE:
        // A multi-line edit asks its parent, as if it were the dialog, to move the focus on Tab
        // and to close on Escape: a child hands that to its form (Escape as its cancel key).
        if (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) {
            HWND form = GetAncestor(FHandle, GA_ROOT);
            if (msg == WM_CLOSE) return SendMessageW(form, WM_COMMAND, IDCANCEL, 0);
            return SendMessageW(form, msg, wp, lp);
        }
        break;
    case WM_SETFOCUS:
        if (OnEnter) OnEnter(this);
        break;
    case WM_KILLFOCUS:
        if (OnExit) OnExit(this);
        break;
    case WM_ERASEBKGND:
        if (!FSubclassed) {
            RECT r;
            GetClientRect(FHandle, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, ColorBrush());
            return 1;
        }
        break;
    default: break;
    }
    return DefaultProc(msg, wp, lp);
}

bool TControl::KeepsKey(WORD key) const {
    // Enter and Escape type the characters of their own codes: a control that keeps the
    // key keeps the character too.
    return std::find(FKeptKeys.begin(), FKeptKeys.end(), key) != FKeptKeys.end();
}

void TControl::SetHint(const std::string& hint) {
    FHint = hint;
    if (!FHandle) return;
    if (auto* form = dynamic_cast<TForm*>(FromHandle(GetAncestor(FHandle, GA_ROOT))); form && form != this)
        form->HintChanged(*this);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    MoveWindow(FHandle, left, top, width, height, TRUE);
}

RECT TControl::BoundsRect() const {
    RECT r{};
    GetWindowRect(FHandle, &r);
    HWND parent = GetParent(FHandle);
    if (parent && (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
int TControl::Left() const { return BoundsRect().left; }
int TControl::Top() const { return BoundsRect().top; }
int TControl::Width() const {
    RECT r = BoundsRect();
    return r.right - r.left;
}
int TControl::Height() const {
    RECT r = BoundsRect();
    return r.bottom - r.top;
}
int TControl::ClientWidth() const {
    RECT r{};
    GetClientRect(FHandle, &r);
    return r.right;
}
int TControl::ClientHeight() const {
    RECT r{};
    GetClientRect(FHandle, &r);
    return r.bottom;
}

void TControl::SetCaption(const std::string& text) {
    SetWindowTextW(FHandle, W(text).c_str());
    if (!FSubclassed) Invalidate();
}

std::string TControl::Caption() const {
    int n = GetWindowTextLengthW(FHandle);
    std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
    GetWindowTextW(FHandle, w.data(), n + 1);
    w.resize(static_cast<std::size_t>(n));
    return U(w);
}

void TControl::SetEnabled(bool enabled) {
    EnableWindow(FHandle, enabled);
    Invalidate();
}
bool TControl::Enabled() const { return IsWindowEnabled(FHandle) != FALSE; }

void TControl::SetTabStop(bool stop) {
    LONG style = GetWindowLongW(FHandle, GWL_STYLE);
    SetWindowLongW(FHandle, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

void TControl::SetVisible(bool visible) { ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE); }
bool TControl::Visible() const { return (GetWindowLongW(FHandle, GWL_STYLE) & WS_VISIBLE) != 0; }

void TControl::SetColor(TColor c) {
    FColor = c;
    Invalidate();
}
void TControl::SetFontColor(TColor c) {
    FFontColor = c;
    Invalidate();
}
void TControl::SetFont(HFONT font) {
    FFont = font;
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TControl::Invalidate() {
    if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}
void TControl::Repaint() {
    if (FHandle) {
        InvalidateRect(FHandle, nullptr, TRUE);
        UpdateWindow(FHandle);
    }
}
void TControl::SetFocus() { ::SetFocus(FHandle); }
bool TControl::Focused() const { return GetFocus() == FHandle; }
POINT TControl::ScreenToClient(POINT p) const {
    ::ScreenToClient(FHandle, &p);
    return p;
}
LRESULT TControl::Perform(UINT msg, WPARAM wp, LPARAM lp) const { return SendMessageW(FHandle, msg, wp, lp); }
