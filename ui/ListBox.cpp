#include "ui/ListBox.h"

#include <iterator>

#include "ui/Cursor.h"

TListBox::TListBox(TControl* parent, const std::string& name, bool ownerDraw, int itemHeight)
    : TControl(parent, name), FOwnerDraw(ownerDraw), FItemHeight(itemHeight) {
    FColor = clWindow;
    DWORD style = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (ownerDraw) style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
    CreateStdWindow(L"LISTBOX", style, WS_EX_CLIENTEDGE);
    SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, itemHeight);
}

int TListBox::Count() const { return static_cast<int>(SendMessageW(FHandle, LB_GETCOUNT, 0, 0)); }

std::string TListBox::Item(int i) const {
    LRESULT n = SendMessageW(FHandle, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n == LB_ERR) return {};
    std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(FHandle, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(w.data()));
    w.resize(static_cast<std::size_t>(n));
    return U(w);
}

void TListBox::SetItem(int i, const std::string& s) {
    int sel = ItemIndex();
    Delete(i);
    Insert(i, s);
    if (sel >= 0) SetItemIndex(sel);
}

int TListBox::Add(const std::string& s) {
    return static_cast<int>(SendMessageW(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(s).c_str())));
}

void TListBox::Insert(int i, const std::string& s) {
    SendMessageW(FHandle, LB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(W(s).c_str()));
}

void TListBox::Delete(int i) { SendMessageW(FHandle, LB_DELETESTRING, static_cast<WPARAM>(i), 0); }

void TListBox::Move(int from, int to) {
    std::string s = Item(from);
    Delete(from);
    Insert(to, s);
}

void TListBox::Clear() { SendMessageW(FHandle, LB_RESETCONTENT, 0, 0); }
int TListBox::ItemIndex() const { return static_cast<int>(SendMessageW(FHandle, LB_GETCURSEL, 0, 0)); }
void TListBox::SetItemIndex(int i) { SendMessageW(FHandle, LB_SETCURSEL, static_cast<WPARAM>(i), 0); }
int TListBox::TopIndex() const { return static_cast<int>(SendMessageW(FHandle, LB_GETTOPINDEX, 0, 0)); }
void TListBox::SetTopIndex(int i) { SendMessageW(FHandle, LB_SETTOPINDEX, static_cast<WPARAM>(i), 0); }

RECT TListBox::ItemRect(int i) const {
    RECT r{};
    SendMessageW(FHandle, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return r;
}

int TListBox::ItemAtPos(POINT p) const {
    LRESULT r = SendMessageW(FHandle, LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y));
    if (HIWORD(r)) return -1;
    int i = LOWORD(r);
    return i < Count() ? i : -1;
}

bool TListBox::HandleCommand(WORD code) {
    if (code == LBN_SELCHANGE) {
        if (OnClick) OnClick(this);
        return true;
    }
    if (code == LBN_DBLCLK) {
        if (OnDblClick) OnDblClick(this);
        return true;
    }
    return false;
}

bool TListBox::HandleDrawItem(const DRAWITEMSTRUCT& di) {
    if (!FOwnerDraw || static_cast<int>(di.itemID) < 0) return true;
    TCanvas canvas(di.hDC);
    TOwnerDrawState state{(di.itemState & ODS_SELECTED) != 0, (di.itemState & ODS_FOCUS) != 0};
    if (OnDrawItem) {
        OnDrawItem(this, static_cast<int>(di.itemID), di.rcItem, state, canvas);
    } else {
        canvas.FillRect(di.rcItem, state.Selected ? clHighlight : clWindow);
        canvas.TextOut(di.rcItem.left + 2, di.rcItem.top + 1, Item(static_cast<int>(di.itemID)),
                       state.Selected ? clHighlightText : clWindowText);
    }
    return true;
}

namespace {
// The drag cursor: the arrow with a sheet below it. '#' black, '.' white, ' ' screen.
const char* const kDragArt[] = {
    "#               ",
    "##              ",
    "#.#             ",
    "#..#            ",
    "#...#           ",
    "#....#          ",
    "#.....#         ",
    "#......#        ",
    "#.......#       ",
    "#........#      ",
    "#.....#####     ",
    "#..#..#         ",
    "#.# #..#        ",
    "##  #..#        ",
    "#    #..#       ",
    "     #..#       ",
    "      ##        ",
    "     ###########",
    "     #.........#",
    "     #.........#",
    "     #.........#",
    "     #.........#",
    "     ###########",
};

TCursorHandle MakeDragCursor() {
    const int w = GetSystemMetrics(SM_CXCURSOR), h = GetSystemMetrics(SM_CYCURSOR);
    TCursorMask mask(w, h), bits(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const char c = y < static_cast<int>(std::size(kDragArt)) && x < 16 ? kDragArt[y][x] : ' ';
            mask.Set(x, y, c == ' ');
            bits.Set(x, y, c == '.');
        }
    return BuildMonochromeCursor(mask, bits, 0, 0);
}
}  // namespace

HCURSOR TDragListBox::DragCursor() {
    static const TCursorHandle cursor = MakeDragCursor();
    return cursor ? cursor.Get() : LoadCursorW(nullptr, IDC_ARROW);
}

HCURSOR TDragListBox::NoDropCursor() { return LoadCursorW(nullptr, IDC_NO); }

void TDragListBox::BeginDrag(POINT client) {
    FDragging = true;
    ShowDragCursor(client);
}

void TDragListBox::EndDrag() {
    if (!FDragging) return;
    FDragging = false;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

bool TDragListBox::OverList(POINT client) const {
    RECT r;
    GetClientRect(FHandle, &r);
    return PtInRect(&r, client) != FALSE;
}

int TDragListBox::DropRowAt(POINT client) const { return OverList(client) ? ItemAtPos(client) : -1; }

void TDragListBox::ShowDragCursor(POINT client) {
    const int row = DropRowAt(client);
    const bool accepted = OverList(client) && (row < 0 || !OnDragOver || OnDragOver(row));
    SetCursor(accepted ? DragCursor() : NoDropCursor());
}

LRESULT TDragListBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    TMouseEvent e = MouseEventOf(msg, wp, lp);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        SetFocus();
        if (e.Button == TMouseButton::mbLeft) SetCapture(FHandle);
        if (OnMouseDown) OnMouseDown(this, e);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (msg == WM_LBUTTONUP && GetCapture() == FHandle) {
            FReleasing = true;
            ReleaseCapture();
            FReleasing = false;
        }
        if (OnMouseUp) OnMouseUp(this, e);
        if (msg == WM_LBUTTONUP) EndDrag();
        return 0;
    case WM_LBUTTONDBLCLK:
        if (OnDblClick) OnDblClick(this);
        return 0;
    case WM_MOUSEMOVE:
        if (OnMouseMove) OnMouseMove(this, e);
        if (FDragging) ShowDragCursor(POINT{e.X, e.Y});
        return 0;
    case WM_SETCURSOR:
        if (FDragging) return TRUE;  // the drag's cursor stays
        return TListBox::WndProc(msg, wp, lp);
    case WM_CAPTURECHANGED:
        if (!FReleasing) EndDrag();
        return TListBox::WndProc(msg, wp, lp);
    default: return TListBox::WndProc(msg, wp, lp);
    }
}
